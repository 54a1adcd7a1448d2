#pragma once

// Macro coders: a button's macro events turned into the 10-byte entries of report 4.
//
// Both walk the events up to the first Code 0 (at most 92). A delay (Code 0xFF) makes no entry
// of its own: it goes into bytes 8-9 of the entry before it. Every entry carries the mode byte
// in byte 7. Byte 0 is written without the button number; the report builder ORs it in.

#include <cstdint>
#include <span>

#include "protocol/report_entry.h"
#include "settings/button_assignment.h"

namespace t47 {

inline constexpr std::uint8_t kDelayCode = 0xFF;
inline constexpr std::uint8_t kBulletCode = 12;

// The highest RepeatMode the mode byte's high nibble can carry.
inline constexpr std::uint8_t kMaxRepeatMode = 14;

// Byte 7 of every macro entry: (RepeatMode + 1) in the high nibble; RepeatMode 1 (repeat a
// number of times) also sends RepeatCount, held to 1..15, in the low nibble. A RepeatMode past
// 14 is sent as 0, never as the mode byte 0 that marks no macro.
std::uint8_t MacroModeByte(std::uint8_t repeatMode, std::uint8_t repeatCount);

// Plain macro (0xA6): mouse buttons (Codes 1, 2, 4, 8, 16) and key codes of KeyUsageTable.
// Writes entries 0..n-1 of out and returns n (0..92).
std::int32_t EncodePlainMacro(const ButtonAssignment& assignment,
                              std::span<std::uint8_t, kEntryBufferSize> out);

// Bullet macro (0xA7): button events (Codes 1..11) go out as the first button, bullet events
// (Code 12) as kind 0xC0 entries carrying the selector S = first Code - 1. Returns n (0..92).
std::int32_t EncodeBulletMacro(const ButtonAssignment& assignment,
                               std::span<std::uint8_t, kEntryBufferSize> out);

}  // namespace t47
