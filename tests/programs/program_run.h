#pragma once

// t47agent and t47ctl run as a person runs them, for black-box tests and benchmarks: processes
// in runtime and configuration folders of their own (XDG_RUNTIME_DIR and XDG_CONFIG_HOME in a
// temporary folder), their standard output and error kept in files there.
//
// Waits end at a generous limit that only a broken program reaches; nothing here measures time.

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/linux/testing/child_program.h"
#include "support/temp_folder.h"

namespace t47::test {

struct ProgramPaths {
    std::filesystem::path agent;    // t47agent
    std::filesystem::path control;  // t47ctl
};

struct Outcome {
    int status = -1;  // -1 when the program did not end within the limit
    std::string output;
    std::string errors;
};

// How many times `text` holds `line` as a whole line.
std::size_t CountLines(std::string_view text, std::string_view line);

class ProgramRun {
  public:
    static constexpr std::chrono::milliseconds kPatience = std::chrono::minutes(1);

    using Variables = std::vector<std::pair<std::string, std::string>>;

    // `environment` adds to, or replaces, the folders' variables. Unless it says otherwise the
    // programs see no desktop, so that no run changes the pointer of whoever runs the tests.
    explicit ProgramRun(ProgramPaths paths, Variables environment = {});

    // Set (or replaced) for every program started from now on (a private bus's address, say).
    void SetEnvironment(std::string name, std::string value);

    // A program run to its end.
    Outcome Run(const std::filesystem::path& program, std::vector<std::string> arguments);
    Outcome Control(std::vector<std::string> arguments);

    // The agent, once its start-up is over ("OnCreate over"); false when it did not get there.
    bool StartAgent(std::vector<std::string> arguments = {"--simulated-mouse"});
    // t47ctl watch, once it holds the companion UI's window; false when it did not.
    bool StartWatch();
    ChildProgram& Agent() { return *agent; }
    ChildProgram& Watch() { return *watch; }

    std::string AgentLines() const;  // its standard error: the debug lines
    std::string WatchLines() const;  // its standard output: the messages

    // Until the agent's debug lines, or the watcher's messages, hold the line `count` times.
    bool WaitForAgentLine(std::string_view line, std::size_t count = 1) const;
    bool WaitForWatchLine(std::string_view line, std::size_t count = 1) const;

    const std::filesystem::path& Folder() const { return folder.Path(); }
    // The settings file, as the agent names it.
    std::u16string SettingsPath() const;

  private:
    ChildSetup Setup(const std::filesystem::path& program, std::vector<std::string> arguments,
                     const std::string& name) const;
    std::string FileText(const std::string& name) const;

    const ProgramPaths paths;
    Variables environment;
    TempFolder folder;
    std::unique_ptr<ChildProgram> agent;
    std::unique_ptr<ChildProgram> watch;
    int runs = 0;
};

}  // namespace t47::test
