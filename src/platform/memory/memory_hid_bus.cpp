#include "platform/memory/memory_hid_bus.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "protocol/button_macro_report.h"
#include "protocol/command_report.h"
#include "protocol/settings_report.h"

namespace t47 {
namespace {

// The id of the feature report that an interface of this feature length carries; 0 for none.
std::uint8_t FeatureReportIdOf(std::int32_t featureLength) {
    switch (featureLength) {
        case static_cast<std::int32_t>(kSettingsReportSize):
            return kSettingsReportId;
        case static_cast<std::int32_t>(kButtonMacroReportSize):
            return kButtonMacroReportId;
        case static_cast<std::int32_t>(kCommandReportSize):
            return kCommandReportId;
        default:
            return 0;
    }
}

std::u16string Ascii(const char* text) {
    std::u16string converted;
    for (; *text != '\0'; ++text) {
        converted.push_back(static_cast<char16_t>(*text));
    }
    return converted;
}

}  // namespace

MemoryHidBus::MemoryHidBus(Clock& busClock, WindowMessages& noticeMessages)
    : clock(busClock), messages(noticeMessages) {}

MemoryHidBus::~MemoryHidBus() = default;

SimulatedMouse& MemoryHidBus::AttachMouse() {
    return AttachMouse(SimulatedMouse::Setup{});
}

SimulatedMouse& MemoryHidBus::AttachMouse(SimulatedMouse::Setup setup) {
    const std::lock_guard lock(mutex);
    devices.push_back(std::unique_ptr<SimulatedMouse>(
        new SimulatedMouse(*this, std::move(setup), devices.size())));
    return *devices.back();
}

std::u16string MemoryHidBus::PathOf(const SimulatedMouse& device, std::size_t interfaceIndex) {
    // Spelled as the system spells HID interface paths, one collection each.
    char path[128];
    std::snprintf(
        path, sizeof path,
        "\\\\?\\hid#vid_%04x&pid_%04x&col%02zu#%zu#{4d1e55b2-f16f-11cf-88cb-001111000030}",
        device.setup.ids.vendorId, device.setup.ids.productId, interfaceIndex + 1, device.number);
    return Ascii(path);
}

std::vector<std::u16string> MemoryHidBus::ListInterfaces() {
    const std::lock_guard lock(mutex);
    std::vector<std::u16string> paths;
    for (const auto& device : devices) {
        if (!device->pluggedIn) {
            continue;
        }
        for (std::size_t i = 0; i < device->setup.interfaces.size(); ++i) {
            paths.push_back(PathOf(*device, i));
        }
    }
    return paths;
}

HidHandle MemoryHidBus::Open(std::u16string_view path) {
    const std::lock_guard lock(mutex);
    for (const auto& device : devices) {
        for (std::size_t i = 0; device->pluggedIn && i < device->setup.interfaces.size(); ++i) {
            if (PathOf(*device, i) != path) {
                continue;
            }
            if (!device->setup.interfaces[i].opens) {
                return kInvalidHidHandle;
            }
            const std::uintptr_t value = nextHandle;
            nextHandle += 4;
            OpenHandle& opened = handles[value];
            opened.device = device.get();
            opened.interfaceIndex = i;
            return HidHandle{value};
        }
    }
    return kInvalidHidHandle;
}

MemoryHidBus::OpenHandle* MemoryHidBus::Live(HidHandle handle, const char* use) {
    if (handle == kInvalidHidHandle) {
        return nullptr;  // the system refuses it; no harm done
    }
    const auto found = handles.find(static_cast<std::uintptr_t>(handle));
    // The listener may take a handle just before the window thread closes it: its read then
    // fails, as the design expects. Anything else on a closed handle is a fault of the caller.
    const bool closedIsExpected = std::string_view(use) == "read";
    if (found != handles.end() && !found->second.open && closedIsExpected) {
        return nullptr;
    }
    if (found == handles.end() || !found->second.open) {
        misuses.push_back(std::string(use) + " on a handle that is not open (" +
                          std::to_string(static_cast<std::uintptr_t>(handle)) + ")");
        return nullptr;
    }
    return found->second.deviceGone ? nullptr : &found->second;
}

std::optional<HidCapabilities> MemoryHidBus::Capabilities(HidHandle handle) {
    const std::lock_guard lock(mutex);
    const OpenHandle* open = Live(handle, "capabilities");
    if (open == nullptr) {
        return std::nullopt;
    }
    const SimulatedInterface& collection = open->device->setup.interfaces[open->interfaceIndex];
    if (!collection.givesCapabilities) {
        return std::nullopt;
    }
    return HidCapabilities{collection.inputReportLength, collection.featureReportLength};
}

std::optional<HidAttributes> MemoryHidBus::Attributes(HidHandle handle) {
    const std::lock_guard lock(mutex);
    const OpenHandle* open = Live(handle, "attributes");
    if (open == nullptr || !open->device->setup.interfaces[open->interfaceIndex].givesAttributes) {
        return std::nullopt;
    }
    return open->device->setup.ids;
}

bool MemoryHidBus::Transfer(TransferKind kind, HidHandle handle, std::span<std::uint8_t> report) {
    const std::lock_guard lock(mutex);
    OpenHandle* open = Live(handle, kind == TransferKind::kSet ? "set feature" : "get feature");
    if (open == nullptr) {
        return false;
    }
    const std::int32_t length =
        open->device->setup.interfaces[open->interfaceIndex].featureReportLength;
    // As the system checks before the device sees anything: a buffer of at least the
    // interface's length, holding a report of that interface.
    if (length == 0 || report.size() < static_cast<std::size_t>(length) ||
        report[0] != FeatureReportIdOf(length)) {
        return false;
    }
    return open->device->HandleTransfer(kind, report, length);
}

bool MemoryHidBus::SetFeature(HidHandle handle, std::span<const std::uint8_t> report) {
    std::vector<std::uint8_t> sent(report.begin(), report.end());
    return Transfer(TransferKind::kSet, handle, sent);
}

bool MemoryHidBus::GetFeature(HidHandle handle, std::span<std::uint8_t> report) {
    return Transfer(TransferKind::kGet, handle, report);
}

std::size_t MemoryHidBus::ReadInputReport(HidHandle handle, std::span<std::uint8_t> buffer,
                                          std::stop_token stop) {
    std::unique_lock lock(mutex);
    OpenHandle* open = Live(handle, "read");
    if (open == nullptr) {
        return 0;
    }
    const auto length = static_cast<std::size_t>(
        open->device->setup.interfaces[open->interfaceIndex].inputReportLength);
    if (length == 0 || buffer.size() < length) {
        return 0;
    }
    ++open->pendingReads;
    changed.notify_all();
    changed.wait(lock, stop,
                 [open] { return !open->inputs.empty() || !open->open || open->deviceGone; });
    --open->pendingReads;
    if (!open->open || open->deviceGone || open->inputs.empty()) {
        return 0;
    }
    const std::vector<std::uint8_t> report = std::move(open->inputs.front());
    open->inputs.pop_front();
    std::copy(report.begin(), report.end(), buffer.begin());
    return report.size();
}

void MemoryHidBus::Close(HidHandle handle) {
    {
        const std::lock_guard lock(mutex);
        const auto found = handles.find(static_cast<std::uintptr_t>(handle));
        if (found == handles.end() || !found->second.open) {
            misuses.push_back("close of a handle that is not open (" +
                              std::to_string(static_cast<std::uintptr_t>(handle)) + ")");
            return;
        }
        found->second.open = false;
        found->second.inputs.clear();
    }
    changed.notify_all();
}

NoticeRegistration MemoryHidBus::RegisterDeviceNotices(WindowHandle window) {
    const std::lock_guard lock(mutex);
    if (refuseRegistrations) {
        return kNoRegistration;
    }
    noticeWindows.push_back(window);
    return NoticeRegistration{noticeWindows.size()};
}

void MemoryHidBus::RefuseNoticeRegistrations() {
    const std::lock_guard lock(mutex);
    refuseRegistrations = true;
}

void MemoryHidBus::PostNotices(const SimulatedMouse& device, WParam event) {
    for (std::size_t i = 0; i < device.setup.interfaces.size(); ++i) {
        for (const WindowHandle window : noticeWindows) {
            messages.Post(window, kWmDeviceChange, event, 0);
        }
    }
}

std::string MemoryHidBus::HandleTarget(HidHandle handle) const {
    const std::lock_guard lock(mutex);
    const auto found = handles.find(static_cast<std::uintptr_t>(handle));
    if (handle == kInvalidHidHandle || found == handles.end()) {
        return "invalid";
    }
    if (!found->second.open) {
        return "closed";
    }
    return "dev" + std::to_string(found->second.device->number) + "/if" +
           std::to_string(found->second.interfaceIndex);
}

std::size_t MemoryHidBus::OpenHandleCount() const {
    const std::lock_guard lock(mutex);
    return static_cast<std::size_t>(std::count_if(
        handles.begin(), handles.end(), [](const auto& entry) { return entry.second.open; }));
}

std::size_t MemoryHidBus::PendingReadCount() const {
    const std::lock_guard lock(mutex);
    std::size_t count = 0;
    for (const auto& [value, handle] : handles) {
        count += static_cast<std::size_t>(handle.pendingReads);
    }
    return count;
}

bool MemoryHidBus::WaitForPendingRead(HidHandle handle, std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, limit, [&] {
        const auto found = handles.find(static_cast<std::uintptr_t>(handle));
        return found != handles.end() && found->second.pendingReads > 0;
    });
}

std::vector<std::string> MemoryHidBus::Misuses() const {
    const std::lock_guard lock(mutex);
    return misuses;
}

}  // namespace t47
