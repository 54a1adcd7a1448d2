#pragma once

// The in-memory platform's shell: folders a test chooses, the tray icon and its menus recorded,
// a menu choice scripted in advance, programs opened recorded.

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/shell.h"
#include "platform/window_messages.h"

namespace t47 {

enum class TrayRequestKind { kAdd, kDelete };

struct TrayRequest {
    TrayRequestKind kind;
    TrayIcon icon;

    friend bool operator==(const TrayRequest&, const TrayRequest&) = default;
};

class MemoryShell final : public Shell {
  public:
    // The chosen menu entry's command is posted to the menu's owner through `messages`.
    explicit MemoryShell(WindowMessages& messages);

    std::optional<std::u16string> ApplicationDataFolder() override;
    std::u16string ExecutableFolder() override;
    bool CreateFolder(std::u16string_view path) override;
    bool AddTrayIcon(const TrayIcon& icon) override;
    bool DeleteTrayIcon(const TrayIcon& icon) override;
    void BringToForeground(WindowHandle window) override;
    void ShowPopupMenu(WindowHandle owner, std::span<const MenuEntry> entries) override;
    void OpenProgram(std::u16string_view path) override;

    // Set up by the test. Without an application-data folder, none can be resolved.
    void SetApplicationDataFolder(std::optional<std::u16string> folder);
    void SetExecutableFolder(std::u16string folder);
    // Whether the shell takes tray icons (it has no tray when false).
    void SetAcceptsTrayIcons(bool accepts);
    // The entry the user will pick in the next menu shown; 0 for none (the menu is dismissed).
    void ChooseInNextMenu(std::uint32_t commandId);

    // What the agent asked for.
    std::vector<TrayRequest> TrayRequests() const;
    // Whether an icon is in the tray now, as the shell sees it.
    bool TrayIconShown() const;
    std::vector<std::vector<MenuEntry>> MenusShown() const;
    std::vector<WindowHandle> BroughtForward() const;
    std::vector<std::u16string> OpenedPrograms() const;
    std::vector<std::u16string> CreatedFolders() const;

  private:
    WindowMessages& messages;
    mutable std::mutex mutex;
    std::optional<std::u16string> applicationDataFolder;
    std::u16string executableFolder = u"C:\\Program Files\\Norvane\\T47";
    bool acceptsTrayIcons = true;
    bool iconShown = false;
    std::uint32_t nextMenuChoice = 0;
    std::vector<TrayRequest> trayRequests;
    std::vector<std::vector<MenuEntry>> menusShown;
    std::vector<WindowHandle> broughtForward;
    std::vector<std::u16string> openedPrograms;
    std::vector<std::u16string> createdFolders;
};

}  // namespace t47
