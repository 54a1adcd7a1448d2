// t47ctl: see control_tool.h.

#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/agent_paths.h"
#include "configure_commands.h"
#include "control_tool.h"
#include "platform/linux/linux_windows.h"
#include "platform/linux/stop_signals.h"
#include "platform/linux/user_folders.h"
#include "platform/profile/profile_engine.h"
#include "platform/text_encoding.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    try {
        const t47::UserFolders folders = t47::UserFoldersFromEnvironment();
        t47::LinuxWindows windows(folders.runtime);
        if (!arguments.empty() && t47::IsConfigureCommand(arguments[0])) {
            t47::ProfileEngine files;
            const std::u16string path =
                folders.config ? t47::SettingsFilePath(t47::Utf16FromPath(*folders.config)) : u"";
            return t47::RunConfigureCommand(arguments, std::cout, std::cerr,
                                            {files, path, windows, std::cin});
        }
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
