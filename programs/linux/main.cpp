// t47agent: the Norvane T47 agent on Linux, in the foreground. It builds the Linux services,
// hands them to the agent and runs its message loop until the agent window is closed; with
// --simulated-mouse and no mouse attached, its HID bus holds the simulated mouse instead.

#include <atomic>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "agent_options.h"
#include "app/agent_application.h"
#include "mouse_choice.h"
#include "platform/linux/attached_hid_nodes.h"
#include "platform/linux/linux_platform.h"
#include "platform/linux/runtime_folder.h"
#include "platform/linux/stop_signals.h"
#include "platform/text_encoding.h"
#include "simulated_mouse_bus.h"
#include "simulated_mouse_window.h"

namespace t47 {
namespace {

void Say(DebugOutput& debug, const std::string& line) {
    debug.Write(Utf16FromUtf8(line + '\n'));
}

// Why the runtime folder cannot hold the agent's window, in a few words.
std::string RuntimeFolderTrouble(const UserFolders& folders) {
    const std::string problem = PrivateFolderProblem(folders.runtime);
    return problem.empty() ? "a socket cannot be made in it"
                           : "it " + problem + " (it must be a folder of this user's that "
                                               "nobody else can enter)";
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
    // One agent per user is decided before any window exists, so that an agent about to lose
    // the race never takes a window's name.
    if (!app.TakeSingleInstance()) {
        // As on Windows, a second agent touches nothing and ends at once, successfully.
        Say(services.debug, "t47agent: an agent already runs for this user; this one ends");
        return 0;
    }

    std::optional<SimulatedMouseWindow> control;
    bool controlCreated = false;
    if (simulated) {
        // Before the agent window, so that t47ctl finds the mouse as soon as the agent runs:
        // what it posts during the start-up waits for the message loop.
        control.emplace(simulated->Mouse(), services.debug);
        controlCreated = control->Create(services.windows);
    }

    // Ctrl-C, SIGTERM from systemd: the agent window closes as kWmClose would close it, ahead
    // of the requests still queued, also when the signal comes during the start-up, before the
    // window is known here.
    std::atomic<WindowHandle> agentWindow{kNoWindow};
    std::atomic<bool> stopAsked{false};
    const StopSignals stopSignals([&system, &stopAsked, &agentWindow] {
        stopAsked = true;
        if (const WindowHandle window = agentWindow.load(); window != kNoWindow) {
            system.Windows().RequestClose(window);
        }
    });

    if (app.InitInstance() == 0) {
        app.ExitInstance();
        Say(services.debug, "t47agent: the agent window cannot be created in " +
                                folders.runtime.string() + ": " + RuntimeFolderTrouble(folders));
        return 1;
    }
    if (simulated && !controlCreated) {
        Say(services.debug,
            "t47agent: the simulated mouse's window cannot be created: t47ctl cannot reach it");
    }
    agentWindow = app.MainWindow();
    if (stopAsked) {
        system.Windows().RequestClose(app.MainWindow());  // asked during the start-up
    }
    const int loopExitCode = services.windows.RunMessageLoop(app.MainWindow());
    if (system.Windows().RuntimeFolderLost()) {
        app.ExitInstance(loopExitCode);
        Say(services.debug, "t47agent: the runtime folder " + folders.runtime.string() +
                                " was removed or replaced; this agent has closed, so that a new "
                                "one can take a fresh folder");
        return 1;
    }
    return app.ExitInstance(loopExitCode);
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
    if (parsed.options.version) {
        std::cout << "t47agent " T47_VERSION "\n";
        return 0;
    }
    return t47::RunAgent(parsed.options);
}
