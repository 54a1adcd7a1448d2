// The agent's answers to the companion UI, the listener and the system, scenario by scenario.

#include <gtest/gtest.h>

#include "app/agent_scenario.h"
#include "protocol/button_macro_report.h"
#include "protocol/settings_report.h"

namespace t47::test {
namespace {

const PostedMessage kDeviceAbsent{MSG_UI_DEVICE_STATE, DEVICE_STATE_ABSENT, 0};

struct ReloadCase {
    const char* name;
    int showTrayIcon;
    bool uploadSucceeds;
    bool iconBefore;
    bool iconAfter;
};

TEST(AgentReloadApply, UploadsTheFilesProfileAndShowsOrHidesTheIcon) {
    const ReloadCase cases[] = {
        {"shown, uploaded", 1, true, false, true},
        {"shown, upload failed, hidden stays hidden", 1, false, false, false},
        {"shown, upload failed, shown stays shown", 1, false, true, true},
        {"hidden, uploaded", 0, true, true, false},
        {"hidden, upload failed", 0, false, true, false},
    };
    for (const ReloadCase& c : cases) {
        SCOPED_TRACE(c.name);
        AgentScenario s;
        SimulatedMouse& mouse = s.AttachMouse();
        s.Start();
        if (!c.iconBefore) {
            s.PostToAgent(kWmCommand, ID_TRAY_HIDE);
        }
        ASSERT_EQ(s.platform.shell.TrayIconShown(), c.iconBefore);

        // The companion UI edits the file, then asks.
        s.WriteSetting(kSettingSection, u"Show_TrayIcon", c.showTrayIcon);
        s.WriteSetting(ProfileSectionName(0), u"DPI_Cur", 2);
        s.WriteSetting(ProfileSectionName(0), u"Mouse_Speed", 7);
        if (!c.uploadSucceeds) {
            mouse.RefuseNextTransfers(5);
        }
        mouse.ClearTransfers();
        s.PostToAgent(MSG_RELOAD_APPLY);

        EXPECT_EQ(s.Window().CurrentProfile().DPI_Cur, 2);
        EXPECT_EQ(s.platform.parameters.MouseSpeed(), 14u) << "applied whatever the upload";
        ASSERT_FALSE(mouse.Transfers().empty());
        EXPECT_LE(s.platform.parameters.CallTicks().back(), mouse.Transfers().front().tick)
            << "the pointer settings come before the upload and its pauses";
        EXPECT_EQ(s.platform.shell.TrayIconShown(), c.iconAfter);
        if (c.uploadSucceeds) {
            const SettingsReport expected = BuildSettingsReport(s.Window().CurrentProfile());
            EXPECT_EQ(mouse.StoredReport(3),
                      std::vector<std::uint8_t>(expected.begin(), expected.end()));
            EXPECT_EQ(mouse.Transfers().size(), 2u);
        } else {
            EXPECT_EQ(mouse.Transfers().size(), 5u);
        }
    }
}

TEST(AgentDpiNotices, APressOnTheMouseReachesTheFileAndTheCompanion) {
    AgentScenario s;
    SimulatedMouse& mouse = s.AttachMouse();
    s.OpenCompanion();
    s.WriteSetting(kSettingSection, u"Active", 1);
    s.Start();
    const std::string before = s.SettingsFileBytes();

    mouse.PressDpiButton();  // the default stage 3 becomes 4
    ASSERT_TRUE(s.PumpUntilDpiNotices(1));

    EXPECT_EQ(s.Window().CurrentProfile().DPI_Cur, 4);
    EXPECT_EQ(s.ProfileInt(1, u"DPI_Cur"), 4);
    EXPECT_EQ(s.CompanionReceived().back(), (PostedMessage{MSG_UI_DPI_CHANGED, 1, 3}));
    EXPECT_EQ(s.Window().WorkingSettings().Profiles[1].DPI_Cur, 3) << "only the current copy";
    EXPECT_EQ(mouse.Transfers().size(), 2u) << "nothing is uploaded: the mouse has the stage";
    EXPECT_EQ(s.platform.debug.Lines().back(), u"4: 02 00 04 00 00 00 00 00\n");
    EXPECT_NE(s.SettingsFileBytes(), before);
}

TEST(AgentDeviceChanges, UnplugAndReplugTellTheCompanionAndMoveTheIcon) {
    AgentScenario s;
    SimulatedMouse& mouse = s.AttachMouse();
    s.OpenCompanion();
    s.Start();
    ASSERT_TRUE(s.platform.shell.TrayIconShown());
    const std::size_t companionBefore = s.CompanionReceived().size();

    s.platform.clock.Advance(5000);  // well past the start-up download's quiet time
    mouse.Unplug();                  // four removal notices, one per interface
    s.Pump();
    EXPECT_FALSE(s.platform.shell.TrayIconShown());
    const std::vector<PostedMessage> received = s.CompanionReceived();
    EXPECT_EQ(std::vector<PostedMessage>(received.begin() + companionBefore, received.end()),
              std::vector<PostedMessage>(4, kDeviceAbsent))
        << "a failed download is never held back by the quiet time";
    EXPECT_EQ(s.SettingInt(kSettingSection, kDeviceKey), 1) << "not written on this path";

    const std::size_t readsBefore = s.MouseReads();
    mouse.PlugIn();  // four arrival notices: one read, the rest inside the quiet time
    s.Pump();
    EXPECT_EQ(s.MouseReads(), readsBefore + 2);
    EXPECT_TRUE(s.platform.shell.TrayIconShown());
    EXPECT_EQ(s.SettingInt(kSettingSection, kDeviceKey), 1);
    EXPECT_EQ(s.CompanionReceived().back(), (PostedMessage{MSG_UI_SETTINGS_READ, 0, 0}));

    // The listener hears the mouse again without having been restarted.
    mouse.PressDpiButton();
    EXPECT_TRUE(s.PumpUntilDpiNotices(1));
}

TEST(AgentDeviceChanges, AQuickReplugInsideTheQuietTimeIsHeard) {
    AgentScenario s;
    SimulatedMouse& mouse = s.AttachMouse();
    s.OpenCompanion();
    s.Start();  // the start-up download: the next second is its quiet time
    const std::size_t readsAfterStart = s.MouseReads();
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        mouse.Unplug();
        s.Pump();
        EXPECT_FALSE(s.platform.shell.TrayIconShown())
            << "the mouse that went is not taken for there";
        EXPECT_EQ(s.CompanionReceived().back(), kDeviceAbsent);
        mouse.PlugIn();
        s.Pump();
        EXPECT_TRUE(s.platform.shell.TrayIconShown());
    }
    EXPECT_EQ(s.MouseReads(), readsAfterStart) << "looked for, not read, inside the quiet time";
    for (int press = 0; press < 3; ++press) {
        mouse.PressDpiButton();
    }
    EXPECT_TRUE(s.PumpUntilDpiNotices(3)) << "the listener hears the mouse plugged in again";
    EXPECT_EQ(s.ProfileInt(0, u"DPI_Cur"), 6);
}

TEST(AgentDeviceChanges, AnInputInterfaceArrivingAfterTheReadIsOpenedInsideTheQuietTime) {
    // A mouse's interfaces arrive a notice at a time: here the read happens before its input
    // interface is there, and the notice of that interface comes inside the quiet time.
    AgentScenario s;
    s.AttachMouse(SimulatedMouse::Setup{
        .interfaces = {FeatureInterface(40), FeatureInterface(2049), FeatureInterface(8)}});
    s.Start();
    ASSERT_EQ(s.Window().DeviceLink().InputHandle(), kInvalidHidHandle);
    const std::size_t readsAfterStart = s.MouseReads();
    SimulatedMouse& input = s.platform.hid.AttachMouse(
        SimulatedMouse::Setup{.interfaces = {InputInterface(4)}, .pluggedIn = false});
    input.PlugIn();
    s.Pump();
    EXPECT_NE(s.Window().DeviceLink().InputHandle(), kInvalidHidHandle);
    EXPECT_EQ(s.MouseReads(), readsAfterStart) << "looked for, not read, inside the quiet time";
    input.PressDpiButton();
    EXPECT_TRUE(s.PumpUntilDpiNotices(1));
}

TEST(AgentDpiNotices, AStageTheMouseDoesNotHaveIsIgnored) {
    AgentScenario s;
    s.AttachMouse();
    s.OpenCompanion();
    s.Start();
    const std::string before = s.SettingsFileBytes();
    const std::size_t companionBefore = s.CompanionReceived().size();
    for (const WParam stage :
         {WParam{0}, WParam{8}, WParam{0x80000000}, WParam{0xFFFFFFFF}, ~WParam{0}}) {
        SCOPED_TRACE(stage);
        s.PostToAgent(MSG_DEVICE_DPI, stage);
        EXPECT_EQ(s.Window().CurrentProfile().DPI_Cur, 3);
    }
    EXPECT_EQ(s.SettingsFileBytes(), before);
    EXPECT_EQ(s.CompanionReceived().size(), companionBefore);
    for (const WParam stage : {WParam{1}, WParam{7}}) {
        s.PostToAgent(MSG_DEVICE_DPI, stage);
        EXPECT_EQ(s.ProfileInt(0, u"DPI_Cur"), static_cast<std::int32_t>(stage));
        EXPECT_EQ(s.CompanionReceived().back(),
                  (PostedMessage{MSG_UI_DPI_CHANGED, 0, static_cast<LParam>(stage) - 1}));
    }
}

struct SessionCase {
    std::uint32_t osMajorVersion;
    WParam lockEvent;
    WParam unlockEvent;
    bool lockCounts;
};

TEST(AgentSessionChanges, LockSuspendsAndUnlockReadsTheMouseAgainFromVersion6) {
    const SessionCase cases[] = {
        {10, 7, 8, true},                    // lock, unlock
        {6, 7, 8, true},  {5, 7, 8, false},  // before version 6 only the console events count
        {5, 2, 1, true},                     // console disconnect, connect
        {6, 2, 1, true},
    };
    for (const SessionCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "version " << c.osMajorVersion << " events "
                                        << c.lockEvent << "/" << c.unlockEvent);
        AgentScenario s;
        SimulatedMouse& mouse = s.AttachMouse();
        s.platform.windows.SetOsMajorVersion(c.osMajorVersion);
        s.Start();

        s.platform.windows.ChangeSession(c.lockEvent);
        s.Pump();
        EXPECT_EQ(s.Window().SessionSuspended(), c.lockCounts);
        EXPECT_EQ(s.platform.shell.TrayIconShown(), !c.lockCounts);
        EXPECT_EQ(s.SettingInt(kSettingSection, kDeviceKey), c.lockCounts ? 0 : 1);

        s.platform.clock.Advance(5000);
        const std::size_t readsBefore = s.MouseReads();
        mouse.Unplug();
        mouse.PlugIn();
        s.Pump();
        EXPECT_EQ(s.MouseReads(), readsBefore + (c.lockCounts ? 0 : 2))
            << "device notices are ignored while suspended";

        s.platform.clock.Advance(5000);
        s.platform.windows.ChangeSession(c.unlockEvent);
        s.Pump();
        EXPECT_FALSE(s.Window().SessionSuspended());
        EXPECT_TRUE(s.platform.shell.TrayIconShown());
        EXPECT_EQ(s.SettingInt(kSettingSection, kDeviceKey), 1);
        EXPECT_EQ(s.MouseReads(), readsBefore + 2);
    }
}

TEST(AgentSessionChanges, ConnectWithoutTheMouseOnlyTellsTheCompanion) {
    // After a lock the icon is hidden and Device is 0; after a plain console connect both are
    // as the start-up left them. Either way the connect leaves them alone.
    for (const bool lockedBefore : {true, false}) {
        SCOPED_TRACE(lockedBefore ? "locked, then unlocked" : "console connect");
        AgentScenario s;
        SimulatedMouse& mouse = s.AttachMouse();
        s.OpenCompanion();
        s.Start();
        if (lockedBefore) {
            s.platform.windows.ChangeSession(7);
            s.Pump();
        }
        const bool iconBefore = s.platform.shell.TrayIconShown();
        const std::int32_t deviceBefore = s.SettingInt(kSettingSection, kDeviceKey);
        const std::size_t companionBefore = s.CompanionReceived().size();
        mouse.RefuseNextTransfers(100);  // the mouse stops answering, without a device notice
        s.platform.clock.Advance(5000);
        s.platform.windows.ChangeSession(lockedBefore ? 8 : 1);
        s.Pump();
        const std::vector<PostedMessage> received = s.CompanionReceived();
        EXPECT_EQ(std::vector<PostedMessage>(received.begin() + companionBefore, received.end()),
                  std::vector<PostedMessage>{kDeviceAbsent});
        EXPECT_EQ(s.platform.shell.TrayIconShown(), iconBefore);
        EXPECT_EQ(s.SettingInt(kSettingSection, kDeviceKey), deviceBefore);
    }
}

TEST(AgentMessageTable, AnswersEachMessageWithItsResult) {
    AgentScenario s;
    SimulatedMouse& mouse = s.AttachMouse();
    s.Start();
    MemoryWindows& windows = s.platform.windows;
    const WindowHandle agent = s.AgentWindowHandle();
    mouse.ClearTransfers();

    EXPECT_EQ(windows.Send(agent, kWmDeviceChange, 0x8000, 0), 1);
    EXPECT_EQ(windows.Send(agent, kWmWtsSessionChange, 3, 0), 0);
    EXPECT_EQ(windows.Send(agent, MSG_DEVICE_DPI, 5, 0), 1);
    EXPECT_EQ(windows.Send(agent, MSG_TRAY_CALLBACK, 128, 0x201), 0);
    EXPECT_EQ(windows.Send(agent, MSG_DEVICE_COMMAND, 123, 456), 0);
    EXPECT_EQ(windows.Send(agent, MSG_DEVICE_COMMAND, 0, 0), 0);
    EXPECT_EQ(windows.Send(agent, MSG_RELOAD_APPLY, 7, 7), 0);
    EXPECT_EQ(windows.Send(agent, kWmCommand, ID_TRAY_HIDE, 0), 0);
    EXPECT_EQ(windows.Send(agent, kWmCommand, 6003, 0), std::nullopt);
    EXPECT_EQ(windows.Send(agent, 0x0401, 0, 0), std::nullopt);

    // The two command requests sent the same report whatever their parameters.
    std::vector<std::vector<std::uint8_t>> commands;
    for (const Transfer& transfer : mouse.Transfers()) {
        if (transfer.reportId == 6) {
            commands.push_back(transfer.bytes);
        }
    }
    EXPECT_EQ(commands, std::vector<std::vector<std::uint8_t>>(
                            2, {0x06, 0x5A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
}

}  // namespace
}  // namespace t47::test
