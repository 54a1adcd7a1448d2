// What the agent tells the desktop beyond the tray: its state after every message, and the DPI
// stage to show when the settings ask for the on-screen display.

#include <gtest/gtest.h>

#include "app/agent_scenario.h"

namespace t47::test {
namespace {

TEST(AgentState, FollowsTheMouseTheSessionAndTheSettings) {
    AgentScenario s;
    SimulatedMouse& mouse = s.AttachMouse();
    s.WriteSetting(kSettingSection, u"Active", 1);
    s.Start();
    const AgentState& state = s.platform.state.latest;
    EXPECT_EQ(state, (AgentState{true, 1, 3}));

    struct Step {
        const char* name;
        MessageId id;
        WParam wParam;
        AgentState expected;
    };
    const Step steps[] = {
        {"locked", kWmWtsSessionChange, 7, {false, 1, 3}},
        {"unlocked", kWmWtsSessionChange, 8, {true, 1, 3}},
        {"a stage from the mouse", MSG_DEVICE_DPI, 5, {true, 1, 5}},
    };
    for (const Step& step : steps) {
        s.PostToAgent(step.id, step.wParam);
        EXPECT_EQ(state, step.expected) << step.name;
    }
    mouse.Unplug();
    s.platform.clock.Advance(1000);  // past the quiet time after the unlock's read
    s.PostToAgent(kWmDeviceChange);
    EXPECT_FALSE(state.connected);
    s.WriteSetting(kSettingSection, u"Active", 0);
    s.PostToAgent(MSG_RELOAD_APPLY);
    EXPECT_EQ(state.activeProfile, 0);
}

TEST(AgentState, DpiStagesAreShownOnlyWhenTheSettingsAskForIt) {
    for (const int showOsd : {1, 0}) {
        AgentScenario s;
        s.AttachMouse();
        s.WriteSetting(kSettingSection, u"Show_OSD", showOsd);
        s.Start();
        s.PostToAgent(MSG_DEVICE_DPI, 6);
        s.PostToAgent(MSG_DEVICE_DPI, 2);
        const std::vector<std::int32_t> shown =
            showOsd == 1 ? std::vector<std::int32_t>{6, 2} : std::vector<std::int32_t>{};
        EXPECT_EQ(s.platform.state.dpiDisplays, shown) << "Show_OSD " << showOsd;
    }
}

}  // namespace
}  // namespace t47::test
