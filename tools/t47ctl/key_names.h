#pragma once

// The macro keys by name. A key is named by the keyboard usage the mouse is sent for it ("A",
// "LeftCtrl", "F5"); a key whose usage has no such name is "Key" and its code in hex ("Key96").
// Key codes that send the same usage share one name, and the name stands for the code the mouse
// gives back when its macros are read: so a macro read from the mouse prints as it was typed.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace t47 {

// The name of a macro key code; for a code that sends no usage too ("Key17").
std::string KeyName(std::uint8_t keyCode);

// The key code of a name (letters of either case); none for a name of no key code.
std::optional<std::uint8_t> KeyCodeFromName(std::string_view name);

// The code a key is stored as: the one the mouse gives back for its usage.
std::uint8_t StoredKeyCode(std::uint8_t keyCode);

// Whether the mouse can press the key: it has a usage.
bool KeySendsUsage(std::uint8_t keyCode);

// The names of every key the mouse can press, one per stored code.
std::vector<std::string> PressableKeyNames();

}  // namespace t47
