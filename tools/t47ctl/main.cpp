// t47ctl: see control_tool.h.

#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "control_tool.h"
#include "platform/linux/linux_windows.h"
#include "platform/linux/stop_signals.h"
#include "platform/linux/user_folders.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    try {
        t47::LinuxWindows windows(t47::UserFoldersFromEnvironment().runtime);
        // Ctrl-C ends `watch` by closing its window, which takes its socket away with it.
        std::optional<t47::StopSignals> stopSignals;
        const auto onWatching = [&windows, &stopSignals](t47::WindowHandle window) {
            stopSignals.emplace([&windows, window] { windows.Post(window, t47::kWmClose, 0, 0); });
        };
        return t47::RunControlTool(arguments, std::cout, std::cerr, {windows, windows, onWatching});
    } catch (const std::exception& failure) {
        std::cerr << "t47ctl: " << failure.what() << '\n';
        return t47::kControlToolFailed;
    }
}
