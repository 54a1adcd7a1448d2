#include "agent_options.h"

namespace t47 {

ParsedAgentOptions ParseAgentOptions(std::span<const std::string> arguments) {
    ParsedAgentOptions parsed;
    for (const std::string& argument : arguments) {
        if (argument == "--simulated-mouse") {
            parsed.options.simulatedMouse = true;
        } else if (argument == "--version") {
            parsed.options.version = true;
        } else if (argument == "--help" || argument == "-h") {
            parsed.options.help = true;
        } else {
            parsed.error = "unknown argument \"" + argument + "\" (t47agent --help lists them)";
            return parsed;
        }
    }
    return parsed;
}

}  // namespace t47
