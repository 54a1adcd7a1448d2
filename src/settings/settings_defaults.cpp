#include "settings/settings_defaults.h"

namespace t47 {

ButtonAssignment DefaultButtonAssignment(std::size_t buttonIndex) {
    ButtonAssignment assignment;
    assignment.ButtonNo = static_cast<std::uint8_t>(buttonIndex + 1);
    assignment.FunctionCode = kDefaultFunctionCodes[buttonIndex];
    assignment.MacroIndex = kNoMacroIndex;
    return assignment;
}

ProfileData DefaultProfile() {
    ProfileData profile;
    profile.GroupID = 0;
    profile.DPI_Cur = 3;
    profile.DPI_Color = kDefaultDpiColors;
    for (std::size_t i = 0; i < kDpiStageCount; ++i) {
        profile.DPI_Value[i] = static_cast<std::int32_t>(i + 1);
    }
    profile.POLLRATE_VALUE = 2;
    profile.Enable_light = 1;
    profile.Cycle_enable = 0;
    profile.light_type = 0;
    profile.light_Color.fill(kDefaultLightColor);
    profile.light_Cycle = kDefaultLightCycle;
    profile.light_bright_colorID = 0;
    profile.light_bright = 5;
    profile.light_speed = 3;
    profile.DBClick_Speed = 4;
    profile.Scroll_Speed = 3;
    profile.Mouse_Speed = 5;
    profile.scroll_page = 0;
    profile.mouse_enhance = 0;
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        profile.ButtonAssigned[b] = DefaultButtonAssignment(b);
    }
    return profile;
}

SettingData DefaultSettings() {
    SettingData settings;
    settings.lan_id = 1;
    settings.Show_TrayIcon = 1;
    settings.Show_OSD = 1;
    settings.Totle = static_cast<std::int32_t>(kProfileSlotCount);
    settings.Current = 0;
    settings.Active = 0;
    const ProfileData profile = DefaultProfile();
    for (std::size_t slot = 0; slot < kProfileSlotCount; ++slot) {
        settings.ProfileGroup[slot] = static_cast<std::int32_t>(slot);
        settings.Profiles[slot] = profile;
    }
    return settings;
}

}  // namespace t47
