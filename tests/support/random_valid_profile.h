#pragma once

// Random profiles that validation accepts, for property tests of what survives the mouse: every
// function code on every button, plain and bullet macros with presses and releases of keys and
// mouse buttons, delays and bullet events, macros of up to 92 events, and profiles whose macros
// overflow the 200 entries of report 4. Fields the mouse does not carry are random too, so that
// a test sees them left alone.
//
// One seed makes one profile, the same with every compiler and standard library, so a failure
// is replayed from the seed it printed: RandomValidProfile(seed).

#include <cstdint>

#include "settings/profile_data.h"

namespace t47::test {

ProfileData RandomValidProfile(std::uint32_t seed);

}  // namespace t47::test
