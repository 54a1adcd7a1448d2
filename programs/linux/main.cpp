// t47agent: the Norvane T47 agent on Linux, in the foreground. It builds the Linux services,
// hands them to the agent and runs its message loop until the agent window is closed; with
// --simulated-mouse and no mouse attached, its HID bus holds the simulated mouse instead.

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "agent_options.h"
#include "app/agent_application.h"
#include "mouse_choice.h"
#include "platform/linux/attached_hid_nodes.h"
#include "platform/linux/linux_platform.h"
#include "platform/linux/stop_signals.h"
#include "platform/text_encoding.h"
#include "simulated_mouse_bus.h"
#include "simulated_mouse_window.h"

namespace t47 {
namespace {

void Say(DebugOutput& debug, const std::string& line) {
    debug.Write(Utf16FromUtf8(line + '\n'));
}

int RunAgent(const AgentOptions& options) {
    const UserFolders folders = UserFoldersFromEnvironment();
    LinuxPlatform system(folders);
    const PlatformServices services = system.Services();

    SystemHidrawNodeIo nodeIo;
    const std::vector<AttachedHidNode> attached =
        ListAttachedHidNodes(folders.sysfs, folders.dev, nodeIo);
    const MouseChoice choice = ChooseMouse(attached, options.simulatedMouse);
    Say(services.debug, MouseChoiceLine(choice, attached));
    std::optional<SimulatedMouseBus> simulated;
    if (choice == MouseChoice::kSimulated) {
        simulated.emplace(services.clock, services.messages, services.debug);
    }

    CHidApp app({services.files, simulated ? *simulated : services.hid, services.clock,
                 services.debug, services.messages, services.windows, services.shell,
                 services.process, services.registry, services.parameters});
    if (app.InitInstance() == 0) {
        if (app.AgentWindow() == nullptr) {
            // As on Windows, a second agent touches nothing and ends at once, successfully.
            Say(services.debug, "t47agent: an agent already runs for this user; this one ends");
            return app.ExitInstance();
        }
        app.ExitInstance();
        Say(services.debug, "t47agent: the agent window cannot be created in " +
                                folders.runtime.string() +
                                " (it must be a folder of this user's that nobody else can enter)");
        return 1;
    }

    std::optional<SimulatedMouseWindow> control;
    if (simulated) {
        control.emplace(simulated->Mouse(), services.debug);
        if (!control->Create(services.windows)) {
            Say(services.debug,
                "t47agent: the simulated mouse's window cannot be created: "
                "t47ctl cannot reach the mouse");
        }
    }
    // Ctrl-C, SIGTERM from systemd: the agent window closes as kWmClose would close it.
    const WindowHandle agentWindow = app.MainWindow();
    const StopSignals stopSignals(
        [&services, agentWindow] { services.messages.Post(agentWindow, kWmClose, 0, 0); });
    return app.ExitInstance(services.windows.RunMessageLoop(agentWindow));
}

}  // namespace
}  // namespace t47

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const t47::ParsedAgentOptions parsed = t47::ParseAgentOptions(arguments);
    if (!parsed.error.empty()) {
        std::cerr << "t47agent: " << parsed.error << '\n';
        return 2;
    }
    if (parsed.options.help) {
        std::cout << t47::kAgentUsage;
        return 0;
    }
    return t47::RunAgent(parsed.options);
}
