// Report 4 built from eight button records of any content: offsets and entries stay inside
// the report, and macros that do not fit are left out whole.
//
// Input: eight 380-byte button records as the settings file stores them; missing bytes read
// as 0.

#include <cstddef>
#include <cstdint>

#include "fuzz/button_macro_report_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace t47;
    FuzzInput input(data, size);
    ButtonAssignments buttons{};
    for (ButtonAssignment& button : buttons) {
        button = ButtonAssignmentFromBytes(input.Bytes<kButtonAssignmentSize>());
    }
    CheckBuiltButtonMacroReport(BuildButtonMacroReport(buttons), buttons);
    return 0;
}
