#include "control_commands.h"

#include "contract/companion_contract.h"
#include "simulated_mouse_control.h"

namespace t47 {
namespace {

constexpr std::string_view kWatchHelp =
    "hold the window \"Norvane T47\" as the companion UI does and print each message the "
    "agent sends it, one a line, until interrupted";

constexpr PostCommand kPostCommands[] = {
    {"apply", kAgentWindowTitle, MSG_RELOAD_APPLY,
     "ask the agent to reload the settings file and write it into the mouse", "applied"},
    {"command", kAgentWindowTitle, MSG_DEVICE_COMMAND,
     "ask the agent to send the command report to the mouse", "command sent"},
    {"stop", kAgentWindowTitle, kWmClose, "close the agent, as WM_CLOSE does", "stopping"},
    {"press-dpi", kSimulatedMouseWindowTitle, kPressDpiButton,
     "press the DPI button of the agent's simulated mouse", "DPI button pressed"},
    {"unplug", kSimulatedMouseWindowTitle, kUnplugMouse, "unplug the agent's simulated mouse",
     "unplugged"},
    {"plug", kSimulatedMouseWindowTitle, kPlugInMouse, "plug the simulated mouse in again",
     "plugged in"},
};

constexpr std::size_t kUsageWidth = 80;
constexpr std::size_t kHelpColumn = 14;

// "  name        help", the help wrapped at word boundaries to the usage's width.
std::string UsageLine(std::string_view name, std::string_view help) {
    std::string text = "  " + std::string(name);
    text.resize(kHelpColumn, ' ');
    std::size_t column = kHelpColumn;
    bool lineStart = true;
    while (!help.empty()) {
        const std::size_t end = help.find(' ');
        const std::string_view word = help.substr(0, end);
        help = end == std::string_view::npos ? std::string_view() : help.substr(end + 1);
        if (!lineStart && column + 1 + word.size() > kUsageWidth) {
            text += '\n' + std::string(kHelpColumn, ' ');
            column = kHelpColumn;
            lineStart = true;
        }
        if (!lineStart) {
            text += ' ';
            ++column;
        }
        text += word;
        column += word.size();
        lineStart = false;
    }
    return text + '\n';
}

}  // namespace

std::span<const PostCommand> PostCommands() {
    return kPostCommands;
}

ParsedControlCommand ParseControlCommand(std::span<const std::string> arguments) {
    if (arguments.empty()) {
        return {std::nullopt, "no command given (t47ctl --help lists them)"};
    }
    const std::string& name = arguments[0];
    std::optional<ControlCommand> command;
    if (name == "--help" || name == "-h" || name == "help") {
        command = ControlCommand{ControlAction::kHelp};
    } else if (name == "--version") {
        command = ControlCommand{ControlAction::kVersion};
    } else if (name == "watch") {
        command = ControlCommand{ControlAction::kWatch};
    }
    for (const PostCommand& post : kPostCommands) {
        if (name == post.name) {
            command = ControlCommand{ControlAction::kPost, &post};
        }
    }
    if (!command) {
        return {std::nullopt, "unknown command \"" + name + "\" (t47ctl --help lists them)"};
    }
    if (arguments.size() > 1) {
        return {std::nullopt, name + " takes no arguments"};
    }
    return {command, {}};
}

std::string ControlUsage() {
    std::string usage =
        "usage: t47ctl COMMAND\n"
        "\n"
        "Stands in for the companion UI toward a running t47agent of this user.\n"
        "\n";
    usage += UsageLine("watch", kWatchHelp);
    for (const PostCommand& post : kPostCommands) {
        usage += UsageLine(post.name, post.help);
    }
    usage += UsageLine("--help", "this text");
    usage += UsageLine("--version", "the version number");
    usage +=
        "\n"
        "press-dpi, unplug and plug need an agent started with --simulated-mouse that\n"
        "found no mouse attached. A command says what happened in one line; one that\n"
        "finds no agent, or a runtime folder that is not the user's own, says why, with\n"
        "status 1. A busy agent is waited for a few seconds.\n";
    return usage;
}

}  // namespace t47
