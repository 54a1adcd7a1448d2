#pragma once

// The agent's own window: created hidden, its messages handed to the agent one at a time on
// the thread that runs the message loop. Also what the system tells about itself and the
// user's session that reaches a window.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "platform/handles.h"
#include "platform/window_messages.h"

namespace t47 {

// The shell's notice that it started again and lost every tray icon. Windows numbers it anew
// in each session (registered by the name "TaskbarCreated"); every host delivers it as this.
inline constexpr MessageId kShellRestartedMessage = 0xBF00;

// What receives the messages of a window the agent creates.
class WindowProcedure {
  public:
    virtual ~WindowProcedure() = default;

    // The message's result; none for the system's default processing, which for kWmClose
    // destroys the window (kWmDestroy is then handed over before it goes).
    virtual std::optional<LParam> HandleMessage(WindowHandle window, MessageId id, WParam wParam,
                                                LParam lParam) = 0;
};

class WindowHost {
  public:
    virtual ~WindowHost() = default;

    // A hidden top-level popup window, never shown, with this title, at (100, 100) and
    // 100 x 100. kWmCreate reaches the procedure during this call; a result of -1 refuses the
    // creation. kNoWindow when the window was not created.
    virtual WindowHandle CreateHiddenWindow(std::u16string_view title,
                                            WindowProcedure& procedure) = 0;

    virtual void SetTitle(WindowHandle window, std::u16string_view title) = 0;

    // Keeps the window out of the task bar and the task switcher (a tool window).
    virtual void SetToolWindowStyle(WindowHandle window) = 0;

    // Lets these messages reach the window from programs of a lower privilege level (an
    // elevated agent, a companion UI that is not).
    virtual void AcceptFromLowerPrivilege(WindowHandle window,
                                          std::span<const MessageId> messages) = 0;

    // Hands the thread's messages to their windows' procedures, one at a time, until
    // `mainWindow` is destroyed; the exit code, 0 after a normal end.
    virtual int RunMessageLoop(WindowHandle mainWindow) = 0;

    // The operating system's major version number (5 for XP, 6 for Vista to 8.1, 10 since).
    virtual std::uint32_t OsMajorVersion() = 0;

    // kWmWtsSessionChange reaches the window when the user's session is connected,
    // disconnected, locked or unlocked; withdrawn before the window goes.
    virtual bool RegisterSessionNotices(WindowHandle window) = 0;
    virtual void UnregisterSessionNotices(WindowHandle window) = 0;
};

}  // namespace t47
