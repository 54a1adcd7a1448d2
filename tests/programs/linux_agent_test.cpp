// t47agent and t47ctl as a person runs them: the agent started as a process with the simulated
// mouse, in runtime and configuration folders of its own, driven by t47ctl, and seen through
// its debug lines, the settings file and what t47ctl watch prints.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "mouse_choice.h"
#include "platform/linux/attached_hid_nodes.h"
#include "platform/profile/profile_engine.h"
#include "platform/text_encoding.h"
#include "programs/program_run.h"
#include "protocol/command_report.h"
#include "protocol/settings_report.h"
#include "settings/settings_file.h"

namespace t47 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::CountLines;
using test::Outcome;
using test::ProgramRun;

constexpr std::chrono::milliseconds kPatience = ProgramRun::kPatience;

// The agent reads the mouse again on a device notice only a second after its last read.
constexpr std::chrono::milliseconds kDownloadQuietTime = 1100ms;

const test::ProgramPaths kPrograms = {T47AGENT_PATH, T47CTL_PATH};

std::string Hex(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (const std::uint8_t byte : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02x", byte);
        text += hex;
    }
    return text;
}

SettingData ReadSettings(const ProgramRun& run) {
    ProfileEngine files;
    SettingData settings{};
    ReadValidatedSettings(files, run.SettingsPath(), settings);
    return settings;
}

std::int32_t DeviceFlag(const ProgramRun& run) {
    return ProfileEngine().GetProfileInt(u"Setting", u"Device", -1, run.SettingsPath());
}

class LinuxAgentTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // With the real mouse attached the agent would use it: these runs must not touch it.
        SystemHidrawNodeIo io;
        for (const AttachedHidNode& node : ListAttachedHidNodes("/sys", "/dev", io)) {
            if (IsNorvaneT47(node.attributes)) {
                GTEST_SKIP() << "a Norvane T47 is attached (/dev/" << node.name << ")";
            }
        }
    }

    ProgramRun run{kPrograms};
};

TEST_F(LinuxAgentTest, StartsWithTheSimulatedMouseReadsItAndTellsTheCompanion) {
    ASSERT_TRUE(run.StartWatch());
    ASSERT_TRUE(run.StartAgent()) << run.AgentLines();
    const std::string lines = run.AgentLines();
    EXPECT_TRUE(lines.starts_with("t47agent: no Norvane T47 is attached: using the simulated"))
        << lines;
    const std::size_t settingsRead = lines.find("Simulated mouse: report 3 read:");
    const std::size_t buttonsRead = lines.find("Simulated mouse: report 4 read (2049 bytes)");
    const std::size_t over = lines.find("OnCreate over\n");
    EXPECT_LT(settingsRead, buttonsRead);
    EXPECT_LT(buttonsRead, over);
    EXPECT_NE(lines.find("Tray icon shown: Norvane T47\n"), std::string::npos);
    EXPECT_TRUE(run.WaitForWatchLine("MSG_UI_SETTINGS_READ wParam=0 lParam=0"));
    EXPECT_EQ(DeviceFlag(run), 1);

    // The companion UI's window is held: another watcher cannot have it.
    const Outcome second = run.Control({"watch"});
    EXPECT_EQ(second.status, 1);
    EXPECT_TRUE(second.errors.starts_with("t47ctl: cannot hold the window \"Norvane T47\""));
}

TEST_F(LinuxAgentTest, ApplyWritesTheSettingsFileIntoTheMouseAndCommandSendsItsReport) {
    ASSERT_TRUE(run.StartAgent()) << run.AgentLines();
    // The companion UI changes the active profile's stage, then asks for it to be applied.
    const SettingData before = ReadSettings(run);
    const std::int32_t stage = before.Profiles[before.Active].DPI_Cur % 7 + 1;
    ProfileEngine files;
    WriteDpiCur(files, run.SettingsPath(), before.Active, stage);
    const SettingData changed = ReadSettings(run);
    const std::string expected = "Simulated mouse: report 3 set:" +
                                 Hex(BuildSettingsReport(changed.Profiles[changed.Active]));
    ASSERT_EQ(run.Control({"apply"}).status, 0);
    EXPECT_TRUE(run.WaitForAgentLine("Simulated mouse: report 4 set (2049 bytes)"))
        << run.AgentLines();
    EXPECT_EQ(CountLines(run.AgentLines(), expected), 1u) << run.AgentLines();

    ASSERT_EQ(run.Control({"command"}).status, 0);
    EXPECT_TRUE(run.WaitForAgentLine("Simulated mouse: report 6 set:" + Hex(BuildCommandReport())))
        << run.AgentLines();
}

TEST_F(LinuxAgentTest, ADpiPressReachesTheSettingsFileAndTheCompanion) {
    ASSERT_TRUE(run.StartWatch());
    ASSERT_TRUE(run.StartAgent()) << run.AgentLines();
    // At start-up the agent wrote the mouse's stage into the file; the button moves it on.
    const SettingData before = ReadSettings(run);
    const std::int32_t stage = before.Profiles[before.Active].DPI_Cur % 7 + 1;
    ASSERT_EQ(run.Control({"press-dpi"}).status, 0);
    char notice[64];
    std::snprintf(notice, sizeof notice, "4: 02 00 %02x 00 00 00 00 00", stage);
    EXPECT_TRUE(run.WaitForAgentLine(notice)) << run.AgentLines();
    EXPECT_TRUE(run.WaitForWatchLine("MSG_UI_DPI_CHANGED wParam=" + std::to_string(before.Active) +
                                     " lParam=" + std::to_string(stage - 1)))
        << run.WatchLines();
    const SettingData after = ReadSettings(run);
    EXPECT_EQ(after.Profiles[after.Active].DPI_Cur, stage);
}

TEST_F(LinuxAgentTest, UnpluggingAndPluggingTellTheCompanionAndMoveTheTrayIcon) {
    ASSERT_TRUE(run.StartWatch());
    ASSERT_TRUE(run.StartAgent()) << run.AgentLines();
    std::this_thread::sleep_for(kDownloadQuietTime);  // so that the unplug is read, not skipped
    ASSERT_EQ(run.Control({"unplug"}).status, 0);
    EXPECT_TRUE(
        run.WaitForWatchLine("MSG_UI_DEVICE_STATE wParam=0x917 (DEVICE_STATE_ABSENT) lParam=0"))
        << run.WatchLines();
    EXPECT_TRUE(run.WaitForAgentLine("Tray icon removed: Norvane T47")) << run.AgentLines();
    ASSERT_EQ(run.Control({"press-dpi"}).status, 0);
    EXPECT_TRUE(run.WaitForAgentLine("Simulated mouse: DPI button pressed while unplugged"));

    ASSERT_EQ(run.Control({"plug"}).status, 0);
    EXPECT_TRUE(run.WaitForWatchLine("MSG_UI_SETTINGS_READ wParam=0 lParam=0", 2))
        << run.WatchLines();
    EXPECT_TRUE(run.WaitForAgentLine("Tray icon shown: Norvane T47", 2)) << run.AgentLines();
    EXPECT_EQ(run.WatchLines().find("MSG_UI_DPI_CHANGED"), std::string::npos)
        << "the press while unplugged reached nobody";
    EXPECT_EQ(DeviceFlag(run), 1);
}

TEST_F(LinuxAgentTest, ClosedByT47ctlOrASignalItTellsTheCompanionAndEndsWithZero) {
    const std::function<void(ProgramRun&)> closes[] = {
        [](ProgramRun& r) { EXPECT_EQ(r.Control({"stop"}).status, 0); },
        [](ProgramRun& r) { r.Agent().Interrupt(); },
        [](ProgramRun& r) { r.Agent().Terminate(); },
    };
    for (std::size_t i = 0; i < std::size(closes); ++i) {
        SCOPED_TRACE("way " + std::to_string(i));
        ProgramRun r(kPrograms);
        ASSERT_TRUE(r.StartWatch());
        ASSERT_TRUE(r.StartAgent()) << r.AgentLines();
        closes[i](r);
        EXPECT_EQ(r.Agent().WaitForExit(kPatience), 0);
        EXPECT_TRUE(r.WaitForWatchLine("WM_COMMAND wParam=0xFFFFFFFF (the agent closes) lParam=0"))
            << r.WatchLines();
        const Outcome after = r.Control({"press-dpi"});
        EXPECT_EQ(after.status, 1);
        EXPECT_TRUE(after.errors.starts_with("t47ctl: no agent runs")) << after.errors;
        r.Watch().Interrupt();
        EXPECT_EQ(r.Watch().WaitForExit(kPatience), 0);
    }
}

TEST_F(LinuxAgentTest, ASecondAgentEndsAtOnceAndTheFirstGoesOn) {
    ASSERT_TRUE(run.StartAgent()) << run.AgentLines();
    const Outcome second = run.Run(T47AGENT_PATH, {"--simulated-mouse"});
    EXPECT_EQ(second.status, 0);
    EXPECT_NE(second.errors.find("t47agent: an agent already runs for this user; this one ends"),
              std::string::npos)
        << second.errors;
    EXPECT_EQ(second.errors.find("OnCreate over"), std::string::npos);
    ASSERT_EQ(run.Control({"command"}).status, 0);
    EXPECT_TRUE(run.WaitForAgentLine("Simulated mouse: report 6 set:" + Hex(BuildCommandReport())));
}

TEST_F(LinuxAgentTest, CommandLinesAndCommandsWithoutAnAgent) {
    struct Case {
        fs::path program;
        std::vector<std::string> arguments;
        int status;
        std::string errors;  // the start of the one line on standard error; none with status 0
    };
    const Case cases[] = {
        {T47CTL_PATH, {"apply"}, 1, "t47ctl: no agent runs"},
        {T47CTL_PATH, {"command"}, 1, "t47ctl: no agent runs"},
        {T47CTL_PATH, {"stop"}, 1, "t47ctl: no agent runs"},
        {T47CTL_PATH, {"press-dpi"}, 1, "t47ctl: no agent runs"},
        {T47CTL_PATH, {"unplug"}, 1, "t47ctl: no agent runs"},
        {T47CTL_PATH, {"plug"}, 1, "t47ctl: no agent runs"},
        {T47CTL_PATH, {}, 1, "t47ctl: no command given"},
        {T47CTL_PATH, {"reload"}, 1, "t47ctl: unknown command \"reload\""},
        {T47CTL_PATH, {"apply", "now"}, 1, "t47ctl: apply takes no arguments"},
        {T47CTL_PATH, {"--help"}, 0, ""},
        {T47AGENT_PATH, {"--simulated"}, 2, "t47agent: unknown argument \"--simulated\""},
        {T47AGENT_PATH, {"--help"}, 0, ""},
    };
    for (const Case& c : cases) {
        const Outcome outcome = run.Run(c.program, c.arguments);
        SCOPED_TRACE(c.program.filename().string() + " " +
                     (c.arguments.empty() ? "" : c.arguments[0]));
        EXPECT_EQ(outcome.status, c.status);
        if (c.status == 0) {
            EXPECT_TRUE(outcome.output.starts_with("usage: ")) << outcome.output;
            EXPECT_EQ(outcome.errors, "");
        } else {
            EXPECT_TRUE(outcome.errors.starts_with(c.errors)) << outcome.errors;
            EXPECT_EQ(std::count(outcome.errors.begin(), outcome.errors.end(), '\n'), 1);
            EXPECT_EQ(outcome.output, "");
        }
    }
    // The usages fit a terminal of 80 columns, and t47ctl's names every command.
    for (const fs::path& program : {fs::path(T47AGENT_PATH), fs::path(T47CTL_PATH)}) {
        const std::string text = run.Run(program, {"--help"}).output;
        for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
            end = std::min(text.find('\n', start), text.size());
            EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
        }
        const Outcome version = run.Run(program, {"--version"});
        EXPECT_EQ(version.output, program.filename().string() + " " T47_VERSION "\n");
    }
    const std::string usage = run.Control({"--help"}).output;
    for (const char* command :
         {"watch", "apply", "command", "stop", "press-dpi", "unplug", "plug"}) {
        EXPECT_NE(usage.find(std::string("\n  ") + command + ' '), std::string::npos) << command;
    }
    EXPECT_FALSE(fs::exists(run.Folder() / "config")) << "nothing was started";

    // An agent without the simulated mouse (none is attached): the mouse commands say so.
    ASSERT_TRUE(run.StartAgent({})) << run.AgentLines();
    EXPECT_TRUE(run.AgentLines().starts_with("t47agent: no Norvane T47 is attached: waiting"));
    const Outcome press = run.Control({"press-dpi"});
    EXPECT_EQ(press.status, 1);
    EXPECT_TRUE(press.errors.starts_with("t47ctl: the agent runs without the simulated mouse"))
        << press.errors;
    EXPECT_EQ(DeviceFlag(run), 0);
}

}  // namespace
}  // namespace t47
