#pragma once

// The model of a round trip through the mouse: what the agent's profile becomes when a profile
// has been uploaded (reports 3 and 4) and the mouse is read back by the download. Written from
// the rules of what the wire carries, not from the coders, so that tests of the coders, of the
// upload and download exchanges, and of a whole agent can all be held against it.

#include <vector>

#include "protocol/button_macro_report_decoding.h"
#include "settings/profile_data.h"

namespace t47::test {

struct MouseReadBack {
    ProfileData profile;                       // the agent's profile after the download
    std::vector<LibraryEntry> libraryEntries;  // what the download adds to the macro library
};

// What `agent` (the profile the download reads into, whose buttons are also the held ones it
// compares with) becomes after `uploaded`, a valid profile whose macros the wire carries (as
// RandomValidProfile makes them), went through the mouse.
//
// Every field the two reports carry comes back exactly, but for what the read-back normalises:
// - a plain macro's last event has Value 0 (a trailing delay, or press, is cleared);
// - RepeatCount is 1..15 in repeat mode 1, else 0; a RepeatMode past 14 reads back as 0;
// - a macro record is made anew: ButtonNo is the button number, EventCount the events read,
//   MacroIndex the held one when the held macro matches or for a bullet macro whose first
//   Code is 2 or more (which then also goes to the library), else -1; carried bytes are 0;
// - other functions hold only their code: the eighth button always 0xA1, codes sent without
//   entries 0xAB, and a macro left out for lack of room 0xAB too, unless the held macro of that
//   button would be left out as well: then the held record stays;
// - the lighting: the type and its low nibble (read into Cycle_enable whatever the type) only
//   with the light on; the colour as scaled by light_bright on the wire and unscaled by the
//   agent's brightness; black on the wire (light off, or scaled to nothing) turns the light
//   and its brightness off; colours lose their high byte.
// Every field the mouse does not carry keeps the agent's value.
MouseReadBack ReadBackThroughMouse(const ProfileData& uploaded, const ProfileData& agent);

}  // namespace t47::test
