#pragma once

// For tests: programs started as processes of their own, and the environment they inherit.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace t47::testing {

// A whole command line, the program first, as a shortcut or an uninstall entry holds it; the
// program parses it itself (an installer's "/D=" must come last and unquoted).
struct CommandLine {
    std::u16string text;
};

class ChildProcess {
  public:
    // Starts the program with these arguments, its standard output going to `output` (made
    // anew) when one is named; throws std::runtime_error when it does not start.
    explicit ChildProcess(const std::filesystem::path& program,
                          const std::vector<std::u16string>& arguments = {},
                          const std::filesystem::path& output = {});
    explicit ChildProcess(const CommandLine& commandLine);
    // Ends the process if it still runs.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The exit code once the process ended, waiting at most `limit`; none while it runs.
    std::optional<std::uint32_t> WaitForExit(std::chrono::milliseconds limit);

  private:
    void Start(const std::filesystem::path& program, std::wstring commandLine,
               const std::filesystem::path& output);

    std::uintptr_t process = 0;
};

// Sets a variable of this process's environment, which processes it starts inherit (and those
// they start in turn); an empty value removes it.
void SetInheritedEnvironment(std::u16string_view name, std::u16string_view value);

}  // namespace t47::testing
