#pragma once

// Brings a record read from the settings file into its valid ranges. A value out of range is
// replaced silently; validation never fails and reports nothing.

#include <cstdint>
#include <optional>

#include "settings/profile_data.h"
#include "settings/setting_data.h"

namespace t47 {

// Function codes a button record may hold: 0xA0-0xAB, 0xB0-0xBA, 0xC0-0xC7, 0xD0-0xD6.
bool IsValidFunctionCode(std::uint8_t code);

struct IntegerRange {
    std::int32_t min;
    std::int32_t max;
};

// The valid range of an integer field of this profile (`field` is one of its members); none for
// the colours, which are not checked.
std::optional<IntegerRange> ValidRange(const ProfileData& profile, const std::int32_t& field);

// The same for the header's switches (lan_id, Show_TrayIcon, Show_OSD) and slot numbers
// (Totle, Current, Active: their range follows Totle); none for other fields.
std::optional<IntegerRange> ValidRange(const SettingData& settings, const std::int32_t& field);

// The header rules, then for each slot in use its section number and its profile. Slots at or
// beyond Totle are left as they are.
void ValidateSettings(SettingData& settings);

// The range of every integer field, then the eight button records: a record whose function
// code is not valid becomes its button's default record (keeping its carried bytes); a record
// with a valid code is taken as it is.
void ValidateProfile(ProfileData& profile);

}  // namespace t47
