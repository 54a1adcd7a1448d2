#pragma once

// The download's reading of report 4: the eight button records, and the bullet macros that
// go into the macro library. Pure: the caller does the writing.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "protocol/button_macro_report.h"
#include "settings/macro_event.h"

namespace t47 {

// One entry of the macro library, as the download writes it.
struct LibraryEntry {
    std::size_t buttonIndex = 0;   // the button (0..7) whose macro it is
    std::int32_t number = 0;       // the first event's Code - 2, so 0..253
    std::int32_t bulletCount = 0;  // events with Code 12 among the first EventCount
    MacroEventsBytes events{};     // the record's 92 event slots, slots after the last zero

    friend bool operator==(const LibraryEntry&, const LibraryEntry&) = default;
};

struct DecodedButtons {
    ButtonAssignments buttons{};
    std::vector<LibraryEntry> libraryEntries;  // in button order
};

// Decodes every button against the records the settings hold for it (the ButtonAssigned
// records of the active slot): a macro equal to the held one by MacroAssignmentsEqual keeps the
// held MacroIndex; a different bullet macro whose first Code is 2 or more keeps it too and is
// returned as a library entry. A button without entries keeps its held record when that is a
// macro which the report built from the held records leaves out for lack of room too. Other
// non-macro records hold only their FunctionCode: 0xAB without entries or for an unknown block
// length, 0xA5 for four entries, the single-entry code (0 when none matches) for one. A block
// with a kind 0xC entry is a bullet macro, any other macro block a plain one.
DecodedButtons DecodeButtonMacroReport(std::span<const std::uint8_t, kButtonMacroReportSize> report,
                                       const ButtonAssignments& held);

}  // namespace t47
