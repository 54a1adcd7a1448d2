#pragma once

// For tests: a bare top-level window that records the device-change notices (WM_DEVICECHANGE)
// reaching it. It lives on a thread of its own that runs its message loop, since the system
// delivers the notices by sending and waits for them while a device comes or goes, which may
// well be a call of the test's own thread.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/handles.h"

namespace t47::wine_mouse {

// The wParam values of the notices that name a device interface.
inline constexpr std::uintptr_t kDeviceArrival = 0x8000;
inline constexpr std::uintptr_t kDeviceRemoveComplete = 0x8004;

struct DeviceNotice {
    std::uintptr_t event = 0;  // the message's wParam
    std::u16string path;       // the interface's path as the notice spells it; empty when none
};

class DeviceNoticeWindow {
  public:
    DeviceNoticeWindow();
    ~DeviceNoticeWindow();
    DeviceNoticeWindow(const DeviceNoticeWindow&) = delete;
    DeviceNoticeWindow& operator=(const DeviceNoticeWindow&) = delete;

    WindowHandle Handle() const { return window; }

    // Waits until `done` holds for the notices received so far, or `limit` has passed; those
    // notices.
    std::vector<DeviceNotice> WaitFor(
        const std::function<bool(const std::vector<DeviceNotice>&)>& done,
        std::chrono::milliseconds limit);

    // Called on the window's thread.
    void Record(DeviceNotice notice);

  private:
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<DeviceNotice> notices;
    WindowHandle window = kNoWindow;
    std::thread thread;
};

}  // namespace t47::wine_mouse
