#pragma once

// The pointer settings on Linux: no desktop-wide setting is touched. The values the agent sets
// are kept in section "SystemParameters" of a profile file of their own, whatever the update
// flags, and said on the debug output, so that a desktop-specific tool can take them from there.

#include <string>

#include "platform/debug_output.h"
#include "platform/profile_files.h"
#include "platform/system_parameters.h"

namespace t47 {

class LinuxSystemParameters final : public SystemParameters {
  public:
    LinuxSystemParameters(ProfileFiles& files, DebugOutput& debug, std::u16string filePath);

    bool SetDoubleClickTime(std::uint32_t milliseconds) override;
    bool SetMouse(const MouseAcceleration& values, std::uint32_t updateFlags) override;
    // False for a speed outside 1 to 20, which Windows refuses too.
    bool SetMouseSpeed(std::uint32_t speed, std::uint32_t updateFlags) override;
    // 0xFFFFFFFF (a page) is kept as -1, as Windows keeps it.
    bool SetWheelScrollLines(std::uint32_t lines, std::uint32_t updateFlags) override;

  private:
    bool Keep(std::u16string_view name, std::int64_t value);

    ProfileFiles& files;
    DebugOutput& debug;
    const std::u16string filePath;
};

}  // namespace t47
