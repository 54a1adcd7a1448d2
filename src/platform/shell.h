#pragma once

// The desktop shell: the user's folders, the notification-area icon and its menu, and
// starting another program.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/handles.h"
#include "platform/window_messages.h"

namespace t47 {

// The fields of the notification-area icon record that the agent fills.
struct TrayIcon {
    WindowHandle window = kNoWindow;  // receives the callbacks
    std::uint32_t id = 0;
    std::uint32_t flags = 0;  // NIF_MESSAGE 1 | NIF_ICON 2 | NIF_TIP 4
    MessageId callbackMessage = 0;
    std::uint32_t iconResource = 0;  // an icon resource of the agent's own executable
    std::u16string tip;

    friend bool operator==(const TrayIcon&, const TrayIcon&) = default;
};

// A plain text entry of a popup menu.
struct MenuEntry {
    std::uint32_t commandId = 0;
    std::u16string text;

    friend bool operator==(const MenuEntry&, const MenuEntry&) = default;
};

class Shell {
  public:
    virtual ~Shell() = default;

    // The user's roaming application-data folder, created when missing; none when it cannot be
    // resolved.
    virtual std::optional<std::u16string> ApplicationDataFolder() = 0;

    // The folder of the running program's executable, without a trailing separator.
    virtual std::u16string ExecutableFolder() = 0;

    // Creates the folder and any missing folders above it; true when it exists afterwards.
    virtual bool CreateFolder(std::u16string_view path) = 0;

    // The shell's answer: true when it took the request.
    virtual bool AddTrayIcon(const TrayIcon& icon) = 0;
    virtual bool DeleteTrayIcon(const TrayIcon& icon) = 0;

    // Brings the window's last active popup (the window itself when it owns none) forward.
    virtual void BringToForeground(WindowHandle window) = 0;

    // Shows a popup menu of these entries at the cursor, owned by the window, and returns when
    // it closes; a chosen entry reaches the window as kWmCommand with its command id.
    virtual void ShowPopupMenu(WindowHandle owner, std::span<const MenuEntry> entries) = 0;

    // Opens a program as the user would ("open", shown as it chooses); the result is not known.
    virtual void OpenProgram(std::u16string_view path) = 0;
};

}  // namespace t47
