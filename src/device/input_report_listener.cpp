// The listener half of the device link: a thread that reads the mouse's input reports one
// after another and hands DPI notices to the agent window.

#include <algorithm>

#include "contract/companion_contract.h"
#include "device/hid_device_link.h"
#include "device/input_report.h"

namespace t47 {

std::int32_t HidDeviceLink::StartListening(WindowHandle window, NoticeRegistration& notification) {
    notifyWindow = window;
    OpenDevice(kStartUpFeatureLength);  // serves only to open the input handle
    if (!listener.joinable()) {
        listener = std::jthread([this](std::stop_token stop) { ListenerThread(stop); });
    }
    notification = bus.RegisterDeviceNotices(window);
    return notification != kNoRegistration ? 1 : 0;
}

void HidDeviceLink::ListenerThread(std::stop_token stop) {
    const auto length = static_cast<std::size_t>(inputReportLength);
    while (!stop.stop_requested()) {
        // One value per cycle: the window thread may close and replace it at any time, which
        // ends this read with no report. The count first, so that a handle stored after it
        // is never waited for in vain.
        const std::uint64_t opening = inputHandleOpenings.load();
        const HidHandle handle = inputHandle.load();
        if (handle == kInvalidHidHandle) {
            WaitForReopen(stop, opening);
            continue;
        }
        const std::size_t count =
            bus.ReadInputReport(handle, std::span(*inputBuffer).first(length), stop);
        if (stop.stop_requested()) {
            break;
        }
        if (count == 0) {
            // Replaced, or its device is gone and every read on it fails at once: a read on
            // the next handle is all that can succeed, rather than a failed read every 10 ms.
            WaitForReopen(stop, opening);
            continue;
        }
        std::array<std::uint8_t, kInputBufferSize> report{};
        std::copy_n(inputBuffer->begin(), length, report.begin());
        OnInputReport(report, inputReportLength);
        clock.Sleep(kListenerPauseMs);
    }
}

void HidDeviceLink::WaitForReopen(std::stop_token stop, std::uint64_t opening) {
    // Rather than a pause every 10 ms for as long as the mouse is away, which keeps waking the
    // processor: the next OpenDevice that finds the input interface wakes this wait.
    std::unique_lock lock(inputHandleMutex);
    inputHandleOpened.wait(lock, stop, [this, opening] {
        return inputHandleOpenings.load() != opening && inputHandle.load() != kInvalidHidHandle;
    });
}

void HidDeviceLink::OnInputReport(std::span<const std::uint8_t> report, std::int32_t length) {
    debug.Write(InputReportDebugLine(report, length));
    if (const std::optional<std::uint8_t> stage = DpiStageOfReport(report)) {
        messages.Post(notifyWindow, MSG_DEVICE_DPI, *stage, 0);
    }
}

}  // namespace t47
