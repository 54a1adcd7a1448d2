#pragma once

// The whole in-memory platform in one object: every service the agent needs, with its files
// through the real profile-file engine. A test builds one, sets up its folders, mice and
// windows, and hands Services() to the agent.
//
//   MemoryPlatform platform;
//   platform.shell.SetApplicationDataFolder(folder);
//   SimulatedMouse& mouse = platform.hid.AttachMouse();
//   CHidApp agent(platform.Services());

#include <cstdint>

#include "platform/memory/memory_clock.h"
#include "platform/memory/memory_hid_bus.h"
#include "platform/memory/memory_process.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_shell.h"
#include "platform/memory/memory_system_parameters.h"
#include "platform/memory/memory_windows.h"
#include "platform/memory/recorded_debug_output.h"
#include "platform/platform_services.h"
#include "platform/profile/profile_engine.h"

namespace t47 {

class MemoryPlatform {
  public:
    // A tick count well past zero: a system that has run for a while.
    static constexpr std::uint32_t kDefaultStartTick = 100000;

    explicit MemoryPlatform(std::uint32_t startTick = kDefaultStartTick);

    PlatformServices Services();

    MemoryClock clock;
    RecordedDebugOutput debug;
    MemoryWindows windows;
    MemoryHidBus hid{clock, windows};
    MemoryShell shell{windows};
    MemoryProcess process;
    MemoryRegistry registry;
    MemorySystemParameters parameters{clock};
    ProfileEngine files;
};

}  // namespace t47
