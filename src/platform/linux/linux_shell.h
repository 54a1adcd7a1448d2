#pragma once

// The shell on Linux. The tray icon and its menu are lines on the debug output and, on a
// desktop, the StatusNotifierItem: the agent's "shown" menu gives the item its texts, and an
// entry chosen on the panel comes back as kWmCommand. Programs start detached, as the user's
// own.
//
// The companion UI is whatever program holds the window "Norvane T47"; the agent starts it as
// "Gaming.exe" from its own folder, as on Windows, or else the user's companion command: an
// executable (a program, a script, a link) at <application data>/Norvane/T47/companion.

#include <filesystem>
#include <optional>

#include "platform/debug_output.h"
#include "platform/linux/status_notifier_item.h"
#include "platform/shell.h"

namespace t47 {

// The folder the agent takes for its own, where it finds its language files (Lan/): the
// program's folder, except for an installed program (/usr/bin/t47agent), whose files are in
// <prefix>/share/norvane-t47, since Debian keeps no data beside the programs.
std::filesystem::path AgentFolderOfProgram(const std::filesystem::path& programFolder);

class LinuxShell final : public Shell {
  public:
    // `applicationData` is the user's configuration folder ($XDG_CONFIG_HOME, or ~/.config);
    // none when it is unknown.
    // `tray` is none without a session bus.
    LinuxShell(std::optional<std::filesystem::path> applicationData, DebugOutput& debug,
               StatusNotifierItem* tray = nullptr);

    std::optional<std::u16string> ApplicationDataFolder() override;
    std::u16string ExecutableFolder() override;
    bool CreateFolder(std::u16string_view path) override;
    bool AddTrayIcon(const TrayIcon& icon) override;
    bool DeleteTrayIcon(const TrayIcon& icon) override;
    void BringToForeground(WindowHandle window) override;
    void ShowPopupMenu(WindowHandle owner, std::span<const MenuEntry> entries) override;
    void OpenProgram(std::u16string_view path) override;

    // What starts the companion UI: the program beside the agent, or the user's command; none
    // when neither is there.
    std::optional<std::filesystem::path> CompanionCommand();

  private:
    const std::optional<std::filesystem::path> applicationData;
    DebugOutput& debug;
    StatusNotifierItem* const tray;
};

}  // namespace t47
