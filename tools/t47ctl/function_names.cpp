#include "function_names.h"

#include <charconv>
#include <cstdio>
#include <iterator>

#include "same_letters.h"

namespace t47 {
namespace {

struct NamedFunction {
    std::uint8_t code;
    std::string_view name;
};

// The selectors are the mouse's DPI buttons in its default layout (buttons 4 and 7); the bit
// patterns are the mouse's own functions, named by their code.
constexpr NamedFunction kFunctionNames[] = {
    {0x00, "None"},         {0xA0, "Left click"},  {0xA1, "Right click"},
    {0xA2, "Middle click"}, {0xA3, "Back"},        {0xA4, "Forward"},
    {0xA5, "Double click"}, {0xA6, "Macro"},       {0xA7, "Bullet macro"},
    {0xA8, "Disabled A8"},  {0xA9, "Disabled A9"}, {0xAA, "Disabled AA"},
    {0xAB, "Disabled"},     {0xB0, "Ctrl+C"},      {0xB1, "Ctrl+V"},
    {0xB2, "Ctrl+X"},       {0xB3, "Ctrl+A"},      {0xB4, "Ctrl+F"},
    {0xB5, "Ctrl+N"},       {0xB6, "Ctrl+P"},      {0xB7, "Ctrl+S"},
    {0xB8, "Ctrl+Z"},       {0xB9, "Device B9"},   {0xBA, "Super"},
    {0xC0, "DPI up"},       {0xC1, "DPI down"},    {0xC2, "Device selector 0"},
    {0xC3, "Alt+Tab"},      {0xC4, "Alt+F4"},      {0xC5, "Super+E"},
    {0xC6, "Super+D"},      {0xC7, "Super+L"},     {0xD0, "Device D0"},
    {0xD1, "Device D1"},    {0xD2, "Device D2"},   {0xD3, "Device D3"},
    {0xD4, "Device D4"},    {0xD5, "Device D5"},   {0xD6, "Device D6"},
};

}  // namespace

std::string FunctionName(std::uint8_t code) {
    for (const NamedFunction& function : kFunctionNames) {
        if (function.code == code) {
            return std::string(function.name);
        }
    }
    char text[16];
    std::snprintf(text, sizeof text, "Code 0x%02X", code);
    return text;
}

std::optional<std::uint8_t> FunctionCodeFromText(std::string_view text) {
    for (const NamedFunction& function : kFunctionNames) {
        if (SameLetters(function.name, text)) {
            return function.code;
        }
    }
    const bool hex = text.starts_with("0x") || text.starts_with("0X");
    const std::string_view digits = hex ? text.substr(2) : text;
    unsigned value = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, hex ? 16 : 10);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
        value > 0xFF) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(value);
}

}  // namespace t47
