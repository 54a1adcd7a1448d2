#include "system/pointer_settings.h"

#include "system/pointer_values.h"

namespace t47 {

void ApplyPointerSettings(const PointerSettingsTarget& target, const ProfileData& profile) {
    ApplyDoubleClickSpeed(target, profile);
    target.debug.Write(u"RefreshDoubleClickSpeed\n");
    ApplyPointerSpeed(target, profile);
    target.debug.Write(u"RefreshMouseMoveSpeed\n");
    ApplyScrollLines(target, profile);
    target.debug.Write(u"RefreshScrollLine\n");
}

void ApplyDoubleClickSpeed(const PointerSettingsTarget& target, const ProfileData& profile) {
    const std::uint32_t time = DoubleClickTimeOf(profile.DBClick_Speed);
    target.parameters.SetDoubleClickTime(time);
    const RegistryKey key =
        target.registry.OpenKey(RegistryRoot::kCurrentUser, kMouseSubKey, kKeyRead | kKeyWrite);
    if (key == kNoRegistryKey) {
        return;
    }
    target.registry.SetValue(key, u"DoubleClickSpeed", kRegSz,
                             RegistryStringBytes(DecimalDigits(time)));
    target.registry.CloseKey(key);
}

void ApplyPointerSpeed(const PointerSettingsTarget& target, const ProfileData& profile) {
    target.mouseKey.OpenPath(kMouseKeyPath, kKeyAllAccess);
    for (const RegistryText& text : AccelerationRegistryTexts(profile.mouse_enhance)) {
        target.mouseKey.WriteStringValue(text.name, text.value);
    }
    target.parameters.SetMouse(AccelerationOf(profile.mouse_enhance), kSpifSendChange);
    target.parameters.SetMouseSpeed(PointerSpeedOf(profile.Mouse_Speed), kSpifSendChange);
}

void ApplyScrollLines(const PointerSettingsTarget& target, const ProfileData& profile) {
    target.parameters.SetWheelScrollLines(
        WheelScrollLinesOf(profile.scroll_page, profile.Scroll_Speed), kSpifUpdateIniFile);
}

}  // namespace t47
