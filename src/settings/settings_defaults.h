#pragma once

// The value of every settings field when the settings file holds none for it.

#include <array>
#include <cstddef>
#include <cstdint>

#include "settings/button_assignment.h"
#include "settings/profile_data.h"
#include "settings/setting_data.h"

namespace t47 {

// Stage colours of the DPI stages, index 0 first.
inline constexpr std::array<std::int32_t, kDpiStageCount> kDefaultDpiColors = {
    0x0000FF, 0x00FF00, 0xFF0000, 0xFFFF00, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

// The colour list carried for the companion UI: the same seven colours in another order.
inline constexpr ColorList kDefaultLightCycle = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF,
                                                 0xFFFF00, 0xFF00FF, 0xFFFFFF};

// Function code of each button's default record. The eighth, 0x00, is no valid code: the
// upload always gives the eighth button a fixed function.
inline constexpr std::array<std::uint8_t, kButtonCount> kDefaultFunctionCodes = {
    0xA0, 0xA1, 0xA2, 0xC0, 0xA4, 0xA3, 0xC1, 0x00};

inline constexpr std::int32_t kDefaultLightColor = 0x0000FF;
inline constexpr std::int32_t kNoMacroIndex = -1;

// The default record of button index 0..7.
ButtonAssignment DefaultButtonAssignment(std::size_t buttonIndex);

// A profile with every field at its default, buttons in their default records.
ProfileData DefaultProfile();

// Six slots in use, slot i in section i, every profile at its defaults.
SettingData DefaultSettings();

}  // namespace t47
