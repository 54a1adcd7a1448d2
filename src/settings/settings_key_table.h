#pragma once

// The integer and text keys of the settings file as a person sets and reads them: each key with
// its field, its kind and the range validation holds it to. A typed value is checked, never
// replaced: someone typing a value wants to hear that it is wrong. Button records are not among
// these keys; they are set whole.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings/profile_data.h"
#include "settings/setting_data.h"
#include "settings/settings_validation.h"

namespace t47 {

enum class KeyKind {
    kInteger,  // decimal, within `range`
    kColor,    // #RRGGBB, or the file's decimal value up to 0xFFFFFF
    kText,     // any text that fits the field and that the file gives back as it was
};

struct SettingsKey {
    std::u16string name;  // as the file spells it
    KeyKind kind = KeyKind::kInteger;
    std::int32_t* integer = nullptr;  // kInteger, kColor
    std::span<char16_t> text;         // kText: the whole field, its terminating zero included
    IntegerRange range{};             // kInteger
};

// The keys of a profile section, in the file's order; fields of `profile`.
std::vector<SettingsKey> ProfileKeys(ProfileData& profile);

// The keys of section "Setting" before the slots' section numbers, in the file's order.
std::vector<SettingsKey> HeaderKeys(SettingData& settings);

// The key of that name, ASCII letters folded as the file compares names; null when none.
const SettingsKey* FindKey(std::span<const SettingsKey> keys, std::u16string_view name);

enum class ValueCheck { kAccepted, kMalformed, kOutOfRange, kTooLong };

// Checks `value` as the key's value and, when accepted, stores it in the key's field.
ValueCheck SetKeyValue(const SettingsKey& key, std::u16string_view value);

// The value as a person reads and types it: decimal, #RRGGBB, the text.
std::u16string KeyValueText(const SettingsKey& key);

// The value as the file holds it.
std::u16string FileValueText(const SettingsKey& key);

}  // namespace t47
