#pragma once

// Programs of the project run as child processes, for black-box tests and benchmarks: with
// arguments, some environment variables set, standard input empty, standard output and error
// into files; and what the kernel tells of them while they run.

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace t47::test {

struct ChildSetup {
    std::filesystem::path program;
    std::vector<std::string> arguments;
    // Set, or replaced, in a copy of this process's environment.
    std::vector<std::pair<std::string, std::string>> environment;
    std::filesystem::path output;  // standard output, created afresh
    std::filesystem::path errors;  // standard error, created afresh
};

class ChildProgram {
  public:
    // Starts the program; Started() tells whether it did.
    explicit ChildProgram(const ChildSetup& setup);
    // A child still running is killed; every child is waited for.
    ~ChildProgram();
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    bool Started() const { return id > 0; }

    // The exit status once the program ended (128 + the signal's number when a signal ended
    // it); none when it still runs after `limit`, a limit only a broken program reaches.
    std::optional<int> WaitForExit(std::chrono::milliseconds limit);

    // Asks it to stop as a terminal (SIGINT) or systemd (SIGTERM) does.
    void Interrupt();
    void Terminate();

    // Processor time it used so far, user and system together; none once it ended.
    std::optional<std::chrono::microseconds> ProcessorTime() const;
    // Its resident memory now (VmRSS), in KiB; none once it ended.
    std::optional<std::size_t> ResidentKiB() const;

  private:
    int id = -1;
    std::optional<int> status;
};

}  // namespace t47::test
