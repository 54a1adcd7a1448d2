// t47agent and t47ctl as a person runs them: the agent started as a process with the simulated
// mouse, in runtime and configuration folders of its own, driven by t47ctl, and seen through
// its debug lines, the settings file and what t47ctl watch prints.
//
// The waits are generous and only a broken program reaches them; nothing here measures time.

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
#include "platform/linux/testing/child_program.h"
#include "platform/profile/profile_engine.h"
#include "platform/text_encoding.h"
#include "protocol/command_report.h"
#include "protocol/settings_report.h"
#include "settings/settings_file.h"
#include "support/temp_folder.h"

namespace t47 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr std::chrono::milliseconds kPatience = 1min;

// The agent reads the mouse again on a device notice only a second after its last read.
constexpr std::chrono::milliseconds kDownloadQuietTime = 1100ms;

struct Outcome {
    int status = -1;
    std::string output;
    std::string errors;
};

// How many times `text` holds `line` as a whole line.
std::size_t CountLines(const std::string& text, std::string_view line) {
    std::size_t count = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        count += std::string_view(text).substr(start, end - start) == line ? 1 : 0;
        start = end + 1;
    }
    return count;
}

std::string Hex(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (const std::uint8_t byte : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02x", byte);
        text += hex;
    }
    return text;
}

// One run of the programs: the folders, the agent, the watcher, and t47ctl commands.
class ProgramRun {
  public:
    ProgramRun() { fs::create_directories(folder / "run"); }

    Outcome Run(const fs::path& program, std::vector<std::string> arguments) {
        const std::string name = "run" + std::to_string(++runs);
        test::ChildProgram child(Setup(program, std::move(arguments), name));
        Outcome outcome;
        outcome.status = child.WaitForExit(kPatience).value_or(-1);
        outcome.output = test::ReadFileBytes(folder / (name + ".out"));
        outcome.errors = test::ReadFileBytes(folder / (name + ".err"));
        return outcome;
    }
    Outcome Control(std::vector<std::string> arguments) {
        return Run(T47CTL_PATH, std::move(arguments));
    }

    // The agent, ready once its start-up is over.
    void StartAgent(std::vector<std::string> arguments = {"--simulated-mouse"}) {
        agent = std::make_unique<test::ChildProgram>(
            Setup(T47AGENT_PATH, std::move(arguments), "agent"));
        ASSERT_TRUE(agent->Started());
        ASSERT_TRUE(WaitForAgentLine("OnCreate over")) << AgentLines();
    }
    // t47ctl watch, ready once it holds the companion UI's window.
    void StartWatch() {
        watch = std::make_unique<test::ChildProgram>(Setup(T47CTL_PATH, {"watch"}, "watch"));
        ASSERT_TRUE(watch->Started());
        ASSERT_TRUE(WaitFor([this] { return WatchErrors().find("holding") != std::string::npos; }))
            << WatchErrors();
    }

    std::string AgentLines() const { return test::ReadFileBytes(folder / "agent.err"); }
    std::string WatchLines() const { return test::ReadFileBytes(folder / "watch.out"); }
    std::string WatchErrors() const { return test::ReadFileBytes(folder / "watch.err"); }

    // Until the agent's debug lines, or the watcher's, hold the line `count` times.
    bool WaitForAgentLine(std::string_view line, std::size_t count = 1) {
        return WaitFor([&] { return CountLines(AgentLines(), line) >= count; });
    }
    bool WaitForWatchLine(std::string_view line, std::size_t count = 1) {
        return WaitFor([&] { return CountLines(WatchLines(), line) >= count; });
    }

    std::u16string SettingsPath() const {
        return Utf16FromPath(folder / "config" / "Norvane" / "T47" / "GamingMouse");
    }
    SettingData Settings() {
        SettingData settings{};
        ReadValidatedSettings(files, SettingsPath(), settings);
        return settings;
    }
    std::int32_t Setting(std::u16string_view section, std::u16string_view key) {
        return files.GetProfileInt(section, key, -1, SettingsPath());
    }

    ProfileEngine files;
    test::TempFolder folder;
    std::unique_ptr<test::ChildProgram> agent;
    std::unique_ptr<test::ChildProgram> watch;

  private:
    test::ChildSetup Setup(const fs::path& program, std::vector<std::string> arguments,
                           const std::string& name) const {
        return {program,
                std::move(arguments),
                {{"XDG_RUNTIME_DIR", (folder / "run").string()},
                 {"XDG_CONFIG_HOME", (folder / "config").string()}},
                folder / (name + ".out"),
                folder / (name + ".err")};
    }

    template <typename Condition>
    static bool WaitFor(Condition condition) {
        const auto end = std::chrono::steady_clock::now() + kPatience;
        while (!condition()) {
            if (std::chrono::steady_clock::now() >= end) {
                return false;
            }
            std::this_thread::sleep_for(5ms);
        }
        return true;
    }

    int runs = 0;
};

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

    ProgramRun run;
};

TEST_F(LinuxAgentTest, StartsWithTheSimulatedMouseReadsItAndTellsTheCompanion) {
    run.StartWatch();
    run.StartAgent();
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
    EXPECT_EQ(run.Setting(u"Setting", u"Device"), 1);

    // The companion UI's window is held: another watcher cannot have it.
    const Outcome second = run.Control({"watch"});
    EXPECT_EQ(second.status, 1);
    EXPECT_TRUE(second.errors.starts_with("t47ctl: cannot hold the window \"Norvane T47\""));
}

TEST_F(LinuxAgentTest, ApplyWritesTheSettingsFileIntoTheMouseAndCommandSendsItsReport) {
    run.StartAgent();
    // The companion UI changes the active profile's stage, then asks for it to be applied.
    const SettingData before = run.Settings();
    const std::int32_t stage = before.Profiles[before.Active].DPI_Cur % 7 + 1;
    WriteDpiCur(run.files, run.SettingsPath(), before.Active, stage);
    const SettingData changed = run.Settings();
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
    run.StartWatch();
    run.StartAgent();
    // At start-up the agent wrote the mouse's stage into the file; the button moves it on.
    const SettingData before = run.Settings();
    const std::int32_t stage = before.Profiles[before.Active].DPI_Cur % 7 + 1;
    ASSERT_EQ(run.Control({"press-dpi"}).status, 0);
    char notice[64];
    std::snprintf(notice, sizeof notice, "4: 02 00 %02x 00 00 00 00 00", stage);
    EXPECT_TRUE(run.WaitForAgentLine(notice)) << run.AgentLines();
    EXPECT_TRUE(run.WaitForWatchLine("MSG_UI_DPI_CHANGED wParam=" + std::to_string(before.Active) +
                                     " lParam=" + std::to_string(stage - 1)))
        << run.WatchLines();
    const SettingData after = run.Settings();
    EXPECT_EQ(after.Profiles[after.Active].DPI_Cur, stage);
}

TEST_F(LinuxAgentTest, UnpluggingAndPluggingTellTheCompanionAndMoveTheTrayIcon) {
    run.StartWatch();
    run.StartAgent();
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
    EXPECT_EQ(run.Setting(u"Setting", u"Device"), 1);
}

TEST_F(LinuxAgentTest, ClosedByT47ctlOrASignalItTellsTheCompanionAndEndsWithZero) {
    const std::function<void(ProgramRun&)> closes[] = {
        [](ProgramRun& r) { EXPECT_EQ(r.Control({"stop"}).status, 0); },
        [](ProgramRun& r) { r.agent->Interrupt(); },
        [](ProgramRun& r) { r.agent->Terminate(); },
    };
    for (std::size_t i = 0; i < std::size(closes); ++i) {
        SCOPED_TRACE("way " + std::to_string(i));
        ProgramRun r;
        r.StartWatch();
        r.StartAgent();
        closes[i](r);
        EXPECT_EQ(r.agent->WaitForExit(kPatience), 0);
        EXPECT_TRUE(r.WaitForWatchLine("WM_COMMAND wParam=0xFFFFFFFF (the agent closes) lParam=0"))
            << r.WatchLines();
        const Outcome after = r.Control({"press-dpi"});
        EXPECT_EQ(after.status, 1);
        EXPECT_TRUE(after.errors.starts_with("t47ctl: no agent runs")) << after.errors;
        r.watch->Interrupt();
        EXPECT_EQ(r.watch->WaitForExit(kPatience), 0);
    }
}

TEST_F(LinuxAgentTest, ASecondAgentEndsAtOnceAndTheFirstGoesOn) {
    run.StartAgent();
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
    // The usage names every command.
    const std::string usage = run.Control({"--help"}).output;
    for (const char* command :
         {"watch", "apply", "command", "stop", "press-dpi", "unplug", "plug"}) {
        EXPECT_NE(usage.find(std::string("\n  ") + command + ' '), std::string::npos) << command;
    }
    EXPECT_FALSE(fs::exists(run.folder / "config")) << "nothing was started";

    // An agent without the simulated mouse (none is attached): the mouse commands say so.
    run.StartAgent({});
    EXPECT_TRUE(run.AgentLines().starts_with("t47agent: no Norvane T47 is attached: waiting"));
    const Outcome press = run.Control({"press-dpi"});
    EXPECT_EQ(press.status, 1);
    EXPECT_TRUE(press.errors.starts_with("t47ctl: the agent runs without the simulated mouse"))
        << press.errors;
    EXPECT_EQ(run.Setting(u"Setting", u"Device"), 0);
}

}  // namespace
}  // namespace t47
