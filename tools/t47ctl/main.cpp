// t47ctl: see control_tool.h.

#include <chrono>
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/agent_paths.h"
#include "configure_commands.h"
#include "control_tool.h"
#include "platform/linux/linux_windows.h"
#include "platform/linux/runtime_folder.h"
#include "platform/linux/stop_signals.h"
#include "platform/linux/user_folders.h"
#include "platform/profile/profile_engine.h"
#include "platform/text_encoding.h"

int main(int argc, char** argv) {
    using namespace std::chrono_literals;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    try {
        const t47::UserFolders folders = t47::UserFoldersFromEnvironment();
        const std::filesystem::path& runtime = folders.runtime;
        // A busy agent drains its queue as it goes: a post waits a moment for room.
        t47::LinuxWindows windows(runtime, 5s);
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
            stopSignals.emplace([&windows, window] { windows.RequestClose(window); });
        };
        const auto folderProblem = [&runtime]() -> std::string {
            const std::string problem = t47::PrivateFolderProblem(runtime);
            return problem.empty() ? problem : "the folder " + runtime.string() + " " + problem;
        };
        const auto folderMissing = [&runtime] { return !std::filesystem::exists(runtime); };
        return t47::RunControlTool(arguments, std::cout, std::cerr,
                                   {windows, windows, onWatching, folderProblem, folderMissing});
    } catch (const std::exception& failure) {
        std::cerr << "t47ctl: " << failure.what() << '\n';
        return t47::kControlToolFailed;
    }
}
