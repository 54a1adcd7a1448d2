#include "platform/linux/program_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

extern char** environ;

namespace t47 {
namespace {

constexpr std::size_t kKeptErrors = 1024;

class Descriptor {
  public:
    explicit Descriptor(int descriptor) : fd(descriptor) {}
    ~Descriptor() { Close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    void Close() {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
    int fd;
};

// Standard error until the program closes it or the time is up; false when the time ran out.
bool ReadErrors(int fd, std::chrono::steady_clock::time_point end, std::string& errors) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd ready{fd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, static_cast<int>(left.count()));
        if (polled < 0 && errno == EINTR) {
            continue;
        }
        if (polled <= 0) {
            return polled == 0 ? false : true;
        }
        char buffer[512];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return true;
        }
        if (errors.size() < kKeptErrors) {
            errors.append(buffer,
                          std::min(static_cast<std::size_t>(got), kKeptErrors - errors.size()));
        }
    }
}

}  // namespace

SystemProgramRunner::SystemProgramRunner(std::string path, std::chrono::milliseconds wait)
    : searchPath(std::move(path)), patience(wait) {}

std::optional<std::filesystem::path> SystemProgramRunner::Find(std::string_view name) const {
    std::string_view rest = searchPath;
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        rest.remove_prefix(colon == std::string_view::npos ? rest.size() : colon + 1);
        if (folder.empty() || folder.front() != '/') {
            continue;  // never a program of whatever the current folder is
        }
        const std::filesystem::path candidate = std::filesystem::path(folder) / name;
        struct stat status {};
        if (::stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return std::nullopt;
}

ProgramResult SystemProgramRunner::Run(const std::filesystem::path& program,
                                       const std::vector<std::string>& arguments) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return {};
    }
    Descriptor readEnd(ends[0]);
    Descriptor writeEnd(ends[1]);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.fd, 2);
    // None of the agent's sockets, locks or devices goes with it.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // The agent's handling of stop signals is its own: the program starts with the defaults.
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> argv;
    std::string name = program.string();
    std::vector<std::string> copies = arguments;
    argv.push_back(name.data());
    for (std::string& argument : copies) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t child = -1;
    const int spawned =
        ::posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    writeEnd.Close();
    if (spawned != 0) {
        return {};
    }

    ProgramResult result;
    result.ran = true;
    const auto end = std::chrono::steady_clock::now() + patience;
    bool stopped = false;
    if (!ReadErrors(readEnd.fd, end, result.errors)) {
        ::kill(child, SIGKILL);
        stopped = true;
    }
    int status = 0;
    for (;;) {
        // A program may close its standard error and go on: it gets the same patience.
        const pid_t ended = ::waitpid(child, &status, stopped ? 0 : WNOHANG);
        if (ended == child) {
            break;
        }
        if (ended < 0 && errno != EINTR) {
            return result;
        }
        if (!stopped && std::chrono::steady_clock::now() >= end) {
            ::kill(child, SIGKILL);
            stopped = true;
        } else if (!stopped && ended == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    result.status = WIFEXITED(status) && !stopped ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace t47
