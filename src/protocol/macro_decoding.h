#pragma once

// Macro decoders: a button's entries read back from report 4 into its macro events, the
// inverse of the macro coders.
//
// The record passed in is expected zeroed. A decoder writes RepeatMode and RepeatCount from
// the first entry's mode byte, and the Code and Value of the events it makes from the first
// slot on; nothing else. It returns n, the number of events written, at most 92.
//
// An entry without a key releases the latest event that is no delay (none when there is no
// such event), and a usage byte that no key code has makes no event: a decoded list never
// holds a Code 0 before its end, which would cut it short at the next upload and leave a key
// held.

#include <cstdint>
#include <span>

#include "protocol/report_entry.h"
#include "settings/button_assignment.h"

namespace t47 {

// Plain macro (0xA6): kind 2 entries give mouse buttons, the others keys through
// UsageByteToKeyCode. count entries are read (at most the 92 the buffer holds).
std::int32_t DecodePlainMacro(ButtonAssignment& record,
                              std::span<const std::uint8_t, kEntryBufferSize> entries,
                              std::int32_t count);

// Bullet macro (0xA7): as the plain decoder, with kind 0xC entries giving bullet events
// (Code 12) and button events given back the first event's Code from the entries' selector.
// A kind 0xA entry is always a release: of the latest bullet when it repeats that bullet's
// bytes 1 and 2, else of the code in its byte 1.
std::int32_t DecodeBulletMacro(ButtonAssignment& record,
                               std::span<const std::uint8_t, kEntryBufferSize> entries,
                               std::int32_t count);

}  // namespace t47
