#pragma once

// One 10-byte entry of report 4, the unit in which the mouse stores a button's function:
//
//   byte  content
//      0  kind in the high three bits, the button number 1..8 in the low bits
//    1-6  payload by kind (unused bytes 0)
//      7  macro mode byte in every entry of a macro, 0 in every other entry
//    8-9  unsigned little-endian duration that follows the entry: a macro delay, 0x0041 in the
//         double-click entries, 0xFFFF in the single mouse-button entries, 0 elsewhere

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "settings/little_endian.h"
#include "settings/macro_event.h"

namespace t47 {

namespace report_entry_layout {
inline constexpr std::size_t kKind = 0;  // kind | button number
inline constexpr std::size_t kByte1 = 1;
inline constexpr std::size_t kByte2 = 2;
inline constexpr std::size_t kByte3 = 3;
inline constexpr std::size_t kModeByte = 7;
inline constexpr std::size_t kDuration = 8;  // 2 bytes
inline constexpr std::size_t kSize = 10;
}  // namespace report_entry_layout

inline constexpr std::size_t kReportEntrySize = report_entry_layout::kSize;

// Entry kinds, byte 0 without the button number.
inline constexpr std::uint8_t kMouseDownEntry = 0x20;
inline constexpr std::uint8_t kMouseUpEntry = 0xA0;
inline constexpr std::uint8_t kSelectorEntry = 0x40;
inline constexpr std::uint8_t kKeyboardEntry = 0x60;
inline constexpr std::uint8_t kBitPatternEntry = 0x80;
inline constexpr std::uint8_t kBulletEntry = 0xC0;

// A button's entries, one after the other: what a macro coder writes and what a decoder reads.
// Room for one entry per event, since a macro holds at most 92 events.
inline constexpr std::size_t kEntryBufferEntries = kMaxMacroEvents;
inline constexpr std::size_t kEntryBufferSize = kEntryBufferEntries * kReportEntrySize;  // 920
using EntryBuffer = std::array<std::uint8_t, kEntryBufferSize>;

using ReportEntry = std::span<std::uint8_t, kReportEntrySize>;
using ConstReportEntry = std::span<const std::uint8_t, kReportEntrySize>;

inline ReportEntry WritableEntryAt(std::span<std::uint8_t, kEntryBufferSize> entries,
                                   std::size_t index) {
    return entries.subspan(index * kReportEntrySize).first<kReportEntrySize>();
}

inline ConstReportEntry EntryAt(std::span<const std::uint8_t, kEntryBufferSize> entries,
                                std::size_t index) {
    return entries.subspan(index * kReportEntrySize).first<kReportEntrySize>();
}

// The high four bits of byte 0, as the decoders compare them (2, 4, 6, 8, 0xA, 0xC).
inline std::uint8_t EntryKindNibble(ConstReportEntry entry) {
    return static_cast<std::uint8_t>(entry[report_entry_layout::kKind] >> 4);
}

inline std::uint16_t EntryDuration(ConstReportEntry entry) {
    return ReadU16LE(entry, report_entry_layout::kDuration);
}

inline void SetEntryDuration(ReportEntry entry, std::uint16_t duration) {
    WriteU16LE(entry, report_entry_layout::kDuration, duration);
}

}  // namespace t47
