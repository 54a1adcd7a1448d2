#pragma once

// One macro event, 4 bytes in the settings file's button record and the macro library:
//
//   offset  width  field
//        0      1  Code    0 ends the list, 0xFF is a delay, else a button bit or key code
//        1      1  -       no meaning to the agent; carried as stored
//        2      2  Value   unsigned little-endian: delay, press state or bullet parameters

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace t47 {

struct MacroEvent {
    std::uint8_t Code = 0;
    std::uint8_t carriedByte1 = 0;
    std::uint16_t Value = 0;

    friend bool operator==(const MacroEvent&, const MacroEvent&) = default;
};

namespace macro_event_layout {
inline constexpr std::size_t kCode = 0;
inline constexpr std::size_t kCarriedByte1 = 1;
inline constexpr std::size_t kValue = 2;  // 2 bytes
inline constexpr std::size_t kSize = 4;
}  // namespace macro_event_layout

inline constexpr std::size_t kMacroEventSize = macro_event_layout::kSize;
inline constexpr std::size_t kMaxMacroEvents = 92;
inline constexpr std::size_t kMacroEventsSize = kMaxMacroEvents * kMacroEventSize;  // 368

using MacroEvents = std::array<MacroEvent, kMaxMacroEvents>;
using MacroEventsBytes = std::array<std::uint8_t, kMacroEventsSize>;

void MacroEventToBytes(const MacroEvent& event, std::span<std::uint8_t, kMacroEventSize> out);
MacroEvent MacroEventFromBytes(std::span<const std::uint8_t, kMacroEventSize> bytes);

// The 92 events in order, as the button record and the macro library entry hold them.
void MacroEventsToBytes(const MacroEvents& events, std::span<std::uint8_t, kMacroEventsSize> out);
MacroEventsBytes MacroEventsToBytes(const MacroEvents& events);
MacroEvents MacroEventsFromBytes(std::span<const std::uint8_t, kMacroEventsSize> bytes);

}  // namespace t47
