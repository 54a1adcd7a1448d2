#include "protocol/entry_blocks.h"

#include <algorithm>

#include "settings/little_endian.h"

namespace t47 {
namespace {

namespace layout = button_macro_report_layout;

std::int32_t ReadOffset(std::span<const std::uint8_t, kButtonMacroReportSize> report,
                        std::size_t buttonIndex) {
    const std::uint16_t word = ReadU16LE(report, layout::kOffsetTable + 2 * buttonIndex);
    return word > kButtonMacroReportSize ? (word & 0xFF) : word;
}

}  // namespace

std::array<EntryBlock, kButtonCount> LocateEntryBlocks(
    std::span<const std::uint8_t, kButtonMacroReportSize> report) {
    std::array<EntryBlock, kButtonCount> blocks{};
    std::array<std::size_t, kButtonCount> listed{};
    std::size_t listedCount = 0;
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        blocks[b].offset = ReadOffset(report, b);
        if (blocks[b].offset != kNoBlockOffset) {
            listed[listedCount++] = b;
        }
    }
    for (std::size_t i = 0; i < listedCount; ++i) {
        EntryBlock& block = blocks[listed[i]];
        std::int32_t length = static_cast<std::int32_t>(kReportEntrySize);
        if (i + 1 < listedCount && blocks[listed[i + 1]].offset > block.offset) {
            length = blocks[listed[i + 1]].offset - block.offset;
        }
        block.begin = layout::kOffsetBase + static_cast<std::size_t>(block.offset);
        // Cut to the entry buffer and to the report: neither may be read past its end.
        const std::size_t inReport =
            block.begin < kButtonMacroReportSize ? kButtonMacroReportSize - block.begin : 0;
        block.length = std::min({static_cast<std::size_t>(length), kEntryBufferSize, inReport});
    }
    return blocks;
}

}  // namespace t47
