#pragma once

// The agent's state and DPI displays as the in-memory platform records them, for tests.

#include <cstdint>
#include <vector>

#include "platform/agent_state_sink.h"

namespace t47 {

class RecordedAgentState final : public AgentStateSink {
  public:
    void StateChanged(const AgentState& state) override { latest = state; }
    void ShowDpiStage(std::int32_t stage) override { dpiDisplays.push_back(stage); }

    AgentState latest;
    std::vector<std::int32_t> dpiDisplays;  // the stages shown, in order
};

}  // namespace t47
