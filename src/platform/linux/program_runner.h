#pragma once

// Other programs run to their end, as a desktop's own tools are run: an argument vector, no
// shell, standard input and output on /dev/null, standard error kept for the log.

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace t47 {

struct ProgramResult {
    bool ran = false;    // false when it could not be started
    int status = -1;     // its exit status; -1 when a signal ended it or it was stopped
    std::string errors;  // the start of its standard error

    bool Succeeded() const { return ran && status == 0; }
};

class ProgramRunner {
  public:
    virtual ~ProgramRunner() = default;
    // The program of that name in the search path, as a shell would find it.
    virtual std::optional<std::filesystem::path> Find(std::string_view name) const = 0;
    virtual ProgramResult Run(const std::filesystem::path& program,
                              const std::vector<std::string>& arguments) = 0;
};

class SystemProgramRunner final : public ProgramRunner {
  public:
    // A program still running after `patience` is killed, so that a hung tool never holds the
    // agent.
    explicit SystemProgramRunner(std::string searchPath,
                                 std::chrono::milliseconds patience = std::chrono::seconds(10));

    std::optional<std::filesystem::path> Find(std::string_view name) const override;
    ProgramResult Run(const std::filesystem::path& program,
                      const std::vector<std::string>& arguments) override;

  private:
    const std::string searchPath;
    const std::chrono::milliseconds patience;
};

}  // namespace t47
