#include "platform/linux/hid_report_descriptor.h"

#include <algorithm>
#include <cstddef>

namespace t47 {
namespace {

// A short item is one prefix byte and 0, 1, 2 or 4 bytes of little-endian data:
//
//   bit  7 6 5 4 | 3 2  | 1 0
//        tag     | type | size code (0, 1, 2, or 3 for 4 bytes)
//
// A long item is the prefix 0xFE, a data size byte, a tag byte and that much data; no tag of
// one is defined, so its data is skipped.
constexpr std::uint8_t kLongItemPrefix = 0xFE;
constexpr std::size_t kDataSizes[4] = {0, 1, 2, 4};

enum ItemType : std::uint8_t { kMain = 0, kGlobal = 1, kLocal = 2 };

// Main item tags.
constexpr std::uint8_t kInput = 0x8;
constexpr std::uint8_t kOutput = 0x9;
constexpr std::uint8_t kCollection = 0xA;
constexpr std::uint8_t kFeature = 0xB;
constexpr std::uint8_t kEndCollection = 0xC;

// Global item tags that decide report lengths.
constexpr std::uint8_t kReportSize = 0x7;
constexpr std::uint8_t kReportId = 0x8;
constexpr std::uint8_t kReportCount = 0x9;
constexpr std::uint8_t kPush = 0xA;
constexpr std::uint8_t kPop = 0xB;

// The global state that a Push saves and a Pop restores.
struct GlobalState {
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint8_t reportId = 0;
};

constexpr std::uint64_t kMaxReportBits = (std::uint64_t{kMaxHidReportLength} - 1) * 8;

// Bits so far of one report of one collection.
struct ReportBits {
    HidReportKind kind;
    std::uint8_t id;
    std::uint64_t bits;
};

std::int32_t LengthOf(std::uint64_t bits) {
    return static_cast<std::int32_t>((bits + 7) / 8 + 1);
}

}  // namespace

std::optional<HidReportDescriptor> ParseReportDescriptor(std::span<const std::uint8_t> bytes) {
    HidReportDescriptor descriptor;
    std::vector<std::vector<ReportBits>> collections;
    std::vector<GlobalState> pushed;
    GlobalState global;
    int depth = 0;

    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::uint8_t prefix = bytes[at];
        if (prefix == kLongItemPrefix) {
            if (at + 3 > bytes.size() || at + 3 + bytes[at + 1] > bytes.size()) {
                return std::nullopt;
            }
            at += 3 + bytes[at + 1];
            continue;
        }
        const std::size_t size = kDataSizes[prefix & 0x3];
        if (at + 1 + size > bytes.size()) {
            return std::nullopt;
        }
        std::uint32_t data = 0;
        for (std::size_t i = 0; i < size; ++i) {
            data |= std::uint32_t{bytes[at + 1 + i]} << (8 * i);
        }
        at += 1 + size;

        const auto type = static_cast<std::uint8_t>((prefix >> 2) & 0x3);
        const auto tag = static_cast<std::uint8_t>(prefix >> 4);
        if (type == kGlobal) {
            switch (tag) {
                case kReportSize:
                    global.reportSize = data;
                    break;
                case kReportCount:
                    global.reportCount = data;
                    break;
                case kReportId:
                    if (data == 0 || data > 0xFF) {
                        return std::nullopt;
                    }
                    global.reportId = static_cast<std::uint8_t>(data);
                    descriptor.usesReportIds = true;
                    break;
                case kPush:
                    pushed.push_back(global);
                    break;
                case kPop:
                    if (pushed.empty()) {
                        return std::nullopt;
                    }
                    global = pushed.back();
                    pushed.pop_back();
                    break;
                default:
                    break;
            }
        } else if (type == kMain) {
            if (tag == kCollection) {
                if (depth++ == 0) {
                    collections.emplace_back();
                }
            } else if (tag == kEndCollection) {
                if (depth-- == 0) {
                    return std::nullopt;
                }
            } else if (tag == kInput || tag == kOutput || tag == kFeature) {
                // Items outside every collection belong to no interface Windows lists.
                if (depth == 0) {
                    continue;
                }
                const HidReportKind kind = tag == kInput    ? HidReportKind::kInput
                                           : tag == kOutput ? HidReportKind::kOutput
                                                            : HidReportKind::kFeature;
                const std::uint64_t bits = std::uint64_t{global.reportSize} * global.reportCount;
                if (bits == 0) {
                    continue;
                }
                std::vector<ReportBits>& reports = collections.back();
                auto report = std::find_if(reports.begin(), reports.end(), [&](const auto& r) {
                    return r.kind == kind && r.id == global.reportId;
                });
                if (report == reports.end()) {
                    report = reports.insert(reports.end(), {kind, global.reportId, 0});
                }
                report->bits += bits;
                if (report->bits > kMaxReportBits) {
                    return std::nullopt;
                }
            }
        }
    }
    if (depth != 0) {
        return std::nullopt;
    }

    for (const std::vector<ReportBits>& reports : collections) {
        HidTopLevelCollection& collection = descriptor.collections.emplace_back();
        for (const ReportBits& report : reports) {
            collection.reports.push_back({report.kind, report.id, LengthOf(report.bits)});
        }
    }
    return descriptor;
}

HidCapabilities CapabilitiesOf(const HidTopLevelCollection& collection) {
    HidCapabilities capabilities;
    for (const HidReportLayout& report : collection.reports) {
        if (report.kind == HidReportKind::kInput) {
            capabilities.inputReportLength =
                std::max(capabilities.inputReportLength, report.length);
        } else if (report.kind == HidReportKind::kFeature) {
            capabilities.featureReportLength =
                std::max(capabilities.featureReportLength, report.length);
        }
    }
    return capabilities;
}

std::optional<HidReportLayout> FindReport(const HidTopLevelCollection& collection,
                                          HidReportKind kind, std::uint8_t id) {
    for (const HidReportLayout& report : collection.reports) {
        if (report.kind == kind && report.id == id) {
            return report;
        }
    }
    return std::nullopt;
}

}  // namespace t47
