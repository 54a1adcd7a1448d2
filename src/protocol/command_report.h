#pragma once

// Feature report 6, 8 bytes: the one command the agent sends, 90 as a 32-bit little-endian
// number after the id. On the wire: 06 5A 00 00 00 00 00 00.

#include <array>
#include <cstddef>
#include <cstdint>

namespace t47 {

inline constexpr std::uint8_t kCommandReportId = 6;
inline constexpr std::size_t kCommandReportSize = 8;
inline constexpr std::uint32_t kCommandValue = 0x5A;

using CommandReport = std::array<std::uint8_t, kCommandReportSize>;

CommandReport BuildCommandReport();

}  // namespace t47
