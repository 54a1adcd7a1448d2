#pragma once

// The largest settings the agent meets: six profiles, every button a macro of 92 events, every
// text at its longest.

#include <string>

#include "settings/settings_defaults.h"

namespace t47 {

template <std::size_t N>
void FillText(TextField<N>& field, char16_t unit) {
    SetText(field, std::u16string(N - 1, unit));
}

inline SettingData FullSettings() {
    SettingData settings = DefaultSettings();
    FillText(settings.BGFilesPath, u'b');
    for (std::size_t slot = 0; slot < kProfileSlotCount; ++slot) {
        ProfileData& profile = settings.Profiles[slot];
        FillText(profile.Profil_Name, u'n');
        FillText(profile.SYNCFilesPath, u's');
        for (std::size_t b = 0; b < kButtonCount; ++b) {
            FillText(profile.ExePath[b], u'p');
            FillText(profile.ExeName[b], u'e');
            ButtonAssignment& button = profile.ButtonAssigned[b];
            button.FunctionCode = 0xA6;
            button.EventCount = static_cast<std::uint8_t>(kMaxMacroEvents);
            for (std::size_t i = 0; i < kMaxMacroEvents; ++i) {
                button.Events[i] = i % 2 == 0 ? MacroEvent{0x14, 0, 1} : MacroEvent{0xFF, 0, 30};
            }
            button.MacroIndex = static_cast<std::int32_t>(b);
        }
    }
    return settings;
}

}  // namespace t47
