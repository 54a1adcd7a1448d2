#pragma once

// The in-memory platform's HID bus: simulated devices with their interfaces, handles that
// behave as the system's do, and device notices posted to registered windows. Safe from any
// thread; a read waits in real time for a report, a close, an unplug or a stop request.

#include <condition_variable>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/hid_bus.h"
#include "platform/memory/simulated_mouse.h"
#include "platform/window_messages.h"

namespace t47 {

class MemoryHidBus final : public HidBus {
  public:
    // Transfers are logged with the clock's time; device notices are posted through `messages`.
    MemoryHidBus(Clock& clock, WindowMessages& messages);
    ~MemoryHidBus() override;

    // A new device on the bus, listed after those attached before it. With no setup, the mouse
    // as it comes: its ids, its four interfaces, plugged in.
    SimulatedMouse& AttachMouse();
    SimulatedMouse& AttachMouse(SimulatedMouse::Setup setup);

    std::vector<std::u16string> ListInterfaces() override;
    HidHandle Open(std::u16string_view path) override;
    std::optional<HidCapabilities> Capabilities(HidHandle handle) override;
    std::optional<HidAttributes> Attributes(HidHandle handle) override;
    bool SetFeature(HidHandle handle, std::span<const std::uint8_t> report) override;
    bool GetFeature(HidHandle handle, std::span<std::uint8_t> report) override;
    std::size_t ReadInputReport(HidHandle handle, std::span<std::uint8_t> buffer,
                                std::stop_token stop) override;
    void Close(HidHandle handle) override;
    // kNoRegistration, and no notices for that window, after RefuseNoticeRegistrations.
    NoticeRegistration RegisterDeviceNotices(WindowHandle window) override;

    // From now on every registration for device notices is refused, as a system short of
    // resources would.
    void RefuseNoticeRegistrations();

    // Where an open handle leads, for test messages: "dev0/if1" (device 0, its second interface);
    // "invalid" or "closed" otherwise.
    std::string HandleTarget(HidHandle handle) const;

    // Handles open now, and those of them with a read waiting.
    std::size_t OpenHandleCount() const;
    std::size_t PendingReadCount() const;
    // Waits in real time, at most `limit`, until a read waits on the handle.
    bool WaitForPendingRead(HidHandle handle, std::chrono::milliseconds limit) const;

    // What a real system would punish: a handle closed twice or never opened, a closed handle
    // used again. Empty when the agent behaved.
    std::vector<std::string> Misuses() const;

  private:
    friend class SimulatedMouse;

    struct OpenHandle {
        SimulatedMouse* device = nullptr;
        std::size_t interfaceIndex = 0;
        bool open = true;
        bool deviceGone = false;
        int pendingReads = 0;
        std::deque<std::vector<std::uint8_t>> inputs;
    };

    static std::u16string PathOf(const SimulatedMouse& device, std::size_t interfaceIndex);
    // A feature transfer as the system makes it: refused before the device sees it unless the
    // buffer holds a report of the interface's own.
    bool Transfer(TransferKind kind, HidHandle handle, std::span<std::uint8_t> report);
    // The handle's record when it is open on a device that is still there.
    OpenHandle* Live(HidHandle handle, const char* use);
    void PostNotices(const SimulatedMouse& device, WParam event);

    Clock& clock;
    WindowMessages& messages;
    mutable std::mutex mutex;
    mutable std::condition_variable_any changed;
    std::vector<std::unique_ptr<SimulatedMouse>> devices;
    std::map<std::uintptr_t, OpenHandle> handles;  // every handle ever opened, never reused
    std::uintptr_t nextHandle = 0x100;
    std::vector<WindowHandle> noticeWindows;
    bool refuseRegistrations = false;
    std::vector<std::string> misuses;
};

}  // namespace t47
