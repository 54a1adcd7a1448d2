#pragma once

// The settings as t47ctl show prints them: a profile as a person reads it, or as one JSON
// object whose keys are the settings file's own, with the buttons by function name.

#include <cstddef>
#include <string>

#include "settings/setting_data.h"

namespace t47 {

// The profile of slot `slot` of validated settings.
std::string DescribeProfile(const SettingData& settings, std::size_t slot);
std::string ProfileJson(const SettingData& settings, std::size_t slot);

// Section "Setting".
std::string DescribeHeader(const SettingData& settings);
std::string HeaderJson(const SettingData& settings);

}  // namespace t47
