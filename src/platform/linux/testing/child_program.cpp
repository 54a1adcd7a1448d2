#include "platform/linux/testing/child_program.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace t47::test {
namespace {

// The environment's "NAME=value" texts with the setup's variables set.
std::vector<std::string> EnvironmentWith(
    const std::vector<std::pair<std::string, std::string>>& variables) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        bool replaced = false;
        for (const auto& [name, value] : variables) {
            replaced = replaced || text.starts_with(name + "=");
        }
        if (!replaced) {
            entries.push_back(text);
        }
    }
    for (const auto& [name, value] : variables) {
        entries.push_back(name + "=" + value);
    }
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

int StatusOf(int waitStatus) {
    return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus);
}

}  // namespace

ChildProgram::ChildProgram(const ChildSetup& setup) {
    std::vector<std::string> arguments = {setup.program.string()};
    arguments.insert(arguments.end(), setup.arguments.begin(), setup.arguments.end());
    std::vector<std::string> environment = EnvironmentWith(setup.environment);
    const std::vector<char*> argv = Pointers(arguments);
    const std::vector<char*> envp = Pointers(environment);

    posix_spawn_file_actions_t files;
    ::posix_spawn_file_actions_init(&files);
    ::posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_addopen(&files, 1, setup.output.c_str(),
                                       O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::posix_spawn_file_actions_addopen(&files, 2, setup.errors.c_str(),
                                       O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t child = -1;
    if (::posix_spawn(&child, setup.program.c_str(), &files, nullptr, argv.data(), envp.data()) ==
        0) {
        id = child;
    }
    ::posix_spawn_file_actions_destroy(&files);
}

ChildProgram::~ChildProgram() {
    if (Started() && !status) {
        ::kill(id, SIGKILL);
        int waitStatus = 0;
        ::waitpid(id, &waitStatus, 0);
    }
}

std::optional<int> ChildProgram::WaitForExit(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (Started() && !status) {
        int waitStatus = 0;
        const pid_t got = ::waitpid(id, &waitStatus, WNOHANG);
        if (got == id) {
            status = StatusOf(waitStatus);
        } else if (got < 0 || std::chrono::steady_clock::now() >= end) {
            break;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    return status;
}

void ChildProgram::Interrupt() {
    if (Started() && !status) {
        ::kill(id, SIGINT);
    }
}

void ChildProgram::Terminate() {
    if (Started() && !status) {
        ::kill(id, SIGTERM);
    }
}

std::optional<std::chrono::microseconds> ChildProgram::ProcessorTime() const {
    std::ifstream in("/proc/" + std::to_string(id) + "/stat");
    std::string text;
    if (status || !std::getline(in, text)) {
        return std::nullopt;
    }
    // The fields after the name, which is in parentheses and may hold blanks: utime is the
    // 14th field of the line, stime the 15th, in clock ticks.
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string skipped;
    for (int field = 3; field < 14; ++field) {
        fields >> skipped;
    }
    long long userTicks = 0;
    long long systemTicks = 0;
    if (!(fields >> userTicks >> systemTicks)) {
        return std::nullopt;
    }
    const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
    return std::chrono::microseconds((userTicks + systemTicks) * 1'000'000 / ticksPerSecond);
}

std::optional<std::size_t> ChildProgram::ResidentKiB() const {
    std::ifstream in("/proc/" + std::to_string(id) + "/status");
    std::string line;
    while (!status && std::getline(in, line)) {
        if (line.starts_with("VmRSS:")) {
            return static_cast<std::size_t>(std::stoul(line.substr(6)));
        }
    }
    return std::nullopt;
}

}  // namespace t47::test
