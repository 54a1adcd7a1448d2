#include "app/agent_window.h"

#include "app/agent_paths.h"
#include "contract/companion_contract.h"
#include "exchange/device_state_download.h"
#include "exchange/profile_upload.h"
#include "protocol/settings_report.h"
#include "settings/settings_file.h"
#include "system/pointer_settings.h"

namespace t47 {
namespace {

// The companion UI's two requests, which must reach an elevated agent from a companion that
// is not.
constexpr MessageId kCompanionRequests[] = {MSG_RELOAD_APPLY, MSG_DEVICE_COMMAND};

constexpr std::uint32_t LowWord(WParam value) {
    return static_cast<std::uint32_t>(value & 0xFFFF);
}

}  // namespace

CMyWnd::CMyWnd(PlatformServices services)
    : platform(services),
      deviceLink(services.hid, services.clock, services.debug, services.messages),
      mouseKey(services.registry) {}

CMyWnd::~CMyWnd() = default;

WindowHandle CMyWnd::CreateAgentWindow() {
    return platform.windows.CreateHiddenWindow(kAgentWindowTitle, *this);
}

std::optional<LParam> CMyWnd::HandleMessage(WindowHandle target, MessageId id, WParam wParam,
                                            LParam lParam) {
    const std::optional<LParam> result = Handle(target, id, wParam, lParam);
    // The desktop hears what the message changed (on Windows nobody listens).
    platform.state.StateChanged({mouseConnected, appliedSettings.Active, currentProfile.DPI_Cur});
    return result;
}

std::optional<LParam> CMyWnd::Handle(WindowHandle target, MessageId id, WParam wParam,
                                     LParam lParam) {
    switch (id) {
        case kWmCreate:
            window = target;
            return OnCreate();
        case kWmDestroy:
            OnDestroy();
            return std::nullopt;
        case kWmDeviceChange:
            return OnDeviceChange(wParam);
        case kWmWtsSessionChange:
            return OnSessionChange(wParam);
        case MSG_RELOAD_APPLY:
            return OnReloadApply();
        case MSG_DEVICE_COMMAND:
            return OnDeviceCommand();
        case MSG_DEVICE_DPI:
            return OnDeviceDpi(wParam);
        case MSG_TRAY_CALLBACK:
            return OnTrayCallback(lParam);
        case kShellRestartedMessage:
            return OnShellRestarted();
        case kWmCommand:
            if (LowWord(wParam) == ID_TRAY_HIDE) {
                RemoveTrayIcon();
                return 0;
            }
            if (LowWord(wParam) == ID_TRAY_OPEN) {
                LaunchCompanionUI();
                return 0;
            }
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

int CMyWnd::OnCreate() {
    platform.windows.SetTitle(window, kAgentWindowTitle);

    if (const std::optional<std::u16string> applicationData =
            platform.shell.ApplicationDataFolder()) {
        bulletSettingPath = MacroLibraryFilePath(*applicationData);
        settingsPath = SettingsFilePath(*applicationData);
        // The settings file cannot be created in a folder that does not exist yet.
        platform.shell.CreateFolder(*applicationData + kAgentDataFolder);
    }

    deviceLink.SetAlternateIds(0x1B80, 0xB412);
    deviceLink.StartListening(window, deviceNotification);
    // Lock and unlock reach the window only once it asks for them.
    platform.windows.RegisterSessionNotices(window);
    platform.windows.AcceptFromLowerPrivilege(window, kCompanionRequests);

    LoadSettings();
    platform.windows.SetToolWindowStyle(window);
    trayIconData = TrayIcon{window,
                            kTrayIconId,
                            kTrayIconFlags,
                            MSG_TRAY_CALLBACK,
                            kAgentIconResource,
                            kCompanionWindowTitle};

    if (DownloadDeviceState() != 0) {
        LaunchCompanionUI();
        OnMouseAnswered();
    } else {
        WriteDeviceFlag(platform.files, settingsPath, 0);
    }
    ApplyPointerSettings();
    platform.debug.Write(u"OnCreate over");
    return 0;
}

void CMyWnd::OnDestroy() {
    const WindowHandle companion = platform.messages.FindTopLevelWindow(kCompanionWindowTitle);
    if (companion != kNoWindow) {
        platform.messages.Post(companion, kWmCommand, kAgentClosingCommand, 0);
    }
    const WindowHandle osd = platform.messages.FindTopLevelWindow(kOsdWindowTitle);
    if (osd != kNoWindow) {
        platform.messages.Post(osd, kWmDestroy, 0, 0);
        platform.messages.Post(osd, kWmClose, 0, 0);
    }
    platform.windows.UnregisterSessionNotices(window);
}

void CMyWnd::LoadSettings() {
    t47::LoadSettings(platform.files, settingsPath, workingSettings, appliedSettings,
                      currentProfile);
}

void CMyWnd::PostToCompanion(MessageId id, WParam wParam, LParam lParam) {
    const WindowHandle companion = platform.messages.FindTopLevelWindow(kCompanionWindowTitle);
    if (companion != kNoWindow) {
        platform.messages.Post(companion, id, wParam, lParam);
    }
}

std::int32_t CMyWnd::UploadProfile() {
    return t47::UploadProfile(deviceLink, platform.clock, currentProfile);
}

std::int32_t CMyWnd::SendCommandReport() {
    return t47::SendCommandReport(deviceLink);
}

std::int32_t CMyWnd::DownloadDeviceState() {
    std::int32_t answered = 0;
    const bool inputMissing = deviceLink.InputHandle() == kInvalidHidHandle;
    if ((removedSinceDownload || inputMissing) &&
        platform.clock.TickCount() - lastDownloadTick < kDownloadQuietTimeMs) {
        // Inside the quiet time the mouse is not read again, but after a removal, or while its
        // input interface is still missing, it is looked for anew: the handles of the last
        // read may lead to a mouse that went, and the one plugged in since is only heard on
        // handles of its own.
        answered = deviceLink.OpenDevice(static_cast<std::int32_t>(kSettingsReportSize));
    } else {
        answered = t47::DownloadDeviceState({deviceLink, platform.clock, platform.files,
                                             platform.messages, workingSettings, currentProfile,
                                             settingsPath, bulletSettingPath, lastDownloadTick});
    }
    // The interfaces of a mouse plugged in arrive a notice at a time: the replug is over once
    // the input interface is open too, so that the listener hears the mouse.
    if (answered != 0 && deviceLink.InputHandle() != kInvalidHidHandle) {
        removedSinceDownload = false;
    }
    return answered;
}

void CMyWnd::ApplyPointerSettings() {
    t47::ApplyPointerSettings({platform.parameters, platform.registry, platform.debug, mouseKey},
                              currentProfile);
}

}  // namespace t47
