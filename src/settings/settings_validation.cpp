#include "settings/settings_validation.h"

#include <cstddef>

#include "settings/settings_defaults.h"

namespace t47 {
namespace {

struct IntegerRule {
    std::int32_t ProfileData::*field;
    std::int32_t min;
    std::int32_t max;
    std::int32_t replacement;
};

// The ranges of the profile's single integer fields, in record order; DPI_Value, an array
// whose replacement depends on the stage, has a rule of its own. Colours are not checked.
constexpr IntegerRule kProfileRules[] = {
    {&ProfileData::GroupID, 0, 20, 0},
    {&ProfileData::DPI_Cur, 0, 7, 3},
    {&ProfileData::POLLRATE_VALUE, 0, 3, 2},
    {&ProfileData::Enable_light, 0, 1, 1},
    {&ProfileData::Cycle_enable, 0, 1, 0},
    {&ProfileData::light_type, 0, 6, 0},
    {&ProfileData::light_bright_colorID, 0, 6, 0},
    {&ProfileData::light_bright, 0, 5, 5},
    {&ProfileData::light_speed, 1, 5, 3},
    {&ProfileData::DBClick_Speed, 1, 10, 4},
    {&ProfileData::Scroll_Speed, 1, 10, 3},
    {&ProfileData::Mouse_Speed, 1, 10, 5},
    {&ProfileData::scroll_page, 0, 1, 0},
    {&ProfileData::mouse_enhance, 0, 1, 0},
};

constexpr std::int32_t kDpiValueMax = 8;

struct CodeRange {
    std::uint8_t first;
    std::uint8_t last;
};

constexpr CodeRange kValidFunctionCodes[] = {
    {0xA0, 0xAB}, {0xB0, 0xBA}, {0xC0, 0xC7}, {0xD0, 0xD6}};

void Clamp(std::int32_t& value, std::int32_t min, std::int32_t max, std::int32_t replacement) {
    if (value < min || value > max) {
        value = replacement;
    }
}

void ValidateButton(ButtonAssignment& assignment, std::size_t buttonIndex) {
    if (IsValidFunctionCode(assignment.FunctionCode)) {
        return;
    }
    ButtonAssignment replacement = DefaultButtonAssignment(buttonIndex);
    replacement.carriedByte3 = assignment.carriedByte3;
    replacement.carriedBytes374 = assignment.carriedBytes374;
    assignment = replacement;
}

}  // namespace

bool IsValidFunctionCode(std::uint8_t code) {
    for (const CodeRange& range : kValidFunctionCodes) {
        if (code >= range.first && code <= range.last) {
            return true;
        }
    }
    return false;
}

void ValidateProfile(ProfileData& profile) {
    for (const IntegerRule& rule : kProfileRules) {
        Clamp(profile.*rule.field, rule.min, rule.max, rule.replacement);
    }
    for (std::size_t i = 0; i < kDpiStageCount; ++i) {
        Clamp(profile.DPI_Value[i], 0, kDpiValueMax, static_cast<std::int32_t>(i + 1));
    }
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        ValidateButton(profile.ButtonAssigned[b], b);
    }
}

void ValidateSettings(SettingData& settings) {
    constexpr auto kSlots = static_cast<std::int32_t>(kProfileSlotCount);
    // An impossible count falls back to one slot, not to the default of six.
    Clamp(settings.Totle, 1, kSlots, 1);
    Clamp(settings.Current, 0, settings.Totle - 1, 0);
    Clamp(settings.Active, 0, settings.Totle - 1, 0);
    Clamp(settings.lan_id, 0, 1, 1);
    Clamp(settings.Show_TrayIcon, 0, 1, 1);
    Clamp(settings.Show_OSD, 0, 1, 1);
    for (std::int32_t slot = 0; slot < settings.Totle; ++slot) {
        Clamp(settings.ProfileGroup[static_cast<std::size_t>(slot)], 0, kSlots - 1, 0);
        ValidateProfile(settings.Profiles[static_cast<std::size_t>(slot)]);
    }
}

}  // namespace t47
