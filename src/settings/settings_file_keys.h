#pragma once

// The keys of the settings file in the file's order, walked the same way by the reader and the
// writer. A visitor gets each key with its field and, for integers, the value a missing key
// reads as:
//   visitor.Int(key, int32 field, default)   integer, "%d"
//   visitor.Text(key, TextField field)       text, empty when missing
//   visitor.Button(key, ButtonAssignment)    380-byte struct value, all zero when missing

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/ini_file.h"
#include "settings/setting_data.h"
#include "settings/settings_defaults.h"

namespace t47 {

inline constexpr char16_t kSettingSection[] = u"Setting";
inline constexpr char16_t kDeviceKey[] = u"Device";  // written by the agent, never read back

// "Profile%dSetting"; a negative number keeps its minus sign.
inline std::u16string ProfileSectionName(std::int32_t number) {
    return u"Profile" + DecimalText(number) + u"Setting";
}

// A key of an array field: the field's name followed by the entry's index.
inline std::u16string IndexedKey(std::u16string_view name, std::size_t index) {
    return std::u16string(name) + DecimalText(static_cast<std::int32_t>(index));
}

// Section "Setting" up to BGFilesPath; the keys "0", "1", ... of the slots in use follow it,
// then "Device".
template <typename Settings, typename Visitor>
void ForEachHeaderKey(Settings& settings, Visitor& visit) {
    static const SettingData defaults = DefaultSettings();
    visit.Int(u"Totle", settings.Totle, defaults.Totle);
    visit.Int(u"Current", settings.Current, defaults.Current);
    visit.Int(u"Active", settings.Active, defaults.Active);
    visit.Int(u"Show_TrayIcon", settings.Show_TrayIcon, defaults.Show_TrayIcon);
    visit.Int(u"Show_OSD", settings.Show_OSD, defaults.Show_OSD);
    visit.Int(u"lan_id", settings.lan_id, defaults.lan_id);
    visit.Text(u"BGFilesPath", settings.BGFilesPath);
}

// Section "Profile%dSetting".
template <typename Profile, typename Visitor>
void ForEachProfileKey(Profile& profile, Visitor& visit) {
    static const ProfileData defaults = DefaultProfile();
    visit.Int(u"GroupID", profile.GroupID, defaults.GroupID);
    visit.Int(u"DPI_Cur", profile.DPI_Cur, defaults.DPI_Cur);
    for (std::size_t i = 0; i < kDpiStageCount; ++i) {
        visit.Int(IndexedKey(u"DPI_Value", i), profile.DPI_Value[i], defaults.DPI_Value[i]);
        visit.Int(IndexedKey(u"DPI_Color", i), profile.DPI_Color[i], defaults.DPI_Color[i]);
    }
    visit.Int(u"POLLRATE_VALUE", profile.POLLRATE_VALUE, defaults.POLLRATE_VALUE);
    visit.Int(u"Enable_light", profile.Enable_light, defaults.Enable_light);
    visit.Int(u"Cycle_enable", profile.Cycle_enable, defaults.Cycle_enable);
    visit.Int(u"light_type", profile.light_type, defaults.light_type);
    visit.Int(u"light_bright", profile.light_bright, defaults.light_bright);
    visit.Int(u"light_speed", profile.light_speed, defaults.light_speed);
    visit.Int(u"light_bright_colorID", profile.light_bright_colorID, defaults.light_bright_colorID);
    for (std::size_t i = 0; i < kLightColorCount; ++i) {
        visit.Int(IndexedKey(u"light_Color", i), profile.light_Color[i], defaults.light_Color[i]);
    }
    for (std::size_t i = 0; i < kLightColorCount; ++i) {
        visit.Int(IndexedKey(u"light_Cycle", i), profile.light_Cycle[i], defaults.light_Cycle[i]);
    }
    visit.Int(u"DBClick_Speed", profile.DBClick_Speed, defaults.DBClick_Speed);
    visit.Int(u"Scroll_Speed", profile.Scroll_Speed, defaults.Scroll_Speed);
    visit.Int(u"scroll_page", profile.scroll_page, defaults.scroll_page);
    visit.Int(u"Mouse_Speed", profile.Mouse_Speed, defaults.Mouse_Speed);
    visit.Int(u"mouse_enhance", profile.mouse_enhance, defaults.mouse_enhance);
    visit.Text(u"Profil_Name", profile.Profil_Name);
    visit.Text(u"SYNCFilesPath", profile.SYNCFilesPath);
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        visit.Text(IndexedKey(u"ExePath", b), profile.ExePath[b]);
        visit.Text(IndexedKey(u"ExeName", b), profile.ExeName[b]);
        visit.Button(IndexedKey(u"ButtonAssigned", b), profile.ButtonAssigned[b]);
    }
}

}  // namespace t47
