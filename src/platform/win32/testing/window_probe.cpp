#include "platform/win32/testing/window_probe.h"

#include <iterator>
#include <thread>

#include "platform/win32/win32_handles.h"

namespace t47::testing {
namespace {

constexpr auto kPollPause = std::chrono::milliseconds(20);

template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(kPollPause);
    }
    return true;
}

// The popup menu window of a menu being tracked (its class is "#32768").
HWND FindPopupMenu() {
    return FindWindowW(L"#32768", nullptr);
}

}  // namespace

std::optional<WindowFacts> FactsOf(WindowHandle window) {
    const HWND handle = SystemWindow(window);
    if (handle == nullptr || !IsWindow(handle)) {
        return std::nullopt;
    }
    RECT rect{};
    GetWindowRect(handle, &rect);
    return WindowFacts{static_cast<std::uint32_t>(GetWindowLongW(handle, GWL_STYLE)),
                       static_cast<std::uint32_t>(GetWindowLongW(handle, GWL_EXSTYLE)),
                       IsWindowVisible(handle) != FALSE,
                       {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top}};
}

bool WaitForWindow(std::u16string_view title, bool present, std::chrono::milliseconds limit) {
    const std::wstring name = WideCString(title);
    return WaitUntil([&] { return (FindWindowW(nullptr, name.c_str()) != nullptr) == present; },
                     limit);
}

std::optional<WindowOwner> WaitForWindowOwner(std::u16string_view title,
                                              std::chrono::milliseconds limit) {
    const std::wstring name = WideCString(title);
    HWND window = nullptr;
    if (!WaitUntil([&] { return (window = FindWindowW(nullptr, name.c_str())) != nullptr; },
                   limit)) {
        return std::nullopt;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const HANDLE process =
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr) {
        return std::nullopt;
    }
    WindowOwner owner{processId, {}, std::shared_ptr<void>(process, CloseHandle)};
    wchar_t path[MAX_PATH * 4];
    DWORD length = static_cast<DWORD>(std::size(path));
    if (QueryFullProcessImageNameW(process, 0, path, &length)) {
        owner.program = std::filesystem::path(std::wstring(path, length));
    }
    return owner;
}

bool WindowOwner::WaitForEnd(std::chrono::milliseconds limit) const {
    return process != nullptr &&
           WaitForSingleObject(process.get(), static_cast<DWORD>(limit.count())) == WAIT_OBJECT_0;
}

MessageId ShellRestartNotice() {
    return RegisterWindowMessageW(L"TaskbarCreated");
}

std::optional<std::vector<MenuItemFacts>> ChooseFromPopupMenu(std::size_t index,
                                                              std::chrono::milliseconds limit) {
    HWND popup = nullptr;
    if (!WaitUntil([&] { return (popup = FindPopupMenu()) != nullptr; }, limit)) {
        return std::nullopt;
    }
    const auto menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
    std::vector<MenuItemFacts> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 256;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        items.push_back({info.wID, Utf16FromWide(text), info.fType == MFT_STRING});
    }
    // Down to the entry from no selection, then Enter.
    for (std::size_t i = 0; i <= index; ++i) {
        PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
    }
    PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
    return items;
}

}  // namespace t47::testing
