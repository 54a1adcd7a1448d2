#include "key_names.h"

#include <charconv>
#include <cstdio>

#include "protocol/key_usage_table.h"
#include "same_letters.h"

namespace t47 {
namespace {

// Keyboard usages 0x04 to 0x65, in usage order.
constexpr std::string_view kKeyboardNames[] = {"A",
                                               "B",
                                               "C",
                                               "D",
                                               "E",
                                               "F",
                                               "G",
                                               "H",
                                               "I",
                                               "J",
                                               "K",
                                               "L",
                                               "M",
                                               "N",
                                               "O",
                                               "P",
                                               "Q",
                                               "R",
                                               "S",
                                               "T",
                                               "U",
                                               "V",
                                               "W",
                                               "X",
                                               "Y",
                                               "Z",
                                               "1",
                                               "2",
                                               "3",
                                               "4",
                                               "5",
                                               "6",
                                               "7",
                                               "8",
                                               "9",
                                               "0",
                                               "Enter",
                                               "Escape",
                                               "Backspace",
                                               "Tab",
                                               "Space",
                                               "Minus",
                                               "Equal",
                                               "LeftBracket",
                                               "RightBracket",
                                               "Backslash",
                                               "NonUSHash",
                                               "Semicolon",
                                               "Apostrophe",
                                               "Grave",
                                               "Comma",
                                               "Period",
                                               "Slash",
                                               "CapsLock",
                                               "F1",
                                               "F2",
                                               "F3",
                                               "F4",
                                               "F5",
                                               "F6",
                                               "F7",
                                               "F8",
                                               "F9",
                                               "F10",
                                               "F11",
                                               "F12",
                                               "PrintScreen",
                                               "ScrollLock",
                                               "Pause",
                                               "Insert",
                                               "Home",
                                               "PageUp",
                                               "Delete",
                                               "End",
                                               "PageDown",
                                               "RightArrow",
                                               "LeftArrow",
                                               "DownArrow",
                                               "UpArrow",
                                               "NumLock",
                                               "KPSlash",
                                               "KPAsterisk",
                                               "KPMinus",
                                               "KPPlus",
                                               "KPEnter",
                                               "KP1",
                                               "KP2",
                                               "KP3",
                                               "KP4",
                                               "KP5",
                                               "KP6",
                                               "KP7",
                                               "KP8",
                                               "KP9",
                                               "KP0",
                                               "KPPeriod",
                                               "NonUSBackslash",
                                               "Menu"};
constexpr int kFirstNamedUsage = 0x04;

// The modifiers, usages 0xE0 to 0xE7.
constexpr std::string_view kModifierNames[] = {"LeftCtrl",  "LeftShift",  "LeftAlt",  "LeftGUI",
                                               "RightCtrl", "RightShift", "RightAlt", "RightGUI"};
constexpr int kFirstModifierUsage = 0xE0;

// The usage byte the mouse is sent for a key code.
int UsageByte(std::uint8_t keyCode) {
    return KeyCodeToUsage(keyCode) & 0xFF;
}

std::string_view UsageName(int usageByte) {
    const int named = usageByte - kFirstNamedUsage;
    if (named >= 0 && named < static_cast<int>(std::size(kKeyboardNames))) {
        return kKeyboardNames[named];
    }
    const int modifier = usageByte - kFirstModifierUsage;
    if (modifier >= 0 && modifier < static_cast<int>(std::size(kModifierNames))) {
        return kModifierNames[modifier];
    }
    return {};
}

}  // namespace

bool KeySendsUsage(std::uint8_t keyCode) {
    return KeyCodeToUsage(keyCode) != 0;
}

std::uint8_t StoredKeyCode(std::uint8_t keyCode) {
    if (!KeySendsUsage(keyCode)) {
        return keyCode;
    }
    return static_cast<std::uint8_t>(
        UsageByteToKeyCode(static_cast<std::uint8_t>(UsageByte(keyCode))));
}

std::string KeyName(std::uint8_t keyCode) {
    if (KeySendsUsage(keyCode)) {
        if (const std::string_view name = UsageName(UsageByte(keyCode)); !name.empty()) {
            return std::string(name);
        }
        keyCode = StoredKeyCode(keyCode);
    }
    char text[8];
    std::snprintf(text, sizeof text, "Key%02X", keyCode);
    return text;
}

std::optional<std::uint8_t> KeyCodeFromName(std::string_view name) {
    if (name.empty()) {
        return std::nullopt;
    }
    for (int code = kFirstKeyCode; code <= kLastKeyCode; ++code) {
        const auto keyCode = static_cast<std::uint8_t>(code);
        if (KeySendsUsage(keyCode) && SameLetters(UsageName(UsageByte(keyCode)), name)) {
            return StoredKeyCode(keyCode);
        }
    }
    if (name.size() == 5 && SameLetters(name.substr(0, 3), "KEY")) {
        unsigned value = 0;
        const auto [end, error] = std::from_chars(name.data() + 3, name.data() + 5, value, 16);
        if (error == std::errc() && end == name.data() + 5) {
            return StoredKeyCode(static_cast<std::uint8_t>(value));
        }
    }
    return std::nullopt;
}

std::vector<std::string> PressableKeyNames() {
    std::vector<std::string> names;
    for (int code = kFirstKeyCode; code <= kLastKeyCode; ++code) {
        const auto keyCode = static_cast<std::uint8_t>(code);
        if (KeySendsUsage(keyCode) && StoredKeyCode(keyCode) == keyCode) {
            names.push_back(KeyName(keyCode));
        }
    }
    return names;
}

}  // namespace t47
