#pragma once

// The system's HID interfaces: each top-level collection of a device is one interface with a
// path of its own, as Windows lists them. What the device link needs to find the mouse, move
// feature reports and read input reports, and what tells the agent window that HID devices came
// or went.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "platform/handles.h"

namespace t47 {

// Report lengths as the system computes them from the report descriptor: the longest report
// of each kind in the collection, the report id byte included; 0 when it has none.
struct HidCapabilities {
    std::int32_t inputReportLength = 0;
    std::int32_t featureReportLength = 0;
};

struct HidAttributes {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

// The wParam of kWmDeviceChange, by the Windows values (DBT_DEVICEARRIVAL,
// DBT_DEVICEREMOVECOMPLETE).
inline constexpr std::uintptr_t kDeviceArrival = 0x8000;
inline constexpr std::uintptr_t kDeviceRemoveComplete = 0x8004;

class HidBus {
  public:
    virtual ~HidBus() = default;

    // The paths of the interfaces present now, in the system's enumeration order.
    virtual std::vector<std::u16string> ListInterfaces() = 0;

    // Opens an interface for reading and writing, shared with other programs, for reads that
    // another thread can end; kInvalidHidHandle when it cannot be opened (the system holds some
    // collections exclusively).
    virtual HidHandle Open(std::u16string_view path) = 0;

    // None when they cannot be read.
    virtual std::optional<HidCapabilities> Capabilities(HidHandle handle) = 0;
    virtual std::optional<HidAttributes> Attributes(HidHandle handle) = 0;

    // One feature report each way; byte 0 of the buffer is the report id, and the buffer must
    // be at least the interface's feature report length. GetFeature fills the buffer, the id
    // byte included. False on any failure, an invalid or closed handle included.
    virtual bool SetFeature(HidHandle handle, std::span<const std::uint8_t> report) = 0;
    virtual bool GetFeature(HidHandle handle, std::span<std::uint8_t> report) = 0;

    // Waits for the next input report of the interface and copies it into the buffer; the
    // number of bytes read. 0 means no report: the read failed, the device went away, another
    // thread closed the handle, or `stop` was requested; none of these leaves the call waiting.
    virtual std::size_t ReadInputReport(HidHandle handle, std::span<std::uint8_t> buffer,
                                        std::stop_token stop) = 0;

    // Closes a handle that Open returned; each handle exactly once.
    virtual void Close(HidHandle handle) = 0;

    // From now on the window receives WM_DEVICECHANGE whenever a HID interface arrives or goes
    // (wParam kDeviceArrival or kDeviceRemoveComplete),
    // for as long as the window exists; kNoRegistration when the system refused.
    virtual NoticeRegistration RegisterDeviceNotices(WindowHandle window) = 0;
};

}  // namespace t47
