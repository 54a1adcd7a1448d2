#pragma once

// Reports as text: two hexadecimal digits a byte.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace t47 {

// Two lower-case digits a byte, separated by single spaces.
std::string HexBytesText(std::span<const std::uint8_t> bytes);

// Bytes of two hexadecimal digits each (either case); blanks and line breaks may stand between
// bytes, but not inside one. None when anything else is found or a digit is left over.
std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view text);

}  // namespace t47
