#pragma once

// The shell on Linux. There is no notification area to rely on: the tray icon and its menu are
// lines on the debug output, and the menu closes at once with nothing chosen (another program
// chooses an entry by posting its kWmCommand). Programs start detached, as the user's own.

#include <filesystem>
#include <optional>

#include "platform/debug_output.h"
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
    LinuxShell(std::optional<std::filesystem::path> applicationData, DebugOutput& debug);

    std::optional<std::u16string> ApplicationDataFolder() override;
    std::u16string ExecutableFolder() override;
    bool CreateFolder(std::u16string_view path) override;
    bool AddTrayIcon(const TrayIcon& icon) override;
    bool DeleteTrayIcon(const TrayIcon& icon) override;
    void BringToForeground(WindowHandle window) override;
    void ShowPopupMenu(WindowHandle owner, std::span<const MenuEntry> entries) override;
    void OpenProgram(std::u16string_view path) override;

  private:
    const std::optional<std::filesystem::path> applicationData;
    DebugOutput& debug;
};

}  // namespace t47
