#pragma once

// The agent window: a hidden top-level window that owns every piece of the agent's state and on
// whose message loop all its work happens. It is never shown; it exists to receive messages
// from the companion UI, the input report listener, the tray icon and the system.
//
// Its message table:
//
//   message                     handler           result
//   kWmCreate                   OnCreate          0, or -1
//   kWmDestroy                  OnDestroy         default processing
//   kWmDeviceChange             OnDeviceChange    1
//   kWmWtsSessionChange         OnSessionChange   0
//   MSG_RELOAD_APPLY            OnReloadApply     0
//   MSG_DEVICE_COMMAND          OnDeviceCommand   0
//   MSG_DEVICE_DPI              OnDeviceDpi       1
//   MSG_TRAY_CALLBACK           OnTrayCallback    0
//   kWmCommand ID_TRAY_HIDE     RemoveTrayIcon    0
//   kWmCommand ID_TRAY_OPEN     LaunchCompanionUI 0
//   kShellRestartedMessage      OnShellRestarted  0
//   anything else               default processing (kWmClose destroys the window)

#include <cstdint>
#include <optional>
#include <string>

#include "contract/companion_contract.h"
#include "device/hid_device_link.h"
#include "platform/platform_services.h"
#include "settings/profile_data.h"
#include "settings/setting_data.h"
#include "system/registry_path_key.h"

namespace t47 {

// The tray icon record's fixed values.
inline constexpr std::uint32_t kTrayIconId = 128;
inline constexpr std::uint32_t kTrayIconFlags = 7;  // NIF_MESSAGE | NIF_ICON | NIF_TIP
inline constexpr std::uint32_t kAgentIconResource = 137;

class CMyWnd final : public WindowProcedure {
  public:
    explicit CMyWnd(PlatformServices platform);
    // Closes the registry key, then the device link (its listener first), then the paths go.
    ~CMyWnd() override;

    CMyWnd(const CMyWnd&) = delete;
    CMyWnd& operator=(const CMyWnd&) = delete;

    // Creates the hidden window; OnCreate runs inside. The window, or kNoWindow.
    WindowHandle CreateAgentWindow();

    std::optional<LParam> HandleMessage(WindowHandle window, MessageId id, WParam wParam,
                                        LParam lParam) override;

    // Start-up and shut-down.
    int OnCreate();
    void OnDestroy();

    // Messages and events.
    LParam OnReloadApply();
    LParam OnDeviceDpi(WParam stage);
    LParam OnDeviceCommand();
    LParam OnDeviceChange(WParam event);
    LParam OnSessionChange(WParam event);
    LParam OnShellRestarted();

    // Tray icon, menu and companion launch.
    int AddTrayIcon();
    void RemoveTrayIcon();
    LParam OnTrayCallback(LParam mouseMessage);
    void ShowTrayMenu();
    void LaunchCompanionUI();

    // The exchanges with the mouse, over this window's state.
    std::int32_t UploadProfile();
    std::int32_t SendCommandReport();
    std::int32_t DownloadDeviceState();
    void ApplyPointerSettings();

    // For tests and the program.
    WindowHandle Window() const { return window; }
    const std::u16string& SettingsPath() const { return settingsPath; }
    const SettingData& WorkingSettings() const { return workingSettings; }
    const SettingData& AppliedSettings() const { return appliedSettings; }
    const ProfileData& CurrentProfile() const { return currentProfile; }
    bool TrayIconShown() const { return trayIconShown; }
    bool SessionSuspended() const { return sessionSuspended != 0; }
    const HidDeviceLink& DeviceLink() const { return deviceLink; }

  private:
    void LoadSettings();
    // The mouse answered a download: Device = 1, and the icon when the settings want it.
    void OnMouseAnswered();
    // Posts to the companion UI's window when it exists; the post is dropped otherwise.
    void PostToCompanion(MessageId id, WParam wParam, LParam lParam);

    PlatformServices platform;
    WindowHandle window = kNoWindow;

    // The window's state, in its order.
    std::u16string bulletSettingPath;
    std::u16string settingsPath;
    SettingData workingSettings{};
    SettingData appliedSettings{};
    NoticeRegistration deviceNotification = kNoRegistration;
    HidDeviceLink deviceLink;
    std::uint32_t lastDownloadTick = 0;
    // A removal notice came since the mouse was last found: a download inside the quiet time
    // looks for the mouse anew instead of answering at once, so that a quick replug is never
    // taken for the mouse that went.
    bool removedSinceDownload = false;
    RegistryPathKey mouseKey;
    ProfileData currentProfile{};
    TrayIcon trayIconData;
    int sessionSuspended = 0;
    // One agent per process: the tray icon flag lives with the window that shows the icon.
    int trayIconShown = 0;
};

}  // namespace t47
