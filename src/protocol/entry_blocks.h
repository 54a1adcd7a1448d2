#pragma once

// Where the download finds each button's entries in report 4.
//
// Offsets are read from the table (a word above 2049 stands for its low byte, so 0xFFFF reads
// as 255, and 255 means no entries). A block runs to the next listed button's offset when that
// is larger, and is one entry long otherwise, as the last listed block always is.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "protocol/button_macro_report.h"

namespace t47 {

inline constexpr std::int32_t kNoBlockOffset = 255;

struct EntryBlock {
    std::int32_t offset = kNoBlockOffset;  // as read from the table, counted from report byte 1
    std::size_t begin = 0;                 // report byte of the block's first entry
    std::size_t length = 0;                // bytes; 0 when the button has no entries
};

// The eight blocks, in button order. A block is cut to the 920 bytes of the entry buffer and to
// the end of the report; a block that would begin past the end has no entries.
std::array<EntryBlock, kButtonCount> LocateEntryBlocks(
    std::span<const std::uint8_t, kButtonMacroReportSize> report);

}  // namespace t47
