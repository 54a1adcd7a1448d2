#pragma once

// Every operating-system service of the agent on Linux, built together over the user's
// folders, as a program hands them to the agent.

#include <filesystem>
#include <memory>
#include <string>

#include "platform/linux/hidraw_node_io.h"
#include "platform/linux/linux_clock.h"
#include "platform/linux/linux_debug_output.h"
#include "platform/linux/linux_hid_bus.h"
#include "platform/linux/linux_process.h"
#include "platform/linux/linux_registry.h"
#include "platform/linux/linux_shell.h"
#include "platform/linux/linux_system_parameters.h"
#include "platform/linux/linux_windows.h"
#include "platform/linux/user_folders.h"
#include "platform/platform_services.h"

namespace t47 {

// The agent's folder in the application-data folder, as the agent names it on Windows.
inline constexpr std::string_view kProductFolder = "Norvane/T47";

// The registry's values and the pointer settings, in the product folder.
inline constexpr std::string_view kSystemSettingsFile = "SystemSettings.ini";

class LinuxPlatform {
  public:
    // Creates the product folder in the application-data folder, which on Windows the
    // installer leaves behind, so that the agent's settings can be written from the start.
    explicit LinuxPlatform(UserFolders folders = UserFoldersFromEnvironment());

    PlatformServices Services();
    // The windows, for what only Linux offers: a close ahead of the queue, the folder's loss.
    LinuxWindows& Windows() { return windows; }

  private:
    static std::u16string SystemSettingsPath(const UserFolders& folders);

    const std::u16string systemSettings;
    std::unique_ptr<ProfileFiles> files;
    LinuxDebugOutput debug;
    LinuxClock clock;
    LinuxWindows windows;
    SystemHidrawNodeIo nodeIo;
    LinuxHidBus hid;
    LinuxShell shell;
    LinuxProcess process;
    LinuxRegistry registry;
    LinuxSystemParameters parameters;
};

}  // namespace t47
