#include "platform/linux/linux_desktop.h"

#include <string>
#include <utility>

#include "contract/companion_contract.h"

namespace t47 {
namespace {

constexpr LParam kLeftButtonDoubleClick = 0x203;

}  // namespace

LinuxDesktop::LinuxDesktop(LinuxWindows& linuxWindows, DebugOutput& debugOutput)
    : LinuxDesktop(linuxWindows, debugOutput, BusConnection::Open(BusConnection::Kind::kSession),
                   BusConnection::Open(BusConnection::Kind::kSystem)) {}

LinuxDesktop::LinuxDesktop(LinuxWindows& linuxWindows, DebugOutput& debugOutput,
                           std::unique_ptr<BusConnection> sessionBus,
                           std::unique_ptr<BusConnection> systemBus)
    : windows(linuxWindows),
      debug(debugOutput),
      session(std::move(sessionBus)),
      system(std::move(systemBus)) {
    // The desktop's requests reach the agent window as its own messages, on the loop's thread.
    const DeliverMessage deliver = [this](WindowHandle window, MessageId id, WParam wParam,
                                          LParam lParam) {
        windows.PostInProcess(window, id, wParam, lParam);
    };
    if (session) {
        tray = std::make_unique<StatusNotifierItem>(
            session->Bus(),
            [this](WindowHandle window, MessageId id, WParam wParam, LParam lParam) {
                FromTray(window, id, wParam, lParam);
            },
            debug);
        notifications = std::make_unique<DesktopNotifications>(session->Bus(), debug);
        agentInterface = std::make_unique<AgentBusInterface>(session->Bus(), deliver, debug);
        windows.AddLoopSource(*session);
    } else {
        absences.push_back(
            u"Desktop: no session bus; the tray icon, the notifications and the "
            u"agent's bus interface are off\n");
    }
    if (system) {
        sessionWatch = std::make_unique<LogindSessionWatch>(system->Bus(), deliver, debug);
        windows.AddLoopSource(*system);
    } else {
        absences.push_back(u"Desktop: no system bus; lock, unlock and sleep go unheard\n");
    }
}

LinuxDesktop::~LinuxDesktop() = default;

void LinuxDesktop::FromTray(WindowHandle window, MessageId id, WParam wParam, LParam lParam) {
    const bool forCompanion = (id == MSG_TRAY_CALLBACK && lParam == kLeftButtonDoubleClick) ||
                              (id == kWmCommand && wParam == ID_TRAY_OPEN);
    if (forCompanion && !companionInstalled() &&
        windows.FindTopLevelWindow(kCompanionWindowTitle) == kNoWindow) {
        notifications->Show("Norvane T47",
                            "No companion program is installed. Configure the mouse with "
                            "t47ctl: edit ~/.config/Norvane/T47/GamingMouse, then run "
                            "\"t47ctl apply\". To open a program of your own here, make it "
                            "~/.config/Norvane/T47/companion.");
    }
    windows.PostInProcess(window, id, wParam, lParam);
}

void LinuxDesktop::StateChanged(const AgentState& state) {
    if (agentInterface) {
        agentInterface->StateChanged(state);
    }
}

void LinuxDesktop::ShowDpiStage(std::int32_t stage) {
    if (notifications) {
        notifications->Show("DPI stage " + std::to_string(stage) + " of 7", "");
    }
}

WindowHandle LinuxDesktop::Host::CreateHiddenWindow(std::u16string_view title,
                                                    WindowProcedure& procedure) {
    return desktop.windows.CreateHiddenWindow(title, procedure);
}

void LinuxDesktop::Host::SetTitle(WindowHandle window, std::u16string_view title) {
    desktop.windows.SetTitle(window, title);
}

void LinuxDesktop::Host::SetToolWindowStyle(WindowHandle window) {
    desktop.windows.SetToolWindowStyle(window);
}

void LinuxDesktop::Host::AcceptFromLowerPrivilege(WindowHandle window,
                                                  std::span<const MessageId> messages) {
    desktop.windows.AcceptFromLowerPrivilege(window, messages);
}

int LinuxDesktop::Host::RunMessageLoop(WindowHandle mainWindow) {
    return desktop.windows.RunMessageLoop(mainWindow);
}

std::uint32_t LinuxDesktop::Host::OsMajorVersion() {
    return desktop.windows.OsMajorVersion();
}

// The agent window registers at its creation: it is also the window the bus interface serves.
bool LinuxDesktop::Host::RegisterSessionNotices(WindowHandle window) {
    for (const std::u16string& line : std::exchange(desktop.absences, {})) {
        desktop.debug.Write(line);
    }
    if (desktop.agentInterface) {
        desktop.agentInterface->SetAgentWindow(window);
    }
    if (!desktop.sessionWatch) {
        return false;
    }
    desktop.sessionWatch->Register(window);
    return true;
}

void LinuxDesktop::Host::UnregisterSessionNotices(WindowHandle window) {
    if (desktop.agentInterface) {
        desktop.agentInterface->SetAgentWindow(kNoWindow);
    }
    if (desktop.sessionWatch) {
        desktop.sessionWatch->Unregister(window);
    }
}

}  // namespace t47
