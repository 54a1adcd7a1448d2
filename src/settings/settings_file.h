#pragma once

// The settings file shared with the companion UI. The agent reads it whole when it loads its
// settings, writes it whole only when it did not exist, and otherwise writes single keys or one
// profile section: the companion UI owns everything else in it.

#include <cstdint>
#include <string_view>

#include "platform/profile_files.h"
#include "settings/profile_data.h"
#include "settings/setting_data.h"

namespace t47 {

// Section "Setting": the header fields, then one key per slot in use holding its section number.
void ReadSettingHeader(ProfileFiles& files, SettingData& settings, std::u16string_view path);
void WriteSettingHeader(ProfileFiles& files, const SettingData& settings, std::u16string_view path);

// Section "Profile%dSetting" numbered `section`. A button record that does not decode reads as
// all zero, which validation turns into the button's default record.
void ReadProfile(ProfileFiles& files, ProfileData& profile, std::int32_t section,
                 std::u16string_view path);
void WriteProfile(ProfileFiles& files, const ProfileData& profile, std::int32_t section,
                  std::u16string_view path);

// The header, then the profile of every slot in use from the section its ProfileGroup names.
// Slots beyond the count read (at most six) keep what they held.
void ReadAllSettings(ProfileFiles& files, SettingData& settings, std::u16string_view path);
void WriteAllSettings(ProfileFiles& files, const SettingData& settings, std::u16string_view path);

// Key "DPI_Cur" of the profile section numbered `section`.
void WriteDpiCur(ProfileFiles& files, std::u16string_view path, std::int32_t section,
                 std::int32_t value);

// Key "Device" of section "Setting": whether the mouse answered. Never read back.
void WriteDeviceFlag(ProfileFiles& files, std::u16string_view path, std::int32_t value);

// The file read into `settings` and validated, as a load sees it; nothing is written.
void ReadValidatedSettings(ProfileFiles& files, std::u16string_view path, SettingData& settings);

// Reads and validates the file into `working`, creates the file from it when there was none
// (whole or not at all; an existing file is never rewritten here), copies it whole into
// `applied`, and the active slot's profile into `current`.
void LoadSettings(ProfileFiles& files, std::u16string_view path, SettingData& working,
                  SettingData& applied, ProfileData& current);

}  // namespace t47
