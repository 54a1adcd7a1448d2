#include "platform/win32/win32_shell.h"

#include "platform/win32/win32_handles.h"
// After windows.h:
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstddef>

namespace t47 {
namespace {

static_assert(offsetof(NOTIFYICONDATAW, guidItem) == kTrayIconRecordSize,
              "the record the agent hands over ends before guidItem");

// Paths in the system's own form are at most this long.
constexpr std::size_t kLongestPath = 32768;

// Cut to the field with its terminating zero, never between the halves of a surrogate pair.
template <std::size_t kUnits>
void CopyText(std::u16string_view text, wchar_t (&field)[kUnits]) {
    std::size_t length = std::min(text.find(u'\0'), std::min(text.size(), kUnits - 1));
    if (length > 0 && length < text.size() && text[length - 1] >= 0xD800 &&
        text[length - 1] <= 0xDBFF) {
        --length;
    }
    std::copy_n(text.begin(), length, field);
    field[length] = L'\0';
}

NOTIFYICONDATAW TrayIconRecord(const TrayIcon& icon) {
    NOTIFYICONDATAW record{};
    record.cbSize = kTrayIconRecordSize;
    record.hWnd = SystemWindow(icon.window);
    record.uID = icon.id;
    record.uFlags = icon.flags;
    record.uCallbackMessage = icon.callbackMessage;
    record.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(icon.iconResource));
    CopyText(icon.tip, record.szTip);
    return record;
}

}  // namespace

std::optional<std::u16string> Win32Shell::ApplicationDataFolder() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                SHGFP_TYPE_CURRENT, folder)) ||
        folder[0] == L'\0') {
        return std::nullopt;
    }
    return Utf16FromWide(folder);
}

std::u16string Win32Shell::ExecutableFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= kLongestPath) {
            return {};
        }
        path.resize(path.size() * 2);
    }
    // The system keeps the path as the program was started with it, forward slashes included
    // (Wine does, for "Z:/folder/t47agent.exe"); the agent joins paths with backslashes.
    std::replace(path.begin(), path.end(), L'/', L'\\');
    const std::size_t separator = path.rfind(L'\\');
    return Utf16FromWide(separator == std::wstring::npos ? std::wstring()
                                                         : path.substr(0, separator));
}

bool Win32Shell::CreateFolder(std::u16string_view path) {
    const std::wstring folder = WideCString(path);
    if (SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr) == ERROR_SUCCESS) {
        return true;
    }
    // Already there counts, as long as it is a folder and not a file of that name.
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32Shell::AddTrayIcon(const TrayIcon& icon) {
    NOTIFYICONDATAW record = TrayIconRecord(icon);
    return Shell_NotifyIconW(NIM_ADD, &record) != FALSE;
}

bool Win32Shell::DeleteTrayIcon(const TrayIcon& icon) {
    NOTIFYICONDATAW record = TrayIconRecord(icon);
    return Shell_NotifyIconW(NIM_DELETE, &record) != FALSE;
}

void Win32Shell::BringToForeground(WindowHandle window) {
    SetForegroundWindow(GetLastActivePopup(SystemWindow(window)));
}

void Win32Shell::ShowPopupMenu(WindowHandle owner, std::span<const MenuEntry> entries) {
    const HMENU menu = CreatePopupMenu();
    if (menu == nullptr) {
        return;
    }
    for (const MenuEntry& entry : entries) {
        AppendMenuW(menu, MF_STRING, entry.commandId, WideCString(entry.text).c_str());
    }
    POINT cursor{};
    GetCursorPos(&cursor);
    // Flags 0: placed at the cursor by its top-left corner, tracking the left button; a
    // chosen entry is posted to the owner as WM_COMMAND.
    TrackPopupMenu(menu, 0, cursor.x, cursor.y, 0, SystemWindow(owner), nullptr);
    DestroyMenu(menu);
}

void Win32Shell::OpenProgram(std::u16string_view path) {
    // The shell may hand the request to extensions that need COM on the calling thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ShellExecuteW(nullptr, L"open", WideCString(path).c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
}

}  // namespace t47
