#pragma once

// The pointer settings on Linux. The values the agent sets are kept in section
// "SystemParameters" of a profile file of their own, whatever the update flags, and said on the
// debug output. When the user runs GNOME or Plasma they are carried into that desktop too, by
// its own tools: on a thread of their own, so that an apply does not wait for those programs
// (a few ms each), and latest values first: values set while the desktop is being written are
// written next, together.

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "platform/debug_output.h"
#include "platform/linux/desktop_pointer_writer.h"
#include "platform/profile_files.h"
#include "platform/system_parameters.h"

namespace t47 {

class LinuxSystemParameters final : public SystemParameters {
  public:
    // Without a desktop writer the values stay in the file, which the log says once.
    LinuxSystemParameters(ProfileFiles& files, DebugOutput& debug, std::u16string filePath,
                          DesktopPointerWriter* desktop = nullptr);
    // Waits until the desktop holds the latest values.
    ~LinuxSystemParameters() override;
    LinuxSystemParameters(const LinuxSystemParameters&) = delete;
    LinuxSystemParameters& operator=(const LinuxSystemParameters&) = delete;

    bool SetDoubleClickTime(std::uint32_t milliseconds) override;
    bool SetMouse(const MouseAcceleration& values, std::uint32_t updateFlags) override;
    // False for a speed outside 1 to 20, which Windows refuses too.
    bool SetMouseSpeed(std::uint32_t speed, std::uint32_t updateFlags) override;
    // 0xFFFFFFFF (a page) is kept as -1, as Windows keeps it.
    bool SetWheelScrollLines(std::uint32_t lines, std::uint32_t updateFlags) override;

  private:
    bool Keep(std::u16string_view name, std::int64_t value);
    template <typename Change>
    void Carry(Change change);
    void WriteDesktop();

    ProfileFiles& files;
    DebugOutput& debug;
    const std::u16string filePath;
    DesktopPointerWriter* const desktop;
    bool nowhereSaid = false;

    std::mutex mutex;
    std::condition_variable changed;
    PointerValues wanted;  // everything set so far
    bool pending = false;  // wanted is not yet handed to the desktop
    bool stopping = false;
    std::thread writer;  // last: it starts once the rest is ready
};

}  // namespace t47
