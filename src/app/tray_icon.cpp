// The agent's only visible element: its icon in the notification area, the icon's two-entry
// menu, and the start of the companion UI.

#include "app/agent_paths.h"
#include "app/agent_window.h"
#include "contract/companion_contract.h"
#include "settings/ini_file.h"

namespace t47 {
namespace {

constexpr LParam kLeftButtonDoubleClick = 0x203;
constexpr LParam kRightButtonDown = 0x204;
constexpr char16_t kTraySection[] = u"TRAY_STRING";

}  // namespace

int CMyWnd::AddTrayIcon() {
    if (trayIconShown != 0) {
        return 0;
    }
    const bool accepted = platform.shell.AddTrayIcon(trayIconData);
    // Shown as far as the agent knows, also when the shell refused it.
    trayIconShown = 1;
    return accepted ? 1 : 0;
}

void CMyWnd::RemoveTrayIcon() {
    if (trayIconShown == 1) {
        platform.shell.DeleteTrayIcon(trayIconData);
        trayIconShown = 0;
    }
}

LParam CMyWnd::OnShellRestarted() {
    // The restarted shell lost the icon; it comes back where the agent means it to be shown.
    if (trayIconShown != 0) {
        platform.shell.AddTrayIcon(trayIconData);
    }
    return 0;
}

LParam CMyWnd::OnTrayCallback(LParam mouseMessage) {
    if (mouseMessage == kLeftButtonDoubleClick) {
        LaunchCompanionUI();
    } else if (mouseMessage == kRightButtonDown) {
        ShowTrayMenu();
    }
    return 0;
}

void CMyWnd::ShowTrayMenu() {
    platform.shell.BringToForeground(window);
    const std::u16string agentFolder = platform.shell.ExecutableFolder();
    // Every right-button press re-reads the settings; nothing is uploaded or applied.
    LoadSettings();
    IniFile language(platform.files, LanguageFilePath(agentFolder, workingSettings.lan_id));
    const MenuEntry entries[] = {
        {ID_TRAY_OPEN, language.ReadString(kTraySection, u"1", u"")},
        {ID_TRAY_HIDE, language.ReadString(kTraySection, u"2", u"")},
    };
    platform.shell.ShowPopupMenu(window, entries);
    platform.messages.Post(window, kWmNull, 0, 0);
}

void CMyWnd::LaunchCompanionUI() {
    if (platform.messages.FindTopLevelWindow(kCompanionWindowTitle) != kNoWindow) {
        return;
    }
    platform.shell.OpenProgram(CompanionProgramPath(platform.shell.ExecutableFolder()));
}

}  // namespace t47
