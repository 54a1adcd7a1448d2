#pragma once

// Whether a macro read back from the mouse is the one the settings hold, so that the record
// keeps its macro library entry.

#include "settings/button_assignment.h"

namespace t47 {

// Equal function code and event count, and equal Code and Value in all 92 event slots, where a
// delay in either record matches anything at its position: delays come back from the mouse
// cut or cleared. The repeat fields, ButtonNo, MacroIndex and the carried bytes are not compared.
bool MacroAssignmentsEqual(const ButtonAssignment& a, const ButtonAssignment& b);

}  // namespace t47
