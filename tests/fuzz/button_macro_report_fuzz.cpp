// Report 4 of any content read back against held button records of any content: the blocks
// stay inside the report and the entry buffer, no record holds more than 92 events nor a Code 0
// before its end, a macro left out for lack of room keeps its held record, and the library
// entries are the differing bullet macros, well formed.
//
// Input: the 2049 report bytes, then the eight held 380-byte button records as the settings
// file stores them; missing bytes read as 0.

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "fuzz/button_macro_report_checks.h"
#include "protocol/button_macro_report_decoding.h"
#include "protocol/entry_blocks.h"
#include "protocol/macro_matching.h"
#include "settings/settings_validation.h"

namespace t47 {
namespace {

void CheckBlocks(const ButtonMacroReport& report) {
    for (const EntryBlock& block : LocateEntryBlocks(report)) {
        FuzzCheck(block.length <= kEntryBufferSize, "a block fits the entry buffer");
        FuzzCheck(block.length == 0 || block.begin + block.length <= kButtonMacroReportSize,
                  "a block lies inside the report");
    }
}

void CheckRecord(const ButtonAssignment& record, std::size_t b, const ButtonAssignment& held,
                 bool keptHeld) {
    if (keptHeld) {
        FuzzCheck(record == held, "a macro left out for lack of room keeps its held record");
        return;
    }
    FuzzCheck(record.EventCount <= kMaxMacroEvents, "at most 92 events");
    for (std::size_t i = 0; i < record.EventCount; ++i) {
        FuzzCheck(record.Events[i].Code != 0, "no Code 0 ends the list early");
    }
    for (std::size_t i = record.EventCount; i < kMaxMacroEvents; ++i) {
        FuzzCheck(record.Events[i] == MacroEvent{}, "nothing after the last event");
    }
    if (record.FunctionCode == kPlainMacroCode || record.FunctionCode == kBulletMacroCode) {
        FuzzCheck(record.ButtonNo == b + 1, "a macro's button number");
        FuzzCheck(record.MacroIndex == -1 || record.MacroIndex == held.MacroIndex, "macro index");
        return;
    }
    ButtonAssignment onlyCode{};
    onlyCode.FunctionCode = record.FunctionCode;
    FuzzCheck(record == onlyCode, "other functions hold only their code");
    FuzzCheck(record.FunctionCode == 0 || IsValidFunctionCode(record.FunctionCode), "a code");
}

}  // namespace
}  // namespace t47

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace t47;
    FuzzInput input(data, size);
    const ButtonMacroReport report = input.Bytes<kButtonMacroReportSize>();
    ButtonAssignments held{};
    for (ButtonAssignment& button : held) {
        button = ButtonAssignmentFromBytes(input.Bytes<kButtonAssignmentSize>());
    }
    CheckBlocks(report);
    const DecodedButtons decoded = DecodeButtonMacroReport(report, held);
    const auto blocks = LocateEntryBlocks(report);
    const auto heldLeftOut = MacrosLeftOut(held);

    std::size_t expectedEntries = 0;
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        const ButtonAssignment& record = decoded.buttons[b];
        const bool keptHeld = blocks[b].length == 0 && heldLeftOut[b];
        CheckRecord(record, b, held[b], keptHeld);
        if (keptHeld) {
            continue;
        }
        expectedEntries += record.FunctionCode == kBulletMacroCode &&
                           !MacroAssignmentsEqual(record, held[b]) && record.Events[0].Code >= 2;
    }
    FuzzCheck(decoded.libraryEntries.size() == expectedEntries, "one entry per differing bullet");
    std::size_t previous = 0;
    for (const LibraryEntry& entry : decoded.libraryEntries) {
        FuzzCheck(entry.buttonIndex < kButtonCount && (entry.buttonIndex >= previous),
                  "entries in button order");
        previous = entry.buttonIndex + 1;
        const ButtonAssignment& record = decoded.buttons[entry.buttonIndex];
        FuzzCheck(record.FunctionCode == kBulletMacroCode, "library entries are bullet macros");
        FuzzCheck(
            entry.number == record.Events[0].Code - 2 && entry.number >= 0 && entry.number <= 253,
            "entry number");
        const auto bullets =
            std::count_if(record.Events.begin(), record.Events.begin() + record.EventCount,
                          [](const MacroEvent& e) { return e.Code == 12; });
        FuzzCheck(entry.bulletCount == bullets && bullets <= record.EventCount, "bullet count");
        FuzzCheck(entry.events == MacroEventsToBytes(record.Events), "the 368 event bytes");
        FuzzCheck(record.MacroIndex == held[entry.buttonIndex].MacroIndex, "held index kept");
    }

    // What was read back can be sent again.
    CheckBuiltButtonMacroReport(BuildButtonMacroReport(decoded.buttons), decoded.buttons);
    return 0;
}
