#include "device/input_report.h"

#include <cstdio>

namespace t47 {
namespace {

std::uint8_t ByteAt(std::span<const std::uint8_t> report, std::size_t index) {
    return index < report.size() ? report[index] : 0;
}

}  // namespace

std::u16string InputReportDebugLine(std::span<const std::uint8_t> report, std::int32_t length) {
    char text[64];
    std::snprintf(text, sizeof text, "%d: %02x %02x %02x %02x %02x %02x %02x %02x\n",
                  static_cast<int>(length), ByteAt(report, 0), ByteAt(report, 1), ByteAt(report, 2),
                  ByteAt(report, 3), ByteAt(report, 4), ByteAt(report, 5), ByteAt(report, 6),
                  ByteAt(report, 7));
    return std::u16string(text, text + std::char_traits<char>::length(text));
}

std::optional<std::uint8_t> DpiStageOfReport(std::span<const std::uint8_t> report) {
    if (ByteAt(report, 0) == kDpiNoticeReportId && ByteAt(report, 1) == 0 &&
        ByteAt(report, 3) == 0 && ByteAt(report, 2) != 0) {
        return report[2];
    }
    return std::nullopt;
}

}  // namespace t47
