// The agent window's answers to the companion UI's requests, the listener's DPI notices, and
// the system's device and session notices.

#include "app/agent_window.h"
#include "app/session_events.h"
#include "contract/companion_contract.h"
#include "settings/settings_file.h"

namespace t47 {
namespace {

// The DPI stages as the mouse numbers them in its notices.
constexpr WParam kFirstDpiStage = 1;
constexpr WParam kLastDpiStage = 7;

}  // namespace

LParam CMyWnd::OnReloadApply() {
    LoadSettings();
    ApplyPointerSettings();
    const bool uploaded = UploadProfile() != 0;
    if (appliedSettings.Show_TrayIcon == 0) {
        RemoveTrayIcon();
    } else if (uploaded) {
        AddTrayIcon();
    }
    return 0;
}

LParam CMyWnd::OnDeviceDpi(WParam stage) {
    // The mouse numbers its stages 1 to 7; anything else is no notice of the mouse's, and must
    // not reach the file or the companion.
    if (stage < kFirstDpiStage || stage > kLastDpiStage) {
        return 1;
    }
    // The mouse already uses the stage: it is recorded, not uploaded.
    const auto value = static_cast<std::int32_t>(stage);
    currentProfile.DPI_Cur = value;
    WriteDpiCur(platform.files, settingsPath, appliedSettings.Active, value);
    PostToCompanion(MSG_UI_DPI_CHANGED, static_cast<WParam>(appliedSettings.Active), value - 1);
    return 1;
}

LParam CMyWnd::OnDeviceCommand() {
    SendCommandReport();
    return 0;
}

LParam CMyWnd::OnDeviceChange(WParam event) {
    if (event == kDeviceRemoveComplete) {
        removedSinceDownload = true;
    }
    if (sessionSuspended != 0) {
        return 1;
    }
    if (DownloadDeviceState() != 0) {
        OnMouseAnswered();
    } else {
        PostToCompanion(MSG_UI_DEVICE_STATE, DEVICE_STATE_ABSENT, 0);
        RemoveTrayIcon();
    }
    return 1;
}

void CMyWnd::OnMouseAnswered() {
    WriteDeviceFlag(platform.files, settingsPath, 1);
    if (appliedSettings.Show_TrayIcon != 0) {
        AddTrayIcon();
    }
}

LParam CMyWnd::OnSessionChange(WParam event) {
    switch (SessionActionOf(event, platform.windows.OsMajorVersion())) {
        case SessionAction::kSuspend:
            RemoveTrayIcon();
            sessionSuspended = 1;
            WriteDeviceFlag(platform.files, settingsPath, 0);
            break;
        case SessionAction::kConnect:
            sessionSuspended = 0;
            if (DownloadDeviceState() != 0) {
                OnMouseAnswered();
            } else {
                PostToCompanion(MSG_UI_DEVICE_STATE, DEVICE_STATE_ABSENT, 0);
            }
            break;
        case SessionAction::kNothing:
            break;
    }
    return 0;
}

}  // namespace t47
