#pragma once

// For tests: what a Windows program file holds, read as the system reads it: its subsystem,
// its icon groups, its version information.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace t47::testing {

// The subsystem of the program's header: 2 for a GUI program (no console), 3 for a console
// program; none when the file is no program.
std::optional<std::uint16_t> ProgramSubsystem(const std::filesystem::path& program);

struct IconImageFacts {
    int width = 0;  // 256 where the directory says 0
    int height = 0;
    int bitCount = 0;

    friend bool operator==(const IconImageFacts&, const IconImageFacts&) = default;
};

// The images that the icon group resource `id` lists, in its order; empty when it has none.
std::vector<IconImageFacts> IconGroup(const std::filesystem::path& program, std::uint32_t id);

// A value of the version information's US English table; empty when there is none.
std::u16string VersionText(const std::filesystem::path& program, std::u16string_view name);

}  // namespace t47::testing
