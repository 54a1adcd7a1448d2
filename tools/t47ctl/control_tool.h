#pragma once

// t47ctl: the companion UI's stand-in on Linux, toward a running t47agent of the same user
// (see control_commands.h for the commands). It reaches the agent's windows through the same
// window messages as the agent itself.
//
// A command that cannot be carried out (no agent runs, no simulated mouse, the window of the
// companion UI held by another program, a bad command line) gets one line on the error stream
// and status 1; --help prints the usage with status 0.

#include <functional>
#include <iosfwd>
#include <span>
#include <string>

#include "platform/window_host.h"
#include "platform/window_messages.h"

namespace t47 {

inline constexpr int kControlToolFailed = 1;
inline constexpr const char* kControlToolVersion = T47_VERSION;

struct ControlToolSystem {
    WindowMessages& messages;
    WindowHost& windows;
    // Runs once `watch` holds its window, before the loop: where the program arranges for an
    // interruption to close that window.
    std::function<void(WindowHandle watchWindow)> onWatching;
    // What keeps the runtime folder from holding the agent's windows, as "the folder X does
    // not exist" or "the folder X belongs to user 1001"; empty when it is the user's own. The
    // agent's windows are looked for only in a folder that is.
    std::function<std::string()> runtimeFolderProblem;
    // Whether that problem is only that the folder does not exist: then no agent runs.
    std::function<bool()> runtimeFolderMissing;
};

// `arguments` without the program's name. `watch` returns once its window is closed.
int RunControlTool(std::span<const std::string> arguments, std::ostream& out, std::ostream& err,
                   const ControlToolSystem& system);

}  // namespace t47
