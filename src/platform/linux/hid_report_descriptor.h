#pragma once

// What a HID report descriptor says about report lengths, read as Windows reads it: one entry
// per top-level collection, and per collection the reports it holds with their lengths.
//
// A hidraw node carries every collection of a USB interface, while Windows lists each
// top-level collection as an interface of its own with lengths of its own (`HidP_GetCaps`):
// the longest report of a kind in the collection, plus the report id byte, which Windows counts
// also when the device numbers no reports (it is then 0).

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/hid_bus.h"

namespace t47 {

enum class HidReportKind : std::uint8_t { kInput, kOutput, kFeature };

struct HidReportLayout {
    HidReportKind kind = HidReportKind::kInput;
    std::uint8_t id = 0;      // 0 when the device numbers no reports
    std::int32_t length = 0;  // in bytes, the id byte included

    friend bool operator==(const HidReportLayout&, const HidReportLayout&) = default;
};

struct HidTopLevelCollection {
    // One entry per kind and id, in the order the descriptor first names them.
    std::vector<HidReportLayout> reports;

    friend bool operator==(const HidTopLevelCollection&, const HidTopLevelCollection&) = default;
};

struct HidReportDescriptor {
    bool usesReportIds = false;  // then every report starts with its id byte on the wire
    std::vector<HidTopLevelCollection> collections;
};

// The longest report a kernel buffer or an ioctl's size field carries; a descriptor that
// declares a longer one is refused, as the kernel refuses the device.
inline constexpr std::int32_t kMaxHidReportLength = 16383;

// None for a descriptor the kernel would not take either: an item cut short, a collection
// closed that was never opened or left open, a global state popped that was never pushed,
// report id 0 or above 255, a report longer than kMaxHidReportLength.
std::optional<HidReportDescriptor> ParseReportDescriptor(std::span<const std::uint8_t> bytes);

// The lengths `HidP_GetCaps` gives for the collection.
HidCapabilities CapabilitiesOf(const HidTopLevelCollection& collection);

// The report of that kind and id in the collection; none when it holds no such report.
std::optional<HidReportLayout> FindReport(const HidTopLevelCollection& collection,
                                          HidReportKind kind, std::uint8_t id);

}  // namespace t47
