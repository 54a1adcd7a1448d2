#pragma once

// The agent on the Linux desktop, over D-Bus: the tray icon and its menu, DPI notifications and
// the agent's own interface on the user's session bus, session notices from logind on the
// system bus. Both connections are served by the windows' message loop. Where a bus or a
// service is absent, its parts are off and the log says so once; the agent runs all the same.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/agent_state_sink.h"
#include "platform/debug_output.h"
#include "platform/linux/agent_bus_interface.h"
#include "platform/linux/bus_connection.h"
#include "platform/linux/desktop_notifications.h"
#include "platform/linux/linux_windows.h"
#include "platform/linux/logind_session_watch.h"
#include "platform/linux/status_notifier_item.h"

namespace t47 {

class LinuxDesktop final : public AgentStateSink {
  public:
    // Connects to the user's buses (their usual addresses, or those of the environment).
    LinuxDesktop(LinuxWindows& windows, DebugOutput& debug);
    // Over connections already open (tests); either may be missing.
    LinuxDesktop(LinuxWindows& windows, DebugOutput& debug, std::unique_ptr<BusConnection> session,
                 std::unique_ptr<BusConnection> system);
    ~LinuxDesktop() override;

    // None without a session bus.
    StatusNotifierItem* Tray() { return tray.get(); }
    // The windows, with logind's session notices for the window that registers for them.
    WindowHost& Windows() { return host; }

    // Tells whether a companion UI can be started. Where none can, activating the icon or its
    // first entry shows how to configure the mouse from the command line instead.
    void SetCompanionCheck(std::function<bool()> installed) { companionInstalled = installed; }

    void StateChanged(const AgentState& state) override;
    void ShowDpiStage(std::int32_t stage) override;

  private:
    // LinuxWindows as it is, but for the session notices.
    class Host final : public WindowHost {
      public:
        explicit Host(LinuxDesktop& owner) : desktop(owner) {}
        WindowHandle CreateHiddenWindow(std::u16string_view title,
                                        WindowProcedure& procedure) override;
        void SetTitle(WindowHandle window, std::u16string_view title) override;
        void SetToolWindowStyle(WindowHandle window) override;
        void AcceptFromLowerPrivilege(WindowHandle window,
                                      std::span<const MessageId> messages) override;
        int RunMessageLoop(WindowHandle mainWindow) override;
        std::uint32_t OsMajorVersion() override;
        bool RegisterSessionNotices(WindowHandle window) override;
        void UnregisterSessionNotices(WindowHandle window) override;

      private:
        LinuxDesktop& desktop;
    };

    // The tray's requests; those for the companion UI checked first.
    void FromTray(WindowHandle window, MessageId id, WParam wParam, LParam lParam);

    LinuxWindows& windows;
    DebugOutput& debug;
    std::function<bool()> companionInstalled = [] { return true; };
    // The parts that are off, said once when the agent window registers (after the program's
    // own first line, and never by a program that ends before it has an agent window).
    std::vector<std::u16string> absences;
    Host host{*this};
    std::unique_ptr<BusConnection> session;
    std::unique_ptr<BusConnection> system;
    std::unique_ptr<StatusNotifierItem> tray;
    std::unique_ptr<DesktopNotifications> notifications;
    std::unique_ptr<AgentBusInterface> agentInterface;
    std::unique_ptr<LogindSessionWatch> sessionWatch;
};

}  // namespace t47
