#pragma once

// The agent's own interface on the session bus, for scripts and desktop tools that do without
// the companion's window: the name com.norvane.T47, object /com/norvane/T47, interface
// com.norvane.T47 with the properties Connected (b), ActiveProfile (i) and DpiStage (i), which
// signal their changes (PropertiesChanged), and the methods Apply and Command, which the
// agent window takes as the companion UI's MSG_RELOAD_APPLY and MSG_DEVICE_COMMAND. The
// session bus is the user's own: other users cannot reach it.

#include <string>

#include "platform/agent_state_sink.h"
#include "platform/debug_output.h"
#include "platform/linux/status_notifier_item.h"

namespace t47 {

inline constexpr char kAgentBusName[] = "com.norvane.T47";
inline constexpr char kAgentBusPath[] = "/com/norvane/T47";
inline constexpr char kAgentBusInterface[] = "com.norvane.T47";

class AgentBusInterface {
  public:
    AgentBusInterface(sd_bus* bus, DeliverMessage deliver, DebugOutput& debug);
    ~AgentBusInterface();
    AgentBusInterface(const AgentBusInterface&) = delete;
    AgentBusInterface& operator=(const AgentBusInterface&) = delete;

    // The window that the methods reach.
    void SetAgentWindow(WindowHandle window) { agentWindow = window; }
    void StateChanged(const AgentState& state);

    struct Access;

  private:
    friend struct Access;
    sd_bus* bus;
    DeliverMessage deliver;
    DebugOutput& debug;
    WindowHandle agentWindow = kNoWindow;
    AgentState state;
    sd_bus_slot* slot = nullptr;
};

}  // namespace t47
