#include "device/hid_device_link.h"

namespace t47 {

HidDeviceLink::HidDeviceLink(HidBus& hidBus, Clock& linkClock, DebugOutput& debugOutput,
                             WindowMessages& windowMessages)
    : bus(hidBus),
      clock(linkClock),
      debug(debugOutput),
      messages(windowMessages),
      inputBuffer(std::make_unique<std::array<std::uint8_t, kInputBufferSize>>()) {}

HidDeviceLink::~HidDeviceLink() {
    if (listener.joinable()) {
        listener.request_stop();
        listener.join();
    }
    const HidHandle input = inputHandle.exchange(kInvalidHidHandle);
    if (featureHandle != kInvalidHidHandle) {
        bus.Close(featureHandle);
    }
    if (input != kInvalidHidHandle && input != featureHandle) {
        bus.Close(input);
    }
    featureHandle = kInvalidHidHandle;
}

void HidDeviceLink::SetAlternateIds(std::int32_t vendorId, std::int32_t productId) {
    altVendorId = vendorId;
    altProductId = productId;
}

bool HidDeviceLink::IsMouse(const HidAttributes& attributes) const {
    const std::int32_t vendor = attributes.vendorId;
    const std::int32_t product = attributes.productId;
    return (vendor == kMouseVendorId || vendor == altVendorId) &&
           (product == kMouseProductId || product == altProductId);
}

void HidDeviceLink::CloseUnlessHeld(HidHandle handle) {
    if (handle != kInvalidHidHandle && handle != featureHandle && handle != inputHandle.load()) {
        bus.Close(handle);
    }
}

std::int32_t HidDeviceLink::OpenDevice(std::int32_t featureReportLength) {
    // Closing the input handle also ends a read the listener has pending on it.
    const HidHandle oldInput = inputHandle.exchange(kInvalidHidHandle);
    const HidHandle oldFeature = featureHandle;
    featureHandle = kInvalidHidHandle;
    if (oldFeature != kInvalidHidHandle) {
        bus.Close(oldFeature);
    }
    if (oldInput != kInvalidHidHandle && oldInput != oldFeature) {
        bus.Close(oldInput);
    }

    std::int32_t found = 0;
    for (const std::u16string& path : bus.ListInterfaces()) {
        const HidHandle handle = bus.Open(path);
        if (handle == kInvalidHidHandle) {
            continue;
        }
        const std::optional<HidCapabilities> capabilities = bus.Capabilities(handle);
        const std::optional<HidAttributes> attributes = bus.Attributes(handle);
        if (!capabilities || !attributes || !IsMouse(*attributes)) {
            bus.Close(handle);
            continue;
        }
        bool tookARole = false;
        if (capabilities->featureReportLength == featureReportLength) {
            const HidHandle displaced = featureHandle;
            featureHandle = handle;
            CloseUnlessHeld(displaced);
            found = 1;
            tookARole = true;
        }
        if (capabilities->inputReportLength == inputReportLength) {
            const HidHandle displaced = inputHandle.exchange(handle);
            CloseUnlessHeld(displaced);
            tookARole = true;
        }
        if (!tookARole) {
            bus.Close(handle);
        }
    }
    if (inputHandle.load() != kInvalidHidHandle) {
        {
            // Under the mutex: ordered after a waiting listener's look at the count.
            const std::lock_guard lock(inputHandleMutex);
            ++inputHandleOpenings;
        }
        inputHandleOpened.notify_all();
    }
    return found;
}

void HidDeviceLink::CloseFeatureHandle() {
    if (featureHandle == kInvalidHidHandle) {
        return;
    }
    const HidHandle closing = featureHandle;
    featureHandle = kInvalidHidHandle;
    CloseUnlessHeld(closing);
}

std::int32_t HidDeviceLink::SetFeatureReport(std::span<const std::uint8_t> report) {
    return bus.SetFeature(featureHandle, report) ? 1 : 0;
}

std::int32_t HidDeviceLink::GetFeatureReport(std::span<std::uint8_t> report) {
    return bus.GetFeature(featureHandle, report) ? 1 : 0;
}

}  // namespace t47
