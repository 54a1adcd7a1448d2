// The download against the simulated mouse: the quiet time, what a failure at each step leaves
// behind, and where a successful read-back goes.

#include "exchange/device_state_download.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "contract/companion_contract.h"
#include "device/device_world.h"
#include "protocol/button_macro_report.h"
#include "protocol/settings_report.h"
#include "settings/settings_defaults.h"
#include "settings/settings_file.h"
#include "support/sample_macros.h"

namespace t47::test {
namespace {

struct DownloadWorld : DeviceWorld {
    SettingData working;
    SettingData applied;
    ProfileData current;
    std::uint32_t lastDownloadTick = 0;
    WindowHandle companion = windows.OpenWindow(kCompanionWindowTitle);

    DownloadWorld() { LoadSettings(files, settingsPath, working, applied, current); }

    std::int32_t Download() {
        return DownloadDeviceState({*link, clock, files, windows, working, current, settingsPath,
                                    bulletSettingPath, lastDownloadTick});
    }
    std::string SettingsFileBytes() const { return ReadFileBytes(settingsPath); }
    bool LibraryExists() const { return std::filesystem::exists(bulletSettingPath); }
};

// What the mouse holds in the tests: a profile unlike the settings' in its stage and in one
// bullet macro, whose first event's code (5) numbers its library entry (3).
ProfileData MouseProfile() {
    ProfileData profile = DefaultProfile();
    profile.DPI_Cur = 6;
    GiveBulletMacro(profile.ButtonAssigned[1]);
    return profile;
}

SimulatedMouse& AttachMouseHolding(MemoryHidBus& bus, const ProfileData& profile) {
    SimulatedMouse& mouse = bus.AttachMouse();
    mouse.StoreReport(BuildSettingsReport(profile));
    mouse.StoreReport(BuildButtonMacroReport(profile.ButtonAssigned));
    return mouse;
}

TEST(DeviceStateDownload, WritesWhatTheMouseHoldsAndTellsTheCompanion) {
    DownloadWorld world;
    world.working.Current = 2;  // the section written; the slot compared against is Active, 0
    const ProfileData held = world.current;
    SimulatedMouse& mouse = AttachMouseHolding(world.bus, MouseProfile());

    EXPECT_EQ(world.Download(), 1);

    const auto transfers = mouse.Transfers();
    ASSERT_EQ(transfers.size(), 2u);
    EXPECT_EQ(Describe(transfers[0]), "t=100000 get 3 accepted");
    EXPECT_EQ(Describe(transfers[1]), "t=100300 get 4 accepted");
    EXPECT_EQ(world.clock.Sleeps(), std::vector<std::uint32_t>{300});
    EXPECT_EQ(world.lastDownloadTick, kStartTick + 300);
    const PostedMessage settingsRead{MSG_UI_SETTINGS_READ, 0, 0};
    EXPECT_EQ(world.windows.Received(world.companion), std::vector{settingsRead});
    EXPECT_EQ(world.bus.HandleTarget(world.link->FeatureHandle()), "dev0/if1");

    EXPECT_EQ(world.current.DPI_Cur, 6);
    EXPECT_EQ(world.current.ButtonAssigned[1].FunctionCode, 0xA7);
    EXPECT_EQ(world.current.ButtonAssigned[1].MacroIndex, held.ButtonAssigned[1].MacroIndex)
        << "a new bullet macro keeps the held library index";
    ProfileData written;
    ReadProfile(world.files, written, 2, world.settingsPath);
    EXPECT_EQ(written, world.current);
    ReadProfile(world.files, written, 0, world.settingsPath);
    EXPECT_EQ(written, held) << "the active slot's own section is not the one written";
    EXPECT_EQ(
        world.files.GetProfileInt(u"BulletProfile3", u"BulletNum", -1, world.bulletSettingPath), 1);
}

TEST(DeviceStateDownload, WritesTheFileAlsoWithoutACompanion) {
    DownloadWorld world;
    world.windows.CloseWindow(world.companion);
    AttachMouseHolding(world.bus, MouseProfile());
    EXPECT_EQ(world.Download(), 1);
    EXPECT_EQ(world.files.GetProfileInt(u"Profile0Setting", u"DPI_Cur", -1, world.settingsPath), 6);
    EXPECT_TRUE(world.windows.Received(world.companion).empty());
}

struct QuietCase {
    std::uint32_t lastDownload;
    std::uint32_t now;
    bool readsTheMouse;
};

TEST(DeviceStateDownload, AnswersAtOnceWithinASecondOfTheLastSuccess) {
    const QuietCase cases[] = {
        {0, kStartTick, true},
        {kStartTick, kStartTick + 999, false},
        {kStartTick, kStartTick + 1000, true},
        {0xFFFFFF00, 0x000002E7, false},  // the tick count wrapped 999 ms later
        {0xFFFFFF00, 0x000002E8, true},
        {kStartTick + 5, kStartTick, true},  // a counter that went back: a long time, unsigned
    };
    for (const QuietCase& c : cases) {
        DownloadWorld world;
        SimulatedMouse& mouse = world.bus.AttachMouse();
        world.lastDownloadTick = c.lastDownload;
        world.clock.SetTickCount(c.now);
        EXPECT_EQ(world.Download(), 1);
        EXPECT_EQ(mouse.Transfers().size(), c.readsTheMouse ? 2u : 0u)
            << c.lastDownload << " " << c.now;
        EXPECT_EQ(world.windows.Received(world.companion).size(), c.readsTheMouse ? 1u : 0u);
        EXPECT_EQ(world.lastDownloadTick, c.readsTheMouse ? c.now + 300 : c.lastDownload);
    }
}

struct FailureCase {
    const char* name;
    std::function<void(SimulatedMouse&)> fault;
    bool settingsReportDecoded;
};

TEST(DeviceStateDownload, FailureAtEachStepWritesNothingAndPostsNothing) {
    const FailureCase cases[] = {
        {"mouse absent", [](SimulatedMouse& mouse) { mouse.Unplug(); }, false},
        {"report 3 refused", [](SimulatedMouse& mouse) { mouse.RefuseNextTransfersOf(3, 1); },
         false},
        {"mouse gone after report 3", [](SimulatedMouse& mouse) { mouse.VanishAfterTransfers(1); },
         true},
        {"report 4 refused", [](SimulatedMouse& mouse) { mouse.RefuseNextTransfersOf(4, 1); },
         true},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        DownloadWorld world;
        SimulatedMouse& mouse = AttachMouseHolding(world.bus, MouseProfile());
        c.fault(mouse);
        const std::string fileBefore = world.SettingsFileBytes();
        const ProfileData held = world.current;
        world.lastDownloadTick = 7;

        EXPECT_EQ(world.Download(), 0);
        EXPECT_EQ(world.SettingsFileBytes(), fileBefore);
        EXPECT_FALSE(world.LibraryExists());
        EXPECT_TRUE(world.windows.Received(world.companion).empty());
        EXPECT_EQ(world.lastDownloadTick, 7u);
        EXPECT_EQ(world.link->FeatureHandle(), kInvalidHidHandle);
        EXPECT_EQ(world.current.ButtonAssigned, held.ButtonAssigned);
        EXPECT_EQ(world.current.DPI_Cur, c.settingsReportDecoded ? 6 : held.DPI_Cur)
            << "report 3's fields stay decoded in memory";

        mouse.PlugIn();
        EXPECT_EQ(world.Download(), 1) << "a retry right after a failure reads the mouse";
    }
}

TEST(DeviceStateDownload, WithoutTheButtonsInterfaceFailsAfterDecodingReport3) {
    DownloadWorld world;
    SimulatedMouse& mouse = world.bus.AttachMouse(
        SimulatedMouse::Setup{.interfaces = {FeatureInterface(40), InputInterface(4)}});
    mouse.StoreReport(BuildSettingsReport(MouseProfile()));
    EXPECT_EQ(world.Download(), 0);
    EXPECT_EQ(world.current.DPI_Cur, 6);
    EXPECT_TRUE(world.clock.Sleeps().empty()) << "no pause before a read that cannot happen";
    EXPECT_EQ(world.link->FeatureHandle(), kInvalidHidHandle);
}

}  // namespace
}  // namespace t47::test
