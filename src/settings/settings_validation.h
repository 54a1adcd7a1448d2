#pragma once

// Brings a record read from the settings file into its valid ranges. A value out of range is
// replaced silently; validation never fails and reports nothing.

#include <cstdint>

#include "settings/profile_data.h"
#include "settings/setting_data.h"

namespace t47 {

// Function codes a button record may hold: 0xA0-0xAB, 0xB0-0xBA, 0xC0-0xC7, 0xD0-0xD6.
bool IsValidFunctionCode(std::uint8_t code);

// The header rules, then for each slot in use its section number and its profile. Slots at or
// beyond Totle are left as they are.
void ValidateSettings(SettingData& settings);

// The range of every integer field, then the eight button records: a record whose function
// code is not valid becomes its button's default record (keeping its carried bytes); a record
// with a valid code is taken as it is.
void ValidateProfile(ProfileData& profile);

}  // namespace t47
