#pragma once

// Feature report 4, 2049 bytes (the id byte and 2048 bytes): the functions of the eight
// buttons, macros included.
//
//   bytes     content
//       0     4, the report id
//    1-16     entry offset table: one unsigned little-endian word per button, button 1 first,
//             the position of the button's first entry counted from byte 1 (so the first entry
//             of all sits at offset 48, byte 49); 0xFFFF for a button without entries
//   17-48     0
// 49-2048     the entries, 10 bytes each, button after button with no gaps; 0 after the last

#include <array>
#include <cstddef>
#include <cstdint>

#include "protocol/report_entry.h"
#include "settings/button_assignment.h"

namespace t47 {

namespace button_macro_report_layout {
inline constexpr std::size_t kId = 0;
inline constexpr std::size_t kOffsetTable = 1;  // kButtonCount words
inline constexpr std::size_t kOffsetBase = 1;   // offsets count from this byte
inline constexpr std::size_t kEntryArea = 49;
inline constexpr std::size_t kSize = 2049;

inline constexpr std::uint16_t kFirstEntryOffset = kEntryArea - kOffsetBase;  // 48
inline constexpr std::uint16_t kNoEntriesOffset = 0xFFFF;
inline constexpr std::size_t kMaxEntries = (kSize - kEntryArea) / kReportEntrySize;  // 200

static_assert(kEntryArea + kMaxEntries * kReportEntrySize == kSize);
}  // namespace button_macro_report_layout

inline constexpr std::uint8_t kButtonMacroReportId = 4;
inline constexpr std::size_t kButtonMacroReportSize = button_macro_report_layout::kSize;

using ButtonMacroReport = std::array<std::uint8_t, kButtonMacroReportSize>;
using ButtonAssignments = std::array<ButtonAssignment, kButtonCount>;

// The eighth button is always sent as the right button (0xA1), whatever its record holds.
inline constexpr std::uint8_t kEighthButtonCode = 0xA1;

// The report the upload sends for these eight buttons: the fixed entries of each code, macros
// through EncodePlainMacro and EncodeBulletMacro, codes without entries at offset 0xFFFF.
// When the 200 entries cannot hold every macro, a macro that does not fit whole is left out
// (offset 0xFFFF) rather than cut; fixed functions always keep their room.
ButtonMacroReport BuildButtonMacroReport(const ButtonAssignments& buttons);

// The buttons whose macros that report leaves out for lack of room.
std::array<bool, kButtonCount> MacrosLeftOut(const ButtonAssignments& buttons);

}  // namespace t47
