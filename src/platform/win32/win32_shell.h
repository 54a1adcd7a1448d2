#pragma once

// The desktop shell over the Windows functions: SHGetFolderPathW, GetModuleFileNameW,
// SHCreateDirectoryExW, Shell_NotifyIconW with the icon loaded from the running executable,
// the popup menu (CreatePopupMenu, AppendMenuW, GetCursorPos, TrackPopupMenu), and
// ShellExecuteW. Under Wine's null graphics driver there is no notification area, and the
// shell refuses every icon.

#include "platform/shell.h"

namespace t47 {

// The notification-area record's size as the agent hands it over: the record up to its
// szInfoTitle/dwInfoFlags fields, which every shell since Windows 2000 takes. On 64 bits that
// leaves out guidItem too, which the agent does not use.
inline constexpr std::uint32_t kTrayIconRecordSize = 952;

class Win32Shell final : public Shell {
  public:
    std::optional<std::u16string> ApplicationDataFolder() override;
    // Whatever the path's length (a path cut at 260 characters would name another folder), and
    // with backslashes however the program was started.
    std::u16string ExecutableFolder() override;
    bool CreateFolder(std::u16string_view path) override;
    bool AddTrayIcon(const TrayIcon& icon) override;
    bool DeleteTrayIcon(const TrayIcon& icon) override;
    void BringToForeground(WindowHandle window) override;
    void ShowPopupMenu(WindowHandle owner, std::span<const MenuEntry> entries) override;
    void OpenProgram(std::u16string_view path) override;
};

}  // namespace t47
