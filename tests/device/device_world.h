#pragma once

// A small world for device tests: the in-memory platform's clock, debugger, windows and HID
// bus, a device link over them, and the settings files in a temporary folder. Members are
// destroyed in reverse order, so the link (and its listener) goes before the bus.

#include <chrono>
#include <optional>
#include <string>

#include "device/hid_device_link.h"
#include "platform/memory/memory_clock.h"
#include "platform/memory/memory_hid_bus.h"
#include "platform/memory/memory_windows.h"
#include "platform/memory/recorded_debug_output.h"
#include "platform/profile/profile_engine.h"
#include "support/memory_printers.h"
#include "support/temp_folder.h"

namespace t47::test {

// Long enough never to be reached unless something hangs.
inline constexpr std::chrono::milliseconds kPatience{10000};

// A start well past zero, so a first download is never inside the quiet time.
inline constexpr std::uint32_t kStartTick = 100000;

struct DeviceWorld {
    MemoryClock clock{kStartTick};
    RecordedDebugOutput debug;
    MemoryWindows windows;
    MemoryHidBus bus{clock, windows};
    TempFolder folder;
    ProfileEngine files;
    const std::u16string settingsPath = folder.File(u"GamingMouse");
    const std::u16string bulletSettingPath = folder.File(u"BulletSetting");
    // Destroyed by `link.reset()` where a test looks at what it leaves behind.
    std::optional<HidDeviceLink> link{std::in_place, bus, clock, debug, windows};

    // The link as the running agent sets it up: its alternate ids are the mouse's.
    DeviceWorld() { link->SetAlternateIds(0x1B80, 0xB412); }
};

}  // namespace t47::test
