#pragma once

// t47agent's command line. The agent itself reads no options; the program has one, for people
// without the mouse.

#include <span>
#include <string>
#include <string_view>

namespace t47 {

struct AgentOptions {
    bool simulatedMouse = false;  // --simulated-mouse
    bool help = false;            // --help, -h
    bool version = false;         // --version
};

struct ParsedAgentOptions {
    AgentOptions options;
    std::string error;  // empty when the arguments were understood
};

// The arguments without the program's name.
ParsedAgentOptions ParseAgentOptions(std::span<const std::string> arguments);

inline constexpr std::string_view kAgentUsage =
    "usage: t47agent [--simulated-mouse]\n"
    "\n"
    "The Norvane T47 agent, in the foreground; its debug lines go to standard error.\n"
    "It ends when it is closed (t47ctl stop) or interrupted (Ctrl-C, SIGTERM).\n"
    "\n"
    "  --simulated-mouse  when no Norvane T47 is attached, use a simulated one,\n"
    "                     driven by t47ctl press-dpi, unplug and plug\n"
    "  -h, --help         this text\n"
    "  --version          the version number\n";

}  // namespace t47
