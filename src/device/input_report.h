#pragma once

// The mouse's input report, 4 bytes on its input interface:
//
//   byte  content
//      0  report id: 2 for a DPI notice
//      1  0 in a DPI notice
//      2  the DPI stage now selected on the mouse, numbered as DPI_Cur; never 0 in a notice
//      3  0 in a DPI notice
//
// Every report read is written to the debugger; only DPI notices go further.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace t47 {

inline constexpr std::int32_t kInputReportLength = 4;
inline constexpr std::uint8_t kDpiNoticeReportId = 2;

// "%d: %02x %02x %02x %02x %02x %02x %02x %02x\n" of the length and report bytes 0 to 7
// (bytes the report lacks count as 0).
std::u16string InputReportDebugLine(std::span<const std::uint8_t> report, std::int32_t length);

// The stage a DPI notice reports; none for any other report.
std::optional<std::uint8_t> DpiStageOfReport(std::span<const std::uint8_t> report);

}  // namespace t47
