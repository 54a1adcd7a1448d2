#include "platform/win32/win32_windows.h"

#include "platform/win32/win32_handles.h"
// After windows.h:
#include <wtsapi32.h>

#include <memory>

namespace t47 {
namespace {

constexpr wchar_t kWindowClass[] = L"T47HiddenWindow";

// What one of our windows hands its messages to. The window owns it from WM_NCCREATE to
// WM_NCDESTROY; before that, CreateHiddenWindow does.
struct WindowBinding {
    WindowProcedure* procedure = nullptr;  // none once the procedure refused the creation
    bool* attached = nullptr;              // set at WM_NCCREATE, for CreateHiddenWindow
    bool endsLoop = false;                 // the main window of a running message loop
};

// Numbered anew in each session; 0 when the system refused to register it.
UINT ShellRestartNotice() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

LRESULT CALLBACK HiddenWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A function of user32 that this system may lack, found at run time so that the program still
// starts without it.
template <typename Function>
Function* User32Function(const char* name) {
    const FARPROC found = GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
    return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(found));
}

// Windows 7 and later filter messages from lower privilege levels per window, Vista only per
// process; earlier systems have no such levels.
void AcceptFromLowerLevels(HWND window, UINT message) {
    static const auto perWindow =
        User32Function<decltype(ChangeWindowMessageFilterEx)>("ChangeWindowMessageFilterEx");
    static const auto perProcess =
        User32Function<decltype(ChangeWindowMessageFilter)>("ChangeWindowMessageFilter");
    if (perWindow != nullptr) {
        perWindow(window, message, MSGFLT_ALLOW, nullptr);
    } else if (perProcess != nullptr) {
        perProcess(message, MSGFLT_ADD);
    }
}

bool RegisterWindowClass() {
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = HiddenWindowProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kWindowClass;
        return RegisterClassExW(&windowClass) != 0;
    }();
    return registered;
}

WindowBinding* BindingOf(HWND window) {
    return reinterpret_cast<WindowBinding*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// The number the procedure knows the message by; none for a message that only looks like the
// shell's restart notice.
std::optional<MessageId> ProcedureMessage(UINT message) {
    const UINT restarted = ShellRestartNotice();
    if (restarted != 0 && message == restarted) {
        return kShellRestartedMessage;
    }
    if (message == kShellRestartedMessage) {
        return std::nullopt;
    }
    return message;
}

LRESULT CALLBACK HiddenWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* binding = static_cast<WindowBinding*>(
            reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(binding));
        *binding->attached = true;
    }
    WindowBinding* binding = BindingOf(window);
    if (binding == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    std::optional<LParam> result;
    if (const std::optional<MessageId> id = ProcedureMessage(message);
        id && binding->procedure != nullptr) {
        result = binding->procedure->HandleMessage(WindowHandleOf(window), *id, wParam, lParam);
        if (message == WM_CREATE && result == LParam{-1}) {
            binding->procedure = nullptr;
        }
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        const bool endsLoop = binding->endsLoop;
        delete binding;
        if (endsLoop) {
            PostQuitMessage(0);
        }
    }
    return result ? static_cast<LRESULT>(*result) : DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

WindowHandle Win32Windows::FindTopLevelWindow(std::u16string_view title) {
    return WindowHandleOf(FindWindowW(nullptr, WideCString(title).c_str()));
}

bool Win32Windows::Post(WindowHandle window, MessageId id, WParam wParam, LParam lParam) {
    return window != kNoWindow && PostMessageW(SystemWindow(window), id, wParam, lParam) != FALSE;
}

WindowHandle Win32Windows::CreateHiddenWindow(std::u16string_view title,
                                              WindowProcedure& procedure) {
    if (!RegisterWindowClass()) {
        return kNoWindow;
    }
    bool attached = false;
    auto binding = std::make_unique<WindowBinding>(WindowBinding{&procedure, &attached});
    const HWND window =
        CreateWindowExW(0, kWindowClass, WideCString(title).c_str(), WS_POPUP, 100, 100, 100, 100,
                        nullptr, nullptr, GetModuleHandleW(nullptr), binding.get());
    if (attached) {
        // The window took it, and has already freed it when it did not come to be.
        WindowBinding* owned = binding.release();
        if (window != nullptr) {
            owned->attached = nullptr;
        }
    }
    if (window == nullptr) {
        return kNoWindow;
    }
    if (ShellRestartNotice() != 0) {
        AcceptFromLowerLevels(window, ShellRestartNotice());
    }
    return WindowHandleOf(window);
}

void Win32Windows::SetTitle(WindowHandle window, std::u16string_view title) {
    SetWindowTextW(SystemWindow(window), WideCString(title).c_str());
}

void Win32Windows::SetToolWindowStyle(WindowHandle window) {
    SetWindowLongW(SystemWindow(window), GWL_EXSTYLE, WS_EX_TOOLWINDOW);
}

void Win32Windows::AcceptFromLowerPrivilege(WindowHandle window,
                                            std::span<const MessageId> messages) {
    for (const MessageId message : messages) {
        AcceptFromLowerLevels(SystemWindow(window), message);
    }
}

int Win32Windows::RunMessageLoop(WindowHandle mainWindow) {
    const HWND main = SystemWindow(mainWindow);
    if (main == nullptr || !IsWindow(main) ||
        GetWindowThreadProcessId(main, nullptr) != GetCurrentThreadId() ||
        reinterpret_cast<WNDPROC>(GetWindowLongPtrW(main, GWLP_WNDPROC)) != HiddenWindowProcedure) {
        return 0;
    }
    WindowBinding* binding = BindingOf(main);
    if (binding == nullptr) {
        return 0;
    }
    binding->endsLoop = true;
    MSG message{};
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            return static_cast<int>(message.wParam);
        }
        if (got == -1) {
            return 1;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::uint32_t Win32Windows::OsMajorVersion() {
    OSVERSIONINFOW version{};
    static_assert(sizeof version == 276);
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExW(&version)) {
        return 0;
    }
    return version.dwMajorVersion;
}

bool Win32Windows::RegisterSessionNotices(WindowHandle window) {
    return WTSRegisterSessionNotification(SystemWindow(window), NOTIFY_FOR_THIS_SESSION) != FALSE;
}

void Win32Windows::UnregisterSessionNotices(WindowHandle window) {
    WTSUnRegisterSessionNotification(SystemWindow(window));
}

}  // namespace t47
