#pragma once

// Macros that tests put on a button, written as the settings hold them.

#include "settings/button_assignment.h"

namespace t47::test {

// A bullet macro (press, release, one bullet), whose first key's code (5) numbers its entry in
// the macro library (3).
inline void GiveBulletMacro(ButtonAssignment& button) {
    button.FunctionCode = 0xA7;
    button.EventCount = 3;
    button.Events[0] = {5, 0, 1};
    button.Events[1] = {5, 0, 0};
    button.Events[2] = {12, 0, 0x3705};
}

}  // namespace t47::test
