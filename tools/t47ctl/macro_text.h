#pragma once

// Macros as text, one event a line, as t47ctl show prints them and t47ctl macro reads them:
//
//   repeat mode 1 count 3      RepeatMode and RepeatCount (optional; mode 0 count 0)
//   library 4                  MacroIndex, the macro library entry (optional; none)
//   down C                     a key pressed (key names: key_names.h)
//   wait 20                    a delay in milliseconds, 1 to 65535
//   up C                       released
//   down LeftButton            mouse buttons: LeftButton, RightButton, MiddleButton, Button4,
//   up LeftButton              Button5
//
// A bullet macro starts with the line "bullet"; its events are button events "down N" and
// "up N" (N 1 to 11, the same N throughout), "shot H L" (a bullet event pressed with its two
// parameter bytes) and "up shot". Blank lines and lines starting with # are skipped, and so
// are blanks at the start and end of a line.
//
// Only what the mouse carries as written is taken, so that reading the mouse back gives the same
// macro: at most 92 events; keys that send a usage; one key or button held at a time, released
// before the next press and before the end (a keyboard entry names the one key held); a wait of
// 1 ms or more after each event but the last (the mouse keeps one delay after an event); a
// count only in repeat mode 1; a bullet macro with a shot.

#include <string>
#include <string_view>
#include <variant>

#include "settings/button_assignment.h"

namespace t47 {

// What a macro's text sets in a button record.
struct MacroText {
    std::uint8_t functionCode = 0;  // plain or bullet macro
    MacroEvents events{};
    std::uint8_t eventCount = 0;
    std::uint8_t repeatMode = 0;
    std::uint8_t repeatCount = 0;
    std::int32_t macroIndex = -1;
};

// The macro, or one line saying what is wrong and where ("line 3: ...").
std::variant<MacroText, std::string> ParseMacroText(std::string_view text);

// The text of a button record's macro, a line each, every line ending in a line feed.
std::string FormatMacroText(const ButtonAssignment& assignment);

// The record with the macro in it; the bytes it carries for others stay.
ButtonAssignment WithMacro(ButtonAssignment assignment, const MacroText& macro);

}  // namespace t47
