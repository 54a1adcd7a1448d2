#pragma once

// Settings in the settings file's own text form: the sections and keys that the agent's writers
// put into a new file, in the file's order, as UTF-8 with LF line ends.

#include <cstdint>
#include <span>
#include <string>

#include "protocol/button_macro_report_decoding.h"
#include "settings/profile_data.h"
#include "settings/setting_data.h"

namespace t47 {

// Section "Setting" and the section of every slot in use, as a new settings file holds them.
std::string SettingsText(const SettingData& settings);

// The section "Profile%dSetting" numbered `section`.
std::string ProfileSectionText(const ProfileData& profile, std::int32_t section);

// The macro library sections the entries make, in order; a later entry of the same number
// replaces an earlier one where it stands.
std::string LibraryText(std::span<const LibraryEntry> entries);

}  // namespace t47
