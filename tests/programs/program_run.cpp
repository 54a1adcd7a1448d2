#include "programs/program_run.h"

#include <algorithm>
#include <thread>

#include "platform/text_encoding.h"

namespace t47::test {
namespace {

namespace fs = std::filesystem;

template <typename Condition>
bool WaitFor(Condition condition) {
    const auto end = std::chrono::steady_clock::now() + ProgramRun::kPatience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace

std::size_t CountLines(std::string_view text, std::string_view line) {
    std::size_t count = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string_view::npos ? text.size() : end;
        count += text.substr(start, end - start) == line ? 1 : 0;
        start = end + 1;
    }
    return count;
}

ProgramRun::ProgramRun(ProgramPaths programs, Variables variables)
    : paths(std::move(programs)), environment(std::move(variables)) {
    fs::create_directories(folder / "run");
}

void ProgramRun::SetEnvironment(std::string name, std::string value) {
    environment.emplace_back(std::move(name), std::move(value));
}

ChildSetup ProgramRun::Setup(const fs::path& program, std::vector<std::string> arguments,
                             const std::string& name) const {
    Variables variables = {{"XDG_RUNTIME_DIR", (folder / "run").string()},
                           {"XDG_CONFIG_HOME", (folder / "config").string()},
                           {"XDG_CURRENT_DESKTOP", ""}};
    for (const auto& variable : environment) {
        const auto same = std::find_if(variables.begin(), variables.end(), [&](const auto& set) {
            return set.first == variable.first;
        });
        if (same != variables.end()) {
            *same = variable;
        } else {
            variables.push_back(variable);
        }
    }
    return {program, std::move(arguments), std::move(variables), folder / (name + ".out"),
            folder / (name + ".err")};
}

std::string ProgramRun::FileText(const std::string& name) const {
    return ReadFileBytes(folder / name);
}

Outcome ProgramRun::Run(const fs::path& program, std::vector<std::string> arguments) {
    const std::string name = "run" + std::to_string(++runs);
    ChildProgram child(Setup(program, std::move(arguments), name));
    Outcome outcome;
    outcome.status = child.WaitForExit(kPatience).value_or(-1);
    outcome.output = FileText(name + ".out");
    outcome.errors = FileText(name + ".err");
    return outcome;
}

Outcome ProgramRun::Control(std::vector<std::string> arguments) {
    return Run(paths.control, std::move(arguments));
}

bool ProgramRun::StartAgent(std::vector<std::string> arguments) {
    agent = std::make_unique<ChildProgram>(Setup(paths.agent, std::move(arguments), "agent"));
    return agent->Started() && WaitForAgentLine("OnCreate over");
}

bool ProgramRun::StartWatch() {
    watch = std::make_unique<ChildProgram>(Setup(paths.control, {"watch"}, "watch"));
    return watch->Started() &&
           WaitFor([this] { return FileText("watch.err").find("holding") != std::string::npos; });
}

std::string ProgramRun::AgentLines() const {
    return FileText("agent.err");
}

std::string ProgramRun::WatchLines() const {
    return FileText("watch.out");
}

bool ProgramRun::WaitForAgentLine(std::string_view line, std::size_t count) const {
    return WaitFor([&] { return CountLines(AgentLines(), line) >= count; });
}

bool ProgramRun::WaitForWatchLine(std::string_view line, std::size_t count) const {
    return WaitFor([&] { return CountLines(WatchLines(), line) >= count; });
}

std::u16string ProgramRun::SettingsPath() const {
    return Utf16FromPath(folder / "config" / "Norvane" / "T47" / "GamingMouse");
}

}  // namespace t47::test
