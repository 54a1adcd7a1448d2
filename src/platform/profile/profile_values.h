#pragma once

// The value forms of profile files as the Windows functions read and write them: integers,
// quoted text and the struct encoding of byte blocks.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace t47 {

// GetPrivateProfileIntW reads the text through a buffer of 30 units.
inline constexpr std::size_t kProfileIntBufferUnits = 30;

// The integer at the start of the text: characters up to U+0020 skipped, one sign, a base
// prefix (0x, 0o, 0b, lower case only; 010 is decimal), then digits up to the first that does not
// fit the base; wraps modulo 2^32. Text without digits gives 0.
std::int32_t ParseProfileInt(std::u16string_view text);

// The text as the Windows functions copy it into a buffer of `bufferUnits` with its terminating
// zero: without one matching pair of quotes (" or ') at its two ends, cut to bufferUnits - 1
// units. They copy the closing quote along and drop it after, so a quoted text that just fits
// without it loses its last unit instead.
std::u16string CopyToBuffer(std::u16string_view text, std::size_t bufferUnits);

// The default text as the Windows functions return it: first without its trailing spaces (only
// those, and never its first unit: a default of spaces only gives one space), then copied as
// above.
std::u16string CopyDefaultToBuffer(std::u16string_view text, std::size_t bufferUnits);

// Two upper-case hexadecimal digits a byte, then two of the low byte of their sum.
std::u16string EncodeProfileStruct(std::span<const std::uint8_t> bytes);

// Fills `bytes` only when the text is exactly the encoding of that many bytes (digits of
// either case) with a matching checksum.
bool DecodeProfileStruct(std::u16string_view text, std::span<std::uint8_t> bytes);

// Arguments end at a zero unit, as the C strings of the Windows functions do.
std::u16string_view UpToZero(std::u16string_view text);

// What the three readers give for a key whose value the file holds as `value` (blanks trimmed,
// quotes kept; none when the file, the section or the key is missing).
std::int32_t ProfileIntOf(const std::optional<std::u16string>& value, std::int32_t defaultValue);
std::u16string ProfileStringOf(const std::optional<std::u16string>& value,
                               std::u16string_view defaultText, std::size_t bufferUnits);
bool ProfileStructOf(const std::optional<std::u16string>& value, std::span<std::uint8_t> bytes);

}  // namespace t47
