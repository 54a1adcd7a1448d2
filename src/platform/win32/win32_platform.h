#pragma once

// Every operating-system service of the agent on Windows, built together, as the agent program
// hands them to the agent: the Windows functions themselves, the profile functions included.

#include "platform/platform_services.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_debug_output.h"
#include "platform/win32/win32_hid_bus.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_profile_files.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_system_parameters.h"
#include "platform/win32/win32_windows.h"

namespace t47 {

class Win32Platform {
  public:
    PlatformServices Services();

  private:
    Win32ProfileFiles files;
    Win32HidBus hid;
    Win32Clock clock;
    Win32DebugOutput debug;
    Win32Windows windows;
    Win32Shell shell;
    Win32Process process;
    Win32Registry registry;
    Win32SystemParameters parameters;
    NoAgentStateSink state;
};

}  // namespace t47
