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
     "ask the agent to reload the settings file and write it into the mouse"},
    {"command", kAgentWindowTitle, MSG_DEVICE_COMMAND,
     "ask the agent to send the command report to the mouse"},
    {"stop", kAgentWindowTitle, kWmClose, "close the agent, as WM_CLOSE does"},
    {"press-dpi", kSimulatedMouseWindowTitle, kPressDpiButton,
     "press the DPI button of the agent's simulated mouse"},
    {"unplug", kSimulatedMouseWindowTitle, kUnplugMouse, "unplug the agent's simulated mouse"},
    {"plug", kSimulatedMouseWindowTitle, kPlugInMouse, "plug the simulated mouse in again"},
};

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
    const auto line = [&usage](std::string_view name, std::string_view help) {
        usage += "  " + std::string(name) + std::string(12 - name.size(), ' ') + std::string(help) +
                 '\n';
    };
    line("watch", kWatchHelp);
    for (const PostCommand& post : kPostCommands) {
        line(post.name, post.help);
    }
    line("--help", "this text");
    usage +=
        "\n"
        "press-dpi, unplug and plug need an agent started with --simulated-mouse that found no\n"
        "mouse attached. A command that finds no agent says so in one line, with status 1.\n";
    return usage;
}

}  // namespace t47
