#pragma once

// The simulated mouse as the Linux agent's device, for people without the mouse: the in-memory
// HID bus holding one simulated mouse, over the real clock and the Linux window messages, so
// that its device notices reach the agent window as the system's would.
//
// Every feature transfer that reaches the mouse becomes a line on the debug output, so that a
// person sees what the agent sent and read. The line is also all that is kept of it: an agent
// may run for weeks, and the mouse's own transfer log would only grow.

#include <string>

#include "platform/clock.h"
#include "platform/debug_output.h"
#include "platform/hid_bus.h"
#include "platform/memory/memory_hid_bus.h"
#include "platform/memory/simulated_mouse.h"
#include "platform/window_messages.h"

namespace t47 {

// Reports up to this length are shown whole, in hex; longer ones by their length.
inline constexpr std::size_t kShownReportLength = 40;

// "Simulated mouse: report 6 set: 06 5a 00 00 00 00 00 00", "Simulated mouse: report 4 read
// (2049 bytes)", "Simulated mouse: report 3 set refused".
std::u16string TransferLine(const Transfer& transfer);

class SimulatedMouseBus final : public HidBus {
  public:
    SimulatedMouseBus(Clock& clock, WindowMessages& messages, DebugOutput& debug);

    SimulatedMouse& Mouse() { return mouse; }

    std::vector<std::u16string> ListInterfaces() override;
    HidHandle Open(std::u16string_view path) override;
    std::optional<HidCapabilities> Capabilities(HidHandle handle) override;
    std::optional<HidAttributes> Attributes(HidHandle handle) override;
    bool SetFeature(HidHandle handle, std::span<const std::uint8_t> report) override;
    bool GetFeature(HidHandle handle, std::span<std::uint8_t> report) override;
    std::size_t ReadInputReport(HidHandle handle, std::span<std::uint8_t> buffer,
                                std::stop_token stop) override;
    void Close(HidHandle handle) override;
    NoticeRegistration RegisterDeviceNotices(WindowHandle window) override;

  private:
    // Says the transfers logged since the last call, and forgets them.
    void SayTransfers();

    MemoryHidBus bus;
    SimulatedMouse& mouse;
    DebugOutput& debug;
};

}  // namespace t47
