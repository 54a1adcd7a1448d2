#pragma once

// Macro decoders: a button's entries read back from report 4 into its macro events, the
// inverse of the macro coders.
//
// The record passed in is expected zeroed. A decoder writes RepeatMode and RepeatCount from
// the first entry's mode byte, and the Code and Value of the events it makes from the first
// slot on; nothing else. It returns n, the number of events written, at most 92.

#include <cstdint>
#include <span>

#include "protocol/report_entry.h"
#include "settings/button_assignment.h"

namespace t47 {

// Plain macro (0xA6): kind 2 entries give mouse buttons, the others keys through
// UsageToKeyCode. count entries are read (at most the 92 the buffer holds).
std::int32_t DecodePlainMacro(ButtonAssignment& record,
                              std::span<const std::uint8_t, kEntryBufferSize> entries,
                              std::int32_t count);

// Bullet macro (0xA7): as the plain decoder, with kind 0xC entries giving bullet events
// (Code 12) and button events given back the first event's Code from the entries' selector.
std::int32_t DecodeBulletMacro(ButtonAssignment& record,
                               std::span<const std::uint8_t, kEntryBufferSize> entries,
                               std::int32_t count);

}  // namespace t47
