#include "device_notice_window.h"

#include <windows.h>
// After windows.h:
#include <dbt.h>

#include <future>
#include <stdexcept>

#include "platform/text_encoding.h"

namespace t47::wine_mouse {
namespace {

constexpr wchar_t kClassName[] = L"T47DeviceNoticeWindow";

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* owner = reinterpret_cast<DeviceNoticeWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_DEVICECHANGE && owner != nullptr) {
        DeviceNotice notice{wParam, {}};
        const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
        if (header != nullptr && header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE) {
            notice.path = Utf16FromWide(
                reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(lParam)->dbcc_name);
        }
        owner->Record(std::move(notice));
        return TRUE;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterWindowClass() {
    static const bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = WindowProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kClassName;
        return RegisterClassW(&windowClass) != 0;
    }();
    if (!registered) {
        throw std::runtime_error("cannot register the device notice window's class");
    }
}

}  // namespace

DeviceNoticeWindow::DeviceNoticeWindow() {
    RegisterWindowClass();
    std::promise<HWND> created;
    std::future<HWND> createdWindow = created.get_future();
    thread = std::thread([this, &created] {
        const HWND handle =
            CreateWindowExW(0, kClassName, L"T47 device notices", WS_POPUP, 100, 100, 100, 100,
                            nullptr, nullptr, GetModuleHandleW(nullptr), this);
        created.set_value(handle);
        if (handle == nullptr) {
            return;
        }
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            DispatchMessageW(&message);
        }
    });
    const HWND handle = createdWindow.get();
    if (handle == nullptr) {
        thread.join();
        throw std::runtime_error("cannot create the device notice window");
    }
    window = static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(handle));
}

DeviceNoticeWindow::~DeviceNoticeWindow() {
    PostMessageW(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window)), WM_CLOSE, 0, 0);
    thread.join();
}

void DeviceNoticeWindow::Record(DeviceNotice notice) {
    {
        const std::lock_guard lock(mutex);
        notices.push_back(std::move(notice));
    }
    changed.notify_all();
}

std::vector<DeviceNotice> DeviceNoticeWindow::WaitFor(
    const std::function<bool(const std::vector<DeviceNotice>&)>& done,
    std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex);
    changed.wait_for(lock, limit, [&] { return done(notices); });
    return notices;
}

}  // namespace t47::wine_mouse
