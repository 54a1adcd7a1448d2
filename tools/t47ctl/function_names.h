#pragma once

// The button functions by readable name: "Left click", "DPI up", "Macro", ...

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace t47 {

// The name of a function code; "Code 0xNN" for a code without one.
std::string FunctionName(std::uint8_t code);

// The code of a name (letters of either case), or of a code written as 0xNN or in decimal.
std::optional<std::uint8_t> FunctionCodeFromText(std::string_view text);

}  // namespace t47
