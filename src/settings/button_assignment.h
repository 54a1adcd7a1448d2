#pragma once

// One button's assignment, stored whole in the settings file as a 380-byte record:
//
//   offset  width  field
//        0      1  ButtonNo       button index + 1 (0 in non-macro records the download writes)
//        1      1  FunctionCode   the button's function
//        2      1  EventCount     number of events in Events
//        3      1  -              no meaning to the agent; carried as stored
//        4    368  Events         92 macro events of 4 bytes; the list ends at the first Code 0
//      372      1  RepeatMode
//      373      1  RepeatCount    used when RepeatMode is 1
//      374      2  -              no meaning to the agent; carried as stored
//      376      4  MacroIndex     signed little-endian: macro library entry, -1 for none

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "settings/macro_event.h"

namespace t47 {

struct ButtonAssignment {
    std::uint8_t ButtonNo = 0;
    std::uint8_t FunctionCode = 0;
    std::uint8_t EventCount = 0;
    std::uint8_t carriedByte3 = 0;
    MacroEvents Events{};
    std::uint8_t RepeatMode = 0;
    std::uint8_t RepeatCount = 0;
    std::array<std::uint8_t, 2> carriedBytes374{};
    std::int32_t MacroIndex = 0;

    friend bool operator==(const ButtonAssignment&, const ButtonAssignment&) = default;
};

namespace button_assignment_layout {
inline constexpr std::size_t kButtonNo = 0;
inline constexpr std::size_t kFunctionCode = 1;
inline constexpr std::size_t kEventCount = 2;
inline constexpr std::size_t kCarriedByte3 = 3;
inline constexpr std::size_t kEvents = 4;  // kMacroEventsSize bytes
inline constexpr std::size_t kRepeatMode = 372;
inline constexpr std::size_t kRepeatCount = 373;
inline constexpr std::size_t kCarriedBytes374 = 374;  // 2 bytes
inline constexpr std::size_t kMacroIndex = 376;       // 4 bytes
inline constexpr std::size_t kSize = 380;

static_assert(kEvents + kMacroEventsSize == kRepeatMode);
static_assert(kMacroIndex + 4 == kSize);
}  // namespace button_assignment_layout

inline constexpr std::size_t kButtonAssignmentSize = button_assignment_layout::kSize;
inline constexpr std::size_t kButtonCount = 8;

using ButtonAssignmentBytes = std::array<std::uint8_t, kButtonAssignmentSize>;

ButtonAssignmentBytes ButtonAssignmentToBytes(const ButtonAssignment& assignment);
ButtonAssignment ButtonAssignmentFromBytes(
    std::span<const std::uint8_t, kButtonAssignmentSize> bytes);

}  // namespace t47
