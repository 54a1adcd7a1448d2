#include "protocol/macro_matching.h"

#include "protocol/macro_encoding.h"

namespace t47 {

bool MacroAssignmentsEqual(const ButtonAssignment& a, const ButtonAssignment& b) {
    if (a.FunctionCode != b.FunctionCode || a.EventCount != b.EventCount) {
        return false;
    }
    for (std::size_t i = 0; i < kMaxMacroEvents; ++i) {
        const MacroEvent& x = a.Events[i];
        const MacroEvent& y = b.Events[i];
        if (x.Code == kDelayCode || y.Code == kDelayCode) {
            continue;
        }
        if (x.Code != y.Code || x.Value != y.Value) {
            return false;
        }
    }
    return true;
}

}  // namespace t47
