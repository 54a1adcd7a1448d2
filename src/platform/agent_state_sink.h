#pragma once

// What the agent tells the desktop about itself, beyond the tray icon: the mouse's state as
// the agent last knew it, and a DPI stage chosen on the mouse to show on screen. Windows has
// nothing to tell (the companion UI and its on-screen display hear the posted messages); on
// Linux the agent's bus interface publishes the state and a notification shows the stage.

#include <cstdint>

namespace t47 {

struct AgentState {
    bool connected = false;          // the mouse answered the latest read
    std::int32_t activeProfile = 0;  // Active of the applied settings
    std::int32_t dpiStage = 0;       // DPI_Cur of the current profile, 1..7

    friend bool operator==(const AgentState&, const AgentState&) = default;
};

class AgentStateSink {
  public:
    virtual ~AgentStateSink() = default;

    // After every message the agent handled; the sink tells what changed.
    virtual void StateChanged(const AgentState& state) = 0;

    // A DPI stage (1..7) chosen on the mouse while the settings ask for the on-screen display.
    virtual void ShowDpiStage(std::int32_t stage) = 0;
};

// For the platforms that have nothing to tell.
class NoAgentStateSink final : public AgentStateSink {
  public:
    void StateChanged(const AgentState&) override {}
    void ShowDpiStage(std::int32_t) override {}
};

}  // namespace t47
