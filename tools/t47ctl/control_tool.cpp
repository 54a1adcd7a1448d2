#include "control_tool.h"

#include <ostream>

#include "configure_commands.h"
#include "contract/companion_contract.h"
#include "control_commands.h"
#include "message_names.h"
#include "platform/text_encoding.h"
#include "simulated_mouse_control.h"

namespace t47 {
namespace {

// The companion UI's window as t47ctl watch holds it: each message the agent posts is a line
// on the output at once, so that whoever reads it sees the message when it comes.
class WatchingProcedure final : public WindowProcedure {
  public:
    explicit WatchingProcedure(std::ostream& output) : out(output) {}

    std::optional<LParam> HandleMessage(WindowHandle, MessageId id, WParam wParam,
                                        LParam lParam) override {
        // The window's own life is not the agent's news; kWmClose ends the watch.
        if (id == kWmCreate || id == kWmDestroy || id == kWmClose) {
            return std::nullopt;
        }
        out << DescribeMessage(id, wParam, lParam) << std::endl;
        return 0;
    }

  private:
    std::ostream& out;
};

int Fail(std::ostream& err, const std::string& line) {
    err << "t47ctl: " << line << '\n';
    return kControlToolFailed;
}

std::string Quoted(std::u16string_view title) {
    return '"' + Utf8FromUtf16(title) + '"';
}

int Watch(std::ostream& out, std::ostream& err, const ControlToolSystem& system) {
    WatchingProcedure procedure(out);
    const WindowHandle window = system.windows.CreateHiddenWindow(kCompanionWindowTitle, procedure);
    if (window == kNoWindow) {
        return Fail(err, "cannot hold the window " + Quoted(kCompanionWindowTitle) +
                             ": another program holds it, or the runtime folder is not usable");
    }
    if (system.onWatching) {
        system.onWatching(window);
    }
    // Said once an interruption can end the watch gently.
    err << "t47ctl: holding the window " << Quoted(kCompanionWindowTitle)
        << "; the agent's messages follow, one a line (Ctrl-C ends)" << std::endl;
    system.windows.RunMessageLoop(window);
    return 0;
}

int Post(const PostCommand& command, std::ostream& out, std::ostream& err,
         const ControlToolSystem& system) {
    if (system.runtimeFolderProblem) {
        if (const std::string problem = system.runtimeFolderProblem(); !problem.empty()) {
            const bool missing = system.runtimeFolderMissing && system.runtimeFolderMissing();
            return Fail(err, missing ? "no agent runs (" + problem + ")"
                                     : "no agent can be reached: " + problem);
        }
    }
    const WindowHandle target = system.messages.FindTopLevelWindow(command.window);
    if (target == kNoWindow) {
        if (system.messages.FindTopLevelWindow(kAgentWindowTitle) == kNoWindow) {
            return Fail(err,
                        "no agent runs (there is no window " + Quoted(kAgentWindowTitle) + ")");
        }
        return Fail(err,
                    "the agent runs without the simulated mouse (t47agent "
                    "--simulated-mouse uses it when no mouse is attached)");
    }
    if (!system.messages.Post(target, command.message, 0, 0)) {
        return Fail(err, "the window " + Quoted(command.window) +
                             " did not take the message (gone, or still busy after a wait)");
    }
    out << command.done << '\n';
    return 0;
}

}  // namespace

int RunControlTool(std::span<const std::string> arguments, std::ostream& out, std::ostream& err,
                   const ControlToolSystem& system) {
    const ParsedControlCommand parsed = ParseControlCommand(arguments);
    if (!parsed.command) {
        return Fail(err, parsed.error);
    }
    switch (parsed.command->action) {
        case ControlAction::kHelp:
            out << ControlUsage() << '\n' << ConfigureUsage();
            return 0;
        case ControlAction::kVersion:
            out << "t47ctl " << kControlToolVersion << '\n';
            return 0;
        case ControlAction::kWatch:
            return Watch(out, err, system);
        case ControlAction::kPost:
            break;
    }
    return Post(*parsed.command->post, out, err, system);
}

}  // namespace t47
