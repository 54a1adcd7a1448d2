#pragma once

// Gaming.exe, the companion UI's stand-in: without arguments it holds a top-level window titled
// "Norvane T47" and logs every message that reaches it, one a line, until the window is closed;
// with one argument it posts a request and ends.
//
//   Gaming.exe            the window, logging to the file that T47_COMPANION_LOG names, else to
//                         Gaming.log beside the program
//   Gaming.exe apply      posts MSG_RELOAD_APPLY to the agent window "Norvane_T47_Hid"
//   Gaming.exe command    posts MSG_DEVICE_COMMAND to it
//   Gaming.exe close-agent  closes the agent window (WM_CLOSE), as the system would
//   Gaming.exe quit       closes the stand-in's window (WM_CLOSE)
//
// Status 0 when done, 1 when there is no window to post to, 2 for bad arguments.

#include <optional>
#include <ostream>
#include <string_view>

#include "platform/window_host.h"
#include "platform/window_messages.h"

namespace t47 {

inline constexpr int kPosted = 0;
inline constexpr int kNoWindowToPostTo = 1;
inline constexpr int kBadArguments = 2;

// The environment variable that names the log file.
inline constexpr char kCompanionLogVariable[] = "T47_COMPANION_LOG";
inline constexpr char16_t kDefaultCompanionLog[] = u"Gaming.log";

// The window's procedure: each message becomes a line of the log, flushed at once so that
// others may read it while the stand-in runs; the default processing does the rest.
class CompanionStandIn final : public WindowProcedure {
  public:
    explicit CompanionStandIn(std::ostream& log);

    std::optional<LParam> HandleMessage(WindowHandle window, MessageId id, WParam wParam,
                                        LParam lParam) override;

  private:
    std::ostream& log;
};

// Creates the window, logs "Gaming.exe started", and runs its loop: the exit code.
int RunCompanionWindow(WindowHost& windows, std::ostream& log);

// Posts the request named by `request` (apply, command, close-agent, quit); the status above.
int PostCompanionRequest(WindowMessages& messages, std::string_view request);

}  // namespace t47
