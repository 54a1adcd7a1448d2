#pragma once

// The device link: finds the mouse among the system's HID interfaces, holds up to two open
// handles to it, moves feature reports both ways, and runs the listener thread that reads its
// input reports.
//
// The mouse shows several interfaces and the link tells them apart by report lengths: the one
// whose feature report length is the length about to be exchanged becomes the feature handle,
// the one whose input report length is 4 the input handle. Each feature report lives on an
// interface of its own, so every exchange of another report first reopens the link.
//
// Everything but the listener runs on the window thread. The listener shares only the input
// handle, which the window thread replaces at every reopen (closing the old one ends a read
// pending on it), and the input buffer, which only the listener uses.

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <stop_token>
#include <thread>

#include "platform/clock.h"
#include "platform/debug_output.h"
#include "platform/hid_bus.h"
#include "platform/window_messages.h"

namespace t47 {

// The mouse's own ids; each may also be the link's alternate one.
inline constexpr std::int32_t kMouseVendorId = 0x3938;
inline constexpr std::int32_t kMouseProductId = 0x1101;

// The length asked for at start-up, which no interface has: the call only opens the input
// handle.
inline constexpr std::int32_t kStartUpFeatureLength = 100;

// The listener's pause after each read. With no input handle it waits for one instead of
// pausing over and over: an agent without its mouse must cost next to nothing.
inline constexpr std::uint32_t kListenerPauseMs = 10;

class HidDeviceLink {
  public:
    static constexpr std::size_t kInputBufferSize = 1000;

    HidDeviceLink(HidBus& bus, Clock& clock, DebugOutput& debug, WindowMessages& messages);
    // Stops the listener (its pending read cancelled) before the handles close and the buffer
    // goes.
    ~HidDeviceLink();

    HidDeviceLink(const HidDeviceLink&) = delete;
    HidDeviceLink& operator=(const HidDeviceLink&) = delete;

    // A HID interface is the mouse's when its vendor id is the mouse's or the alternate one and,
    // independently, its product id is the mouse's or the alternate one.
    void SetAlternateIds(std::int32_t vendorId, std::int32_t productId);

    // Closes both handles, then visits every interface: the mouse's interface with this feature
    // report length becomes the feature handle, its input interface the input handle; when
    // several qualify, the last one listed wins. 1 when a feature handle was found.
    std::int32_t OpenDevice(std::int32_t featureReportLength);

    // Closes the feature handle only; the input handle stays, also when it is the same one.
    void CloseFeatureHandle();

    // One transfer on the feature handle, byte 0 the report id; 1 or 0. No retry here.
    std::int32_t SetFeatureReport(std::span<const std::uint8_t> report);
    std::int32_t GetFeatureReport(std::span<std::uint8_t> report);

    // Opens the input handle, starts the listener thread (once) and registers the window for
    // HID device notices, whose registration goes to `notification`. 1 when that registration
    // succeeded. DPI notices are posted to the window as MSG_DEVICE_DPI.
    std::int32_t StartListening(WindowHandle window, NoticeRegistration& notification);

    // What the listener does with each report it reads: a debugger line, and for a DPI notice
    // MSG_DEVICE_DPI posted to the window with the stage as wParam.
    void OnInputReport(std::span<const std::uint8_t> report, std::int32_t length);

    HidHandle FeatureHandle() const { return featureHandle; }
    HidHandle InputHandle() const { return inputHandle.load(); }
    bool IsListening() const { return listener.joinable(); }
    // The listener thread's id: the same for the link's whole life, however often it reopens.
    std::thread::id ListenerId() const { return listener.get_id(); }

  private:
    void ListenerThread(std::stop_token stop);
    // Returns once OpenDevice has stored an input handle since `opening` was read from
    // inputHandleOpenings, or a stop is requested.
    void WaitForReopen(std::stop_token stop, std::uint64_t opening);
    bool IsMouse(const HidAttributes& attributes) const;
    // Closes the handle unless it is invalid or still holds the other role.
    void CloseUnlessHeld(HidHandle handle);

    HidBus& bus;
    Clock& clock;
    DebugOutput& debug;
    WindowMessages& messages;

    // The link's fields, in their order.
    std::atomic<HidHandle> inputHandle{kInvalidHidHandle};
    std::unique_ptr<std::array<std::uint8_t, kInputBufferSize>> inputBuffer;
    std::int32_t inputReportLength = 4;
    WindowHandle notifyWindow = kNoWindow;
    std::int32_t altProductId = 0x1020;
    std::int32_t altVendorId = 0x0603;
    HidHandle featureHandle = kInvalidHidHandle;

    // Counts the input handles OpenDevice stored; wakes a listener that waits for the next one.
    std::atomic<std::uint64_t> inputHandleOpenings{0};
    std::mutex inputHandleMutex;
    std::condition_variable_any inputHandleOpened;
    std::jthread listener;
};

}  // namespace t47
