#include "protocol/button_macro_report_decoding.h"

#include <algorithm>
#include <optional>

#include "protocol/entry_blocks.h"
#include "protocol/function_code_table.h"
#include "protocol/macro_decoding.h"
#include "protocol/macro_encoding.h"
#include "protocol/macro_matching.h"
#include "settings/settings_defaults.h"

namespace t47 {
namespace {

namespace entry = report_entry_layout;

constexpr std::size_t kDoubleClickLength = kDoubleClickEntries.size() * kReportEntrySize;

// Only the bullet coder writes kind 0xC entries, so one of them anywhere in the block makes it
// a bullet macro; a short one (a single bullet, or two entries) would otherwise read as plain.
bool HoldsBulletEntry(const EntryBuffer& entries, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (EntryKindNibble(EntryAt(entries, i)) == (kBulletEntry >> 4)) {
            return true;
        }
    }
    return false;
}

std::int32_t CountBulletEvents(const ButtonAssignment& record) {
    return static_cast<std::int32_t>(
        std::count_if(record.Events.begin(), record.Events.begin() + record.EventCount,
                      [](const MacroEvent& event) { return event.Code == kBulletCode; }));
}

ButtonAssignment DecodeMacro(const EntryBuffer& entries, std::size_t length,
                             std::size_t buttonIndex, const ButtonAssignment& held,
                             std::optional<LibraryEntry>& libraryEntry) {
    ButtonAssignment record{};
    record.MacroIndex = kNoMacroIndex;
    const std::size_t count = length / kReportEntrySize;
    const bool bullet = HoldsBulletEntry(entries, count);
    std::int32_t n = 0;
    if (bullet) {
        record.FunctionCode = kBulletMacroCode;
        n = DecodeBulletMacro(record, entries, static_cast<std::int32_t>(count));
    } else {
        record.FunctionCode = kPlainMacroCode;
        n = DecodePlainMacro(record, entries, static_cast<std::int32_t>(count));
        // The mouse keeps no trailing delay, and a trailing press reads back as a release.
        if (n >= 1) {
            record.Events[static_cast<std::size_t>(n - 1)].Value = 0;
        }
    }
    record.EventCount = static_cast<std::uint8_t>(n);
    record.ButtonNo = static_cast<std::uint8_t>(buttonIndex + 1);

    if (MacroAssignmentsEqual(record, held)) {
        record.MacroIndex = held.MacroIndex;
    } else if (bullet && record.Events[0].Code > 1) {
        record.MacroIndex = held.MacroIndex;
        libraryEntry = LibraryEntry{buttonIndex, record.Events[0].Code - 2,
                                    CountBulletEvents(record), MacroEventsToBytes(record.Events)};
    }
    return record;
}

ButtonAssignment DecodeButton(std::span<const std::uint8_t, kButtonMacroReportSize> report,
                              const EntryBlock& block, std::size_t buttonIndex,
                              const ButtonAssignment& held, bool heldLeftOut,
                              std::optional<LibraryEntry>& libraryEntry) {
    ButtonAssignment record{};
    if (block.length == 0) {
        // The upload leaves out a macro that does not fit. When the held one would be left out
        // too, that is what happened to it: keep it rather than lose the user's macro.
        if (heldLeftOut) {
            return held;
        }
        record.FunctionCode = kNoEntriesCode;
        return record;
    }
    EntryBuffer entries{};
    const auto blockBytes = report.subspan(block.begin, block.length);
    std::copy(blockBytes.begin(), blockBytes.end(), entries.begin());
    if (entries[entry::kModeByte] != 0) {
        return DecodeMacro(entries, block.length, buttonIndex, held, libraryEntry);
    }
    if (block.length == kDoubleClickLength) {
        record.FunctionCode = kDoubleClickCode;
    } else if (block.length == kReportEntrySize) {
        record.FunctionCode = FunctionCodeOfEntry(EntryAt(entries, 0));
    } else {
        record.FunctionCode = kNoEntriesCode;
    }
    return record;
}

}  // namespace

DecodedButtons DecodeButtonMacroReport(std::span<const std::uint8_t, kButtonMacroReportSize> report,
                                       const ButtonAssignments& held) {
    DecodedButtons decoded;
    const std::array<EntryBlock, kButtonCount> blocks = LocateEntryBlocks(report);
    const std::array<bool, kButtonCount> heldLeftOut = MacrosLeftOut(held);
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        std::optional<LibraryEntry> libraryEntry;
        decoded.buttons[b] =
            DecodeButton(report, blocks[b], b, held[b], heldLeftOut[b], libraryEntry);
        if (libraryEntry) {
            decoded.libraryEntries.push_back(*libraryEntry);
        }
    }
    return decoded;
}

}  // namespace t47
