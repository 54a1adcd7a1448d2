// The agent's start-up and shut-down over the in-memory platform with the simulated mouse.

#include <gtest/gtest.h>

#include "app/agent_scenario.h"
#include "protocol/button_macro_report.h"
#include "protocol/settings_report.h"
#include "support/sample_macros.h"

namespace t47::test {
namespace {

struct StartUpCase {
    const char* name;
    bool mousePresent;
    bool companionRunning;
    int showTrayIcon;
    // What start-up did.
    int deviceFlag;
    bool companionStarted;
    bool trayIconAdded;
    std::vector<PostedMessage> companionReceived;
};

void PrintTo(const StartUpCase& c, std::ostream* out) {
    *out << c.name;
}

class AgentStartUp : public testing::TestWithParam<StartUpCase> {};

TEST_P(AgentStartUp, RunsItsStepsWhetherOrNotTheMouseAnswers) {
    const StartUpCase& c = GetParam();
    AgentScenario s;
    if (c.mousePresent) {
        s.AttachMouse();
    }
    if (c.companionRunning) {
        s.OpenCompanion();
    }
    s.WriteSetting(kSettingSection, u"Show_TrayIcon", c.showTrayIcon);
    CMyWnd* window = s.Start();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(s.started, 1);

    EXPECT_EQ(s.platform.windows.TitleOf(s.AgentWindowHandle()), kAgentWindowTitle);
    EXPECT_TRUE(s.platform.windows.IsToolWindow(s.AgentWindowHandle()));
    EXPECT_TRUE(s.platform.windows.HasSessionNotices(s.AgentWindowHandle()));
    EXPECT_EQ(s.platform.windows.AcceptedFromLowerPrivilege(s.AgentWindowHandle()),
              (std::vector<MessageId>{MSG_RELOAD_APPLY, MSG_DEVICE_COMMAND}));
    EXPECT_EQ(s.platform.process.OpenHandles(kSingleInstanceMutexName), 1);
    EXPECT_TRUE(window->DeviceLink().IsListening());
    EXPECT_EQ(window->SettingsPath(), s.SettingsPath());

    EXPECT_EQ(s.SettingInt(kSettingSection, kDeviceKey), c.deviceFlag);
    EXPECT_EQ(s.platform.shell.OpenedPrograms(),
              c.companionStarted
                  ? std::vector<std::u16string>{s.folder.File(u"Agent") + u"\\Gaming.exe"}
                  : std::vector<std::u16string>{});
    EXPECT_EQ(s.platform.shell.TrayRequests().size(), c.trayIconAdded ? 1u : 0u);
    EXPECT_EQ(window->TrayIconShown(), c.trayIconAdded);
    if (c.companionRunning) {
        EXPECT_EQ(s.CompanionReceived(), c.companionReceived);
    }
    // The pointer settings are applied either way, and their lines come before the last one.
    EXPECT_EQ(s.platform.parameters.DoubleClickTime(), 680u);
    EXPECT_EQ(s.platform.debug.Lines(),
              (std::vector<std::u16string>{u"RefreshDoubleClickSpeed\n", u"RefreshMouseMoveSpeed\n",
                                           u"RefreshScrollLine\n", u"OnCreate over"}));
}

const PostedMessage kSettingsRead{MSG_UI_SETTINGS_READ, 0, 0};

INSTANTIATE_TEST_SUITE_P(
    Cases, AgentStartUp,
    testing::Values(
        StartUpCase{"MousePresent", true, false, 1, 1, true, true, {}},
        StartUpCase{"MousePresentCompanionRunning", true, true, 1, 1, false, true, {kSettingsRead}},
        StartUpCase{"MousePresentTrayIconOff", true, false, 0, 1, true, false, {}},
        StartUpCase{"MouseAbsent", false, false, 1, 0, false, false, {}},
        StartUpCase{"MouseAbsentCompanionRunning", false, true, 1, 0, false, false, {}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(AgentStartUp, ReadsTheMouseIntoTheSettingsFileAndLibraryItCreates) {
    AgentScenario s;
    SimulatedMouse& mouse = s.AttachMouse();
    std::vector<std::uint8_t> report = mouse.StoredReport(3);
    report[1] = 6;  // the stage chosen on the mouse
    mouse.StoreReport(report);
    // A bullet macro on the second button, whose first key (5) numbers its library entry (3).
    ProfileData held = DefaultProfile();
    GiveBulletMacro(held.ButtonAssigned[1]);
    mouse.StoreReport(BuildButtonMacroReport(held.ButtonAssigned));
    s.Start();
    EXPECT_EQ(s.MouseReads(), 2u);
    EXPECT_EQ(s.ProfileInt(0, u"DPI_Cur"), 6);
    EXPECT_EQ(s.ProfileInt(0, u"DPI_Value0"), DefaultProfile().DPI_Value[0]);
    EXPECT_EQ(s.platform.files.GetProfileInt(u"BulletProfile3", u"BulletNum", -1, s.LibraryPath()),
              1)
        << "the changed bullet macro joins the library beside the settings file";
}

TEST(AgentStartUp, RunsOnWhenDeviceNoticesAreRefused) {
    AgentScenario s;
    SimulatedMouse& mouse = s.AttachMouse();
    s.platform.hid.RefuseNoticeRegistrations();
    s.OpenCompanion();
    ASSERT_NE(s.Start(), nullptr);
    EXPECT_EQ(s.started, 1);
    EXPECT_EQ(s.SettingInt(kSettingSection, kDeviceKey), 1) << "the mouse is read all the same";
    EXPECT_EQ(s.platform.debug.Lines().back(), u"OnCreate over");

    mouse.PressDpiButton();  // the listener hears the mouse without notices
    EXPECT_TRUE(s.PumpUntilDpiNotices(1));
    const std::size_t companionBefore = s.CompanionReceived().size();
    mouse.Unplug();
    s.Pump();
    EXPECT_EQ(s.CompanionReceived().size(), companionBefore) << "no notice, no download";
}

TEST(AgentStartUp, WithoutAnApplicationDataFolderRunsOnDefaultsAndWritesNothing) {
    AgentScenario s;
    s.platform.shell.SetApplicationDataFolder(std::nullopt);
    s.AttachMouse();
    CMyWnd* window = s.Start();
    EXPECT_TRUE(window->SettingsPath().empty());
    EXPECT_EQ(window->WorkingSettings(), DefaultSettings()) << "validated defaults";
    EXPECT_TRUE(s.platform.shell.CreatedFolders().empty());
    EXPECT_EQ(s.platform.debug.Lines().back(), u"OnCreate over");
}

TEST(AgentLifecycle, ASecondInstanceEndsAtOnceAndDisturbsNothing) {
    AgentScenario s;
    s.AttachMouse();
    s.Start();
    const std::string settingsBefore = s.SettingsFileBytes();
    ASSERT_FALSE(settingsBefore.empty());
    const std::size_t readsBefore = s.MouseReads();

    CHidApp second(s.platform.Services());
    EXPECT_EQ(second.Run(), 0);
    EXPECT_EQ(second.AgentWindow(), nullptr);
    EXPECT_EQ(s.platform.process.OpenHandles(kSingleInstanceMutexName), 1);
    EXPECT_EQ(s.SettingsFileBytes(), settingsBefore);
    EXPECT_EQ(s.MouseReads(), readsBefore);
    EXPECT_EQ(s.platform.shell.TrayRequests().size(), 1u);
}

TEST(AgentLifecycle, ClosingTheWindowTellsTheCompanionAndTheDisplayAndEndsWithZero) {
    AgentScenario s;
    s.AttachMouse();
    s.OpenCompanion();
    const WindowHandle osd = s.platform.windows.OpenWindow(kOsdWindowTitle);
    s.Start();
    ASSERT_TRUE(s.platform.shell.TrayIconShown());

    s.platform.windows.Post(s.AgentWindowHandle(), kWmClose, 0, 0);
    const WindowHandle agentWindow = s.AgentWindowHandle();
    EXPECT_EQ(s.agent->ExitInstance(s.platform.windows.RunMessageLoop(agentWindow)), 0);

    EXPECT_FALSE(s.platform.windows.Exists(agentWindow));
    EXPECT_EQ(s.CompanionReceived().back(), (PostedMessage{kWmCommand, 0xFFFFFFFF, 0}));
    EXPECT_EQ(s.platform.windows.Received(osd),
              (std::vector<PostedMessage>{{kWmDestroy, 0, 0}, {kWmClose, 0, 0}}));
    EXPECT_FALSE(s.platform.windows.HasSessionNotices(agentWindow));
    EXPECT_EQ(s.platform.process.OpenHandles(kSingleInstanceMutexName), 0);
    EXPECT_EQ(s.platform.hid.OpenHandleCount(), 0u) << "the link and its listener are gone";
    EXPECT_EQ(s.platform.registry.OpenKeyCount(), 0) << "the mouse key is closed";
    EXPECT_TRUE(s.platform.hid.Misuses().empty());
    EXPECT_TRUE(s.platform.shell.TrayIconShown()) << "the icon is left as it is";
}

TEST(AgentLifecycle, RunsFromStartToEndThroughItsLoop) {
    AgentScenario s;
    s.AttachMouse();
    // The companion UI will close the agent once it runs.
    std::thread closer([&] {
        const auto end = std::chrono::steady_clock::now() + AgentScenario::kPatience;
        WindowHandle agentWindow = kNoWindow;
        while ((agentWindow = s.platform.windows.FindTopLevelWindow(kAgentWindowTitle)) ==
                   kNoWindow &&
               std::chrono::steady_clock::now() < end) {
            std::this_thread::yield();
        }
        // Without the window, the loop below ends at once for want of a main window.
        s.platform.windows.Post(agentWindow, kWmClose, 0, 0);
    });
    CHidApp agent(s.platform.Services());
    EXPECT_EQ(agent.Run(), 0);
    closer.join();
    EXPECT_EQ(s.platform.process.OpenHandles(kSingleInstanceMutexName), 0);
}

}  // namespace
}  // namespace t47::test
