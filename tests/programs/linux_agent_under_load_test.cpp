// t47agent as busy users and hostile neighbours meet it: bursts of requests and a stop among
// them, messages no companion would send, a runtime folder taken away, agents started at once,
// a quick replug, a settings file it cannot use. Counted, never timed.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "contract/companion_contract.h"
#include "platform/linux/linux_windows.h"
#include "platform/linux/runtime_folder.h"
#include "platform/linux/testing/child_program.h"
#include "platform/linux/testing/test_channels.h"
#include "platform/profile/profile_engine.h"
#include "programs/program_run.h"
#include "protocol/command_report.h"
#include "settings/settings_file.h"
#include "simulated_mouse_control.h"

namespace t47 {
namespace {

namespace fs = std::filesystem;
using test::ChildProgram;
using test::ChildSetup;
using test::CountLines;
using test::Outcome;
using test::ProgramRun;

const test::ProgramPaths kPrograms = {T47AGENT_PATH, T47CTL_PATH};
constexpr std::string_view kUploadLine = "Simulated mouse: report 4 set (2049 bytes)";
// What the simulated mouse says when it gets the command report.
const std::string kCommandLine = [] {
    std::string line = "Simulated mouse: report 6 set:";
    for (const std::uint8_t byte : BuildCommandReport()) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02x", byte);
        line += hex;
    }
    return line;
}();

fs::path RuntimeFolder(const ProgramRun& run) {
    return run.Folder() / "run" / "norvane-t47";
}

std::int32_t ProfileKey(const ProgramRun& run, std::u16string_view key) {
    ProfileEngine files;
    return files.GetProfileInt(u"Profile0Setting", key, -999, run.SettingsPath());
}

// Posts from this test process: another process of the same user, as any program could be.
void PostFromOutside(const ProgramRun& run, std::u16string_view title, MessageId id,
                     WParam wParam = 0, LParam lParam = 0) {
    LinuxWindows outsider(RuntimeFolder(run));
    const WindowHandle window = outsider.FindTopLevelWindow(title);
    ASSERT_NE(window, kNoWindow);
    ASSERT_TRUE(outsider.Post(window, id, wParam, lParam));
}

void SendRawDatagram(const ProgramRun& run, std::string_view bytes) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    test::SendDatagram(RuntimeFolder(run) / RuntimeFileName(kAgentWindowTitle, ".window"),
                       {data, bytes.size()});
}

class LinuxAgentUnderLoad : public ::testing::Test {
  protected:
    ProgramRun run{kPrograms};
};

TEST_F(LinuxAgentUnderLoad, ABurstOfRequestsIsTakenWholeAndAStopEndsItAfterTheRunningOne) {
    ASSERT_TRUE(run.StartAgent()) << run.AgentLines();
    constexpr int kRequests = 40;  // each holds the agent 300 ms: far more than the kernel holds
    for (int i = 0; i < kRequests; ++i) {
        const Outcome apply = run.Control({"apply"});
        ASSERT_EQ(apply.status, 0) << i << ": " << apply.errors;
        ASSERT_EQ(apply.output, "applied\n");
    }
    ASSERT_TRUE(run.WaitForAgentLine(kUploadLine, 2)) << run.AgentLines();
    run.Agent().Terminate();  // with most of the burst still queued
    EXPECT_EQ(run.Agent().WaitForExit(ProgramRun::kPatience), 0);
    const std::size_t uploads = CountLines(run.AgentLines(), kUploadLine);
    EXPECT_LT(uploads, static_cast<std::size_t>(kRequests)) << "the stop did not wait its turn";
    EXPECT_EQ(CountLines(run.AgentLines(), "t47agent: the runtime folder"), 0u);
}

TEST_F(LinuxAgentUnderLoad, OtherProcessesReachOnlyWhatTheCompanionAndTheMouseMaySend) {
    ASSERT_TRUE(run.StartWatch());
    ASSERT_TRUE(run.StartAgent()) << run.AgentLines();
    const std::string startLines = run.AgentLines();
    const std::int32_t stage = ProfileKey(run, u"DPI_Cur");
    struct Forged {
        const char* what;
        MessageId id;
        WParam wParam;
    };
    const Forged forged[] = {
        {"a second creation", kWmCreate, 0},
        {"a destruction", kWmDestroy, 0},
        {"a DPI notice of stage -1", MSG_DEVICE_DPI, 0xFFFFFFFF},
        {"a DPI notice of stage 2", MSG_DEVICE_DPI, 2},
        {"a session lock", kWmWtsSessionChange, 7},
        {"a device notice", kWmDeviceChange, 0x8004},
        {"a tray menu command", kWmCommand, ID_TRAY_HIDE},
        {"a tray callback", MSG_TRAY_CALLBACK, 0x203},
    };
    for (const Forged& f : forged) {
        SCOPED_TRACE(f.what);
        PostFromOutside(run, kAgentWindowTitle, f.id, f.wParam);
    }
    SendRawDatagram(run, "");
    SendRawDatagram(run, std::string(19, '\x01'));
    SendRawDatagram(run, std::string(4096, '\xFF'));
    // Then what the companion and t47ctl may send, which must still work, in order.
    ASSERT_EQ(run.Control({"command"}).status, 0);
    ASSERT_TRUE(run.WaitForAgentLine(kCommandLine)) << run.AgentLines();

    const std::string lines = run.AgentLines().substr(startLines.size());
    EXPECT_EQ(lines.find("OnCreate over"), std::string::npos) << lines;
    EXPECT_EQ(lines.find("Tray icon"), std::string::npos) << lines;
    EXPECT_EQ(lines.find("report 3 read"), std::string::npos) << "no download: " << lines;
    EXPECT_EQ(ProfileKey(run, u"DPI_Cur"), stage);
    EXPECT_EQ(run.WatchLines().find("WM_COMMAND"), std::string::npos) << "nobody said it closed";
    EXPECT_EQ(run.WatchLines().find("MSG_UI_DPI_CHANGED"), std::string::npos);

    // The simulated mouse's window takes its controls, and nothing else, not even a close.
    PostFromOutside(run, kSimulatedMouseWindowTitle, kWmClose);
    PostFromOutside(run, kSimulatedMouseWindowTitle, kWmDestroy);
    ASSERT_EQ(run.Control({"press-dpi"}).status, 0);
    EXPECT_TRUE(run.WaitForAgentLine("Simulated mouse: DPI button pressed")) << run.AgentLines();
    // A session lock would have made the agent deaf to the mouse for good.
    EXPECT_TRUE(run.WaitForWatchLine("MSG_UI_DPI_CHANGED wParam=0 lParam=" + std::to_string(stage)))
        << run.WatchLines();
}

TEST_F(LinuxAgentUnderLoad, ARemovedRuntimeFolderEndsTheAgentAndLetsANewOneStart) {
    ASSERT_TRUE(run.StartAgent()) << run.AgentLines();
    fs::remove_all(RuntimeFolder(run));  // a /tmp cleaner, a log-out clean-up
    EXPECT_EQ(run.Agent().WaitForExit(ProgramRun::kPatience), 1);
    EXPECT_TRUE(run.WaitForAgentLine(
        "t47agent: the runtime folder " + RuntimeFolder(run).string() +
        " was removed or replaced; this agent has closed, so that a new one can take a fresh "
        "folder"))
        << run.AgentLines();
    ASSERT_TRUE(run.StartAgent()) << run.AgentLines();
    EXPECT_EQ(run.Control({"press-dpi"}).status, 0);
}

TEST_F(LinuxAgentUnderLoad, OfAgentsStartedAtOnceOneServesAndTheMouseAnswers) {
    std::vector<std::unique_ptr<ChildProgram>> agents;
    std::vector<std::string> logs;
    for (int i = 0; i < 5; ++i) {
        logs.push_back((run.Folder() / ("agent" + std::to_string(i) + ".log")).string());
        agents.push_back(std::make_unique<ChildProgram>(
            ChildSetup{T47AGENT_PATH,
                       {"--simulated-mouse"},
                       {{"XDG_RUNTIME_DIR", (run.Folder() / "run").string()},
                        {"XDG_CONFIG_HOME", (run.Folder() / "config").string()}},
                       "/dev/null",
                       logs.back()}));
    }
    int ended = 0;
    for (auto& agent : agents) {
        if (agent->WaitForExit(std::chrono::seconds(3)) == 0) {
            ++ended;
        }
    }
    EXPECT_EQ(ended, 4) << "all but one end at once";
    const Outcome press = run.Control({"press-dpi"});
    EXPECT_EQ(press.status, 0) << press.errors;
    const Outcome stop = run.Control({"stop"});
    EXPECT_EQ(stop.status, 0) << stop.errors;
    for (auto& agent : agents) {
        EXPECT_EQ(agent->WaitForExit(ProgramRun::kPatience), 0);
    }
}

TEST_F(LinuxAgentUnderLoad, AQuickReplugIsHeard) {
    ASSERT_TRUE(run.StartWatch());
    ASSERT_TRUE(run.StartAgent()) << run.AgentLines();
    // Inside the second after the start-up's read, twice.
    for (const char* step : {"unplug", "plug", "unplug", "plug"}) {
        ASSERT_EQ(run.Control({step}).status, 0) << step;
    }
    ASSERT_TRUE(run.WaitForAgentLine("Simulated mouse: plugged in", 2)) << run.AgentLines();
    // Queued behind the notices of the replug: once it is served, they are.
    ASSERT_EQ(run.Control({"command"}).status, 0);
    ASSERT_TRUE(run.WaitForAgentLine(kCommandLine)) << run.AgentLines();
    for (int press = 0; press < 3; ++press) {
        ASSERT_EQ(run.Control({"press-dpi"}).status, 0);
    }
    // The stage was 3: the presses make it 4, 5 and 6.
    EXPECT_TRUE(run.WaitForWatchLine("MSG_UI_DPI_CHANGED wParam=0 lParam=5"))
        << run.WatchLines() << run.AgentLines();
}

TEST(LinuxAgentSettingsFile, ASettingsFileItCannotUseIsNamedInTheLog) {
    struct Case {
        const char* what;
        std::function<void(const fs::path& folder)> make;  // in the agent's settings folder
        std::string said;  // what the log says after "the settings file <path>"
    };
    const Case cases[] = {
        {"a folder in its place",
         [](const fs::path& f) { fs::create_directories(f / "GamingMouse"); }, " is not a file"},
        {"a file of 17 MiB",
         [](const fs::path& f) {
             fs::create_directories(f);
             std::ofstream(f / "GamingMouse").put('[');
             fs::resize_file(f / "GamingMouse", 17 * 1024 * 1024);
         },
         " is larger than 16 MiB"},
        {"a file where its folder should be",
         [](const fs::path& f) {
             fs::create_directories(f.parent_path());
             std::ofstream(f).put('x');
         },
         " cannot be created: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramRun run(kPrograms);
        const fs::path folder = run.Folder() / "config" / "Norvane" / "T47";
        c.make(folder);
        ASSERT_TRUE(run.StartAgent()) << run.AgentLines();
        const std::string lines = run.AgentLines();
        EXPECT_NE(
            lines.find("t47agent: the settings file " + (folder / "GamingMouse").string() + c.said),
            std::string::npos)
            << lines;
        EXPECT_EQ(CountLines(lines, "OnCreate over"), 1u) << "it runs on";
    }
    // A file of no bytes, as a writer killed at its start leaves it, is created whole.
    ProgramRun run(kPrograms);
    const fs::path file = run.Folder() / "config" / "Norvane" / "T47" / "GamingMouse";
    fs::create_directories(file.parent_path());
    std::ofstream{file};
    ASSERT_TRUE(run.StartAgent()) << run.AgentLines();
    EXPECT_EQ(ProfileKey(run, u"DPI_Cur"), 3);
    EXPECT_NE(ProfileKey(run, u"DPI_Value6"), -999) << "every key, not only those written since";
}

}  // namespace
}  // namespace t47
