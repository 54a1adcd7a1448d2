#include "settings/settings_validation.h"

#include <cstddef>
#include <optional>

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

constexpr auto kSlots = static_cast<std::int32_t>(kProfileSlotCount);

void Clamp(SettingData& settings, std::int32_t& field, std::int32_t replacement) {
    const std::optional<IntegerRange> range = ValidRange(settings, field);
    Clamp(field, range->min, range->max, replacement);
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

std::optional<IntegerRange> ValidRange(const ProfileData& profile, const std::int32_t& field) {
    for (const IntegerRule& rule : kProfileRules) {
        if (&(profile.*rule.field) == &field) {
            return IntegerRange{rule.min, rule.max};
        }
    }
    for (const std::int32_t& value : profile.DPI_Value) {
        if (&value == &field) {
            return IntegerRange{0, kDpiValueMax};
        }
    }
    return std::nullopt;
}

std::optional<IntegerRange> ValidRange(const SettingData& settings, const std::int32_t& field) {
    if (&field == &settings.Totle) {
        return IntegerRange{1, kSlots};
    }
    if (&field == &settings.Current || &field == &settings.Active) {
        return IntegerRange{0, settings.Totle - 1};
    }
    if (&field == &settings.lan_id || &field == &settings.Show_TrayIcon ||
        &field == &settings.Show_OSD) {
        return IntegerRange{0, 1};
    }
    return std::nullopt;
}

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
    // An impossible count falls back to one slot, not to the default of six.
    Clamp(settings, settings.Totle, 1);
    Clamp(settings, settings.Current, 0);
    Clamp(settings, settings.Active, 0);
    Clamp(settings, settings.lan_id, 1);
    Clamp(settings, settings.Show_TrayIcon, 1);
    Clamp(settings, settings.Show_OSD, 1);
    for (std::int32_t slot = 0; slot < settings.Totle; ++slot) {
        Clamp(settings.ProfileGroup[static_cast<std::size_t>(slot)], 0, kSlots - 1, 0);
        ValidateProfile(settings.Profiles[static_cast<std::size_t>(slot)]);
    }
}

}  // namespace t47
