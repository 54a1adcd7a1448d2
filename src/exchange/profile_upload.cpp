#include "exchange/profile_upload.h"

#include "protocol/button_macro_report.h"
#include "protocol/command_report.h"
#include "protocol/settings_report.h"

namespace t47 {

std::int32_t UploadProfile(HidDeviceLink& deviceLink, Clock& clock, const ProfileData& profile) {
    deviceLink.CloseFeatureHandle();
    if (deviceLink.OpenDevice(kSettingsReportSize) == 0) {
        return 0;
    }
    const SettingsReport settings = BuildSettingsReport(profile);
    bool accepted = false;
    for (int attempt = 0; attempt < kSettingsReportAttempts && !accepted; ++attempt) {
        accepted = deviceLink.SetFeatureReport(settings) != 0;
        if (!accepted) {
            clock.Sleep(kTransferPauseMs);
        }
    }
    if (!accepted) {
        deviceLink.CloseFeatureHandle();
        return 0;
    }

    clock.Sleep(kTransferPauseMs);
    deviceLink.CloseFeatureHandle();
    if (deviceLink.OpenDevice(kButtonMacroReportSize) == 0) {
        deviceLink.CloseFeatureHandle();
        return 0;
    }
    const ButtonMacroReport buttons = BuildButtonMacroReport(profile.ButtonAssigned);
    if (deviceLink.SetFeatureReport(buttons) == 0) {
        deviceLink.CloseFeatureHandle();
        return 0;
    }
    return 1;
}

std::int32_t SendCommandReport(HidDeviceLink& deviceLink) {
    deviceLink.CloseFeatureHandle();
    if (deviceLink.OpenDevice(kCommandReportSize) == 0) {
        return 0;
    }
    return deviceLink.SetFeatureReport(BuildCommandReport());
}

}  // namespace t47
