#include "platform/memory/simulated_mouse.h"

#include <algorithm>

#include "platform/memory/memory_hid_bus.h"
#include "protocol/button_macro_report.h"
#include "protocol/command_report.h"
#include "protocol/settings_report.h"
#include "settings/settings_defaults.h"

namespace t47 {
namespace {

constexpr std::uint8_t kDpiNoticeReportId = 2;
constexpr std::size_t kDpiStageByte = settings_report_layout::kDpiCur;
constexpr std::uint8_t kHighestDpiStage = 7;

}  // namespace

SimulatedInterface FeatureInterface(std::int32_t length) {
    return SimulatedInterface{.featureReportLength = length};
}

SimulatedInterface InputInterface(std::int32_t length) {
    return SimulatedInterface{.inputReportLength = length};
}

SimulatedInterface SimulatedInterface::AlsoInput(std::int32_t length) const {
    SimulatedInterface changed = *this;
    changed.inputReportLength = length;
    return changed;
}

SimulatedInterface SimulatedInterface::FailingToOpen() const {
    SimulatedInterface changed = *this;
    changed.opens = false;
    return changed;
}

SimulatedInterface SimulatedInterface::WithoutCapabilities() const {
    SimulatedInterface changed = *this;
    changed.givesCapabilities = false;
    return changed;
}

SimulatedInterface SimulatedInterface::WithoutAttributes() const {
    SimulatedInterface changed = *this;
    changed.givesAttributes = false;
    return changed;
}

std::string Describe(const Transfer& transfer) {
    return "t=" + std::to_string(transfer.tick) +
           (transfer.kind == TransferKind::kSet ? " set " : " get ") +
           std::to_string(transfer.reportId) + (transfer.accepted ? " accepted" : " refused");
}

std::vector<SimulatedInterface> SimulatedMouse::StandardInterfaces() {
    return {FeatureInterface(kSettingsReportSize), FeatureInterface(kButtonMacroReportSize),
            FeatureInterface(kCommandReportSize), InputInterface(4)};
}

SimulatedMouse::SimulatedMouse(MemoryHidBus& owner, Setup deviceSetup, std::size_t place)
    : bus(owner), setup(std::move(deviceSetup)), number(place), pluggedIn(setup.pluggedIn) {
    const ProfileData profile = DefaultProfile();
    const SettingsReport settings = BuildSettingsReport(profile);
    const ButtonMacroReport buttons = BuildButtonMacroReport(profile.ButtonAssigned);
    CommandReport command{};
    command[0] = kCommandReportId;
    storedReports[kSettingsReportId].assign(settings.begin(), settings.end());
    storedReports[kButtonMacroReportId].assign(buttons.begin(), buttons.end());
    storedReports[kCommandReportId].assign(command.begin(), command.end());
}

bool SimulatedMouse::HandleTransfer(TransferKind kind, std::span<std::uint8_t> report,
                                    std::int32_t length) {
    t47::Transfer logged{bus.clock.TickCount(), kind, report[0], false, {}};
    std::vector<std::uint8_t>& stored = storedReports[report[0]];
    const auto bytes = report.first(static_cast<std::size_t>(length));
    int& refusalsOfThis = refusalsOfReport[report[0]];
    if (refusals > 0) {
        --refusals;
    } else if (refusalsOfThis > 0) {
        --refusalsOfThis;
    } else {
        if (kind == TransferKind::kSet) {
            stored.assign(bytes.begin(), bytes.end());
        } else {
            stored.resize(bytes.size());
            std::copy(stored.begin(), stored.end(), bytes.begin());
        }
        logged.accepted = true;
        logged.bytes = stored;
    }
    transfers.push_back(std::move(logged));
    if (transfersUntilVanishing > 0 && --transfersUntilVanishing == 0) {
        SetPluggedIn(false);
    }
    return transfers.back().accepted;
}

void SimulatedMouse::SetPluggedIn(bool plugged) {
    if (pluggedIn == plugged) {
        return;
    }
    pluggedIn = plugged;
    if (!plugged) {
        // Handles opened before stay dead, also after the device returns.
        for (auto& [value, handle] : bus.handles) {
            if (handle.device == this) {
                handle.deviceGone = true;
            }
        }
        bus.changed.notify_all();
    }
    bus.PostNotices(*this, plugged ? kDeviceArrival : kDeviceRemoveComplete);
}

void SimulatedMouse::Emit(std::span<const std::uint8_t> report) {
    if (!pluggedIn) {
        return;
    }
    for (auto& [value, handle] : bus.handles) {
        const std::int32_t length = setup.interfaces[handle.interfaceIndex].inputReportLength;
        if (handle.device == this && handle.open && !handle.deviceGone && length > 0) {
            std::vector<std::uint8_t> copy(report.begin(), report.end());
            copy.resize(static_cast<std::size_t>(length));
            handle.inputs.push_back(std::move(copy));
        }
    }
    bus.changed.notify_all();
}

void SimulatedMouse::RefuseNextTransfers(int count) {
    const std::lock_guard lock(bus.mutex);
    refusals = count;
}

void SimulatedMouse::RefuseNextTransfersOf(std::uint8_t reportId, int count) {
    const std::lock_guard lock(bus.mutex);
    refusalsOfReport[reportId] = count;
}

void SimulatedMouse::VanishAfterTransfers(int count) {
    const std::lock_guard lock(bus.mutex);
    transfersUntilVanishing = count;
    if (count == 0) {
        SetPluggedIn(false);
    }
}

void SimulatedMouse::Unplug() {
    const std::lock_guard lock(bus.mutex);
    SetPluggedIn(false);
}

void SimulatedMouse::PlugIn() {
    const std::lock_guard lock(bus.mutex);
    SetPluggedIn(true);
}

bool SimulatedMouse::IsPluggedIn() const {
    const std::lock_guard lock(bus.mutex);
    return pluggedIn;
}

void SimulatedMouse::PressDpiButton() {
    const std::lock_guard lock(bus.mutex);
    if (!pluggedIn) {
        return;
    }
    std::vector<std::uint8_t>& settings = storedReports[kSettingsReportId];
    settings.resize(kSettingsReportSize);
    const std::uint8_t stage = settings[kDpiStageByte];
    settings[kDpiStageByte] = stage >= kHighestDpiStage ? 1 : static_cast<std::uint8_t>(stage + 1);
    const std::uint8_t notice[] = {kDpiNoticeReportId, 0, settings[kDpiStageByte], 0};
    Emit(notice);
}

void SimulatedMouse::SendInputReport(std::span<const std::uint8_t> report) {
    const std::lock_guard lock(bus.mutex);
    Emit(report);
}

std::vector<std::uint8_t> SimulatedMouse::StoredReport(std::uint8_t id) const {
    const std::lock_guard lock(bus.mutex);
    const auto found = storedReports.find(id);
    return found != storedReports.end() ? found->second : std::vector<std::uint8_t>{};
}

void SimulatedMouse::StoreReport(std::span<const std::uint8_t> report) {
    const std::lock_guard lock(bus.mutex);
    storedReports[report[0]].assign(report.begin(), report.end());
}

std::vector<Transfer> SimulatedMouse::Transfers() const {
    const std::lock_guard lock(bus.mutex);
    return transfers;
}

void SimulatedMouse::ClearTransfers() {
    const std::lock_guard lock(bus.mutex);
    transfers.clear();
}

}  // namespace t47
