#include "settings/button_assignment.h"

#include "settings/little_endian.h"

namespace t47 {

namespace layout = button_assignment_layout;

ButtonAssignmentBytes ButtonAssignmentToBytes(const ButtonAssignment& assignment) {
    ButtonAssignmentBytes bytes{};
    bytes[layout::kButtonNo] = assignment.ButtonNo;
    bytes[layout::kFunctionCode] = assignment.FunctionCode;
    bytes[layout::kEventCount] = assignment.EventCount;
    bytes[layout::kCarriedByte3] = assignment.carriedByte3;
    MacroEventsToBytes(assignment.Events,
                       std::span(bytes).subspan<layout::kEvents, kMacroEventsSize>());
    bytes[layout::kRepeatMode] = assignment.RepeatMode;
    bytes[layout::kRepeatCount] = assignment.RepeatCount;
    bytes[layout::kCarriedBytes374] = assignment.carriedBytes374[0];
    bytes[layout::kCarriedBytes374 + 1] = assignment.carriedBytes374[1];
    WriteI32LE(bytes, layout::kMacroIndex, assignment.MacroIndex);
    return bytes;
}

ButtonAssignment ButtonAssignmentFromBytes(
    std::span<const std::uint8_t, kButtonAssignmentSize> bytes) {
    ButtonAssignment assignment;
    assignment.ButtonNo = bytes[layout::kButtonNo];
    assignment.FunctionCode = bytes[layout::kFunctionCode];
    assignment.EventCount = bytes[layout::kEventCount];
    assignment.carriedByte3 = bytes[layout::kCarriedByte3];
    assignment.Events = MacroEventsFromBytes(bytes.subspan<layout::kEvents, kMacroEventsSize>());
    assignment.RepeatMode = bytes[layout::kRepeatMode];
    assignment.RepeatCount = bytes[layout::kRepeatCount];
    assignment.carriedBytes374 = {bytes[layout::kCarriedBytes374],
                                  bytes[layout::kCarriedBytes374 + 1]};
    assignment.MacroIndex = ReadI32LE(bytes, layout::kMacroIndex);
    return assignment;
}

}  // namespace t47
