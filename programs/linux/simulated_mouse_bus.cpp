#include "simulated_mouse_bus.h"

#include <cstdio>

#include "platform/text_encoding.h"

namespace t47 {

std::u16string TransferLine(const Transfer& transfer) {
    std::string line = "Simulated mouse: report " + std::to_string(transfer.reportId) +
                       (transfer.kind == TransferKind::kSet ? " set" : " read");
    if (!transfer.accepted) {
        line += " refused";
    } else if (transfer.bytes.size() <= kShownReportLength) {
        line += ':';
        for (const std::uint8_t byte : transfer.bytes) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02x", byte);
            line += hex;
        }
    } else {
        line += " (" + std::to_string(transfer.bytes.size()) + " bytes)";
    }
    return Utf16FromUtf8(line + '\n');
}

SimulatedMouseBus::SimulatedMouseBus(Clock& clock, WindowMessages& messages, DebugOutput& output)
    : bus(clock, messages), mouse(bus.AttachMouse()), debug(output) {}

void SimulatedMouseBus::SayTransfers() {
    for (const Transfer& transfer : mouse.Transfers()) {
        debug.Write(TransferLine(transfer));
    }
    mouse.ClearTransfers();
}

std::vector<std::u16string> SimulatedMouseBus::ListInterfaces() {
    return bus.ListInterfaces();
}

HidHandle SimulatedMouseBus::Open(std::u16string_view path) {
    return bus.Open(path);
}

std::optional<HidCapabilities> SimulatedMouseBus::Capabilities(HidHandle handle) {
    return bus.Capabilities(handle);
}

std::optional<HidAttributes> SimulatedMouseBus::Attributes(HidHandle handle) {
    return bus.Attributes(handle);
}

bool SimulatedMouseBus::SetFeature(HidHandle handle, std::span<const std::uint8_t> report) {
    const bool accepted = bus.SetFeature(handle, report);
    SayTransfers();
    return accepted;
}

bool SimulatedMouseBus::GetFeature(HidHandle handle, std::span<std::uint8_t> report) {
    const bool answered = bus.GetFeature(handle, report);
    SayTransfers();
    return answered;
}

std::size_t SimulatedMouseBus::ReadInputReport(HidHandle handle, std::span<std::uint8_t> buffer,
                                               std::stop_token stop) {
    return bus.ReadInputReport(handle, buffer, stop);
}

void SimulatedMouseBus::Close(HidHandle handle) {
    bus.Close(handle);
}

NoticeRegistration SimulatedMouseBus::RegisterDeviceNotices(WindowHandle window) {
    return bus.RegisterDeviceNotices(window);
}

}  // namespace t47
