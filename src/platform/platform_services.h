#pragma once

// Everything the agent needs of the operating system, handed to it by reference when it is
// built: a program passes the system's own implementations, a test the in-memory platform.

#include "platform/agent_state_sink.h"
#include "platform/clock.h"
#include "platform/debug_output.h"
#include "platform/hid_bus.h"
#include "platform/process.h"
#include "platform/profile_files.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/system_parameters.h"
#include "platform/window_host.h"
#include "platform/window_messages.h"

namespace t47 {

struct PlatformServices {
    ProfileFiles& files;
    HidBus& hid;
    Clock& clock;
    DebugOutput& debug;
    WindowMessages& messages;
    WindowHost& windows;
    Shell& shell;
    Process& process;
    Registry& registry;
    SystemParameters& parameters;
    AgentStateSink& state;
};

}  // namespace t47
