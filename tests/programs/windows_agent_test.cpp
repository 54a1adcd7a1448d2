// t47agent.exe as a user runs it, under Wine: against the virtual mouse inside Wine's HID
// stack, with Gaming.exe, the companion stand-in, beside it. Seen only from outside: the
// mouse's transfers, the settings file in the prefix's application-data folder, the registry,
// the stand-in's log of what reached it, the debugger lines on Wine's debug channel, and the
// processes' exit codes. (The pointer settings of the session show in the registry only: Wine
// keeps a copy of them in each process, which another process's change does not reach.)

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/companion_contract.h"
#include "platform/text_encoding.h"
#include "platform/win32/testing/child_process.h"
#include "platform/win32/testing/program_resources.h"
#include "platform/win32/testing/system_readback.h"
#include "platform/win32/testing/window_probe.h"
#include "platform/win32/testing/wine_debug_channel.h"
#include "platform/win32/win32_platform.h"
#include "settings/settings_file_keys.h"
#include "support/temp_folder.h"
#include "virtual_mouse.h"

namespace t47 {
namespace {

using namespace std::chrono_literals;
using wine_mouse::TransferKind;
using Texts = std::vector<std::string>;

// Generous: every wait here ends far sooner unless something is broken.
constexpr std::chrono::milliseconds kLimit = 30s;
const std::filesystem::path kAgent = T47_AGENT_PROGRAM;
const std::filesystem::path kStandIn = T47_STAND_IN_PROGRAM;
constexpr char16_t kMouseKey[] = u"Control Panel\\Mouse";
constexpr char16_t kDesktopKey[] = u"Control Panel\\Desktop";
const Texts kStartUpLines = {"RefreshDoubleClickSpeed\\n", "RefreshMouseMoveSpeed\\n",
                             "RefreshScrollLine\\n", "OnCreate over"};

template <typename Condition>
bool Eventually(Condition condition) {
    const auto end = std::chrono::steady_clock::now() + kLimit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

bool Holds(const Texts& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

class WindowsAgentTest : public ::testing::Test {
  protected:
    void SetUp() override {
        mouse.Plug();
        mouse.Reset();
        CloseWindowOf(kAgentWindowTitle);
        CloseWindowOf(kCompanionWindowTitle);
        const std::u16string data = shell.ApplicationDataFolder().value_or(u"") + u"\\Norvane\\T47";
        settingsPath = data + u"\\GamingMouse";
        std::filesystem::remove(PathFromUtf16(settingsPath));
        std::filesystem::remove(PathFromUtf16(data + u"\\BulletSetting"));
        testing::SetInheritedEnvironment(u"T47_COMPANION_LOG", Utf16FromPath(companionLog));
        // What only the agent's run can put back.
        for (const auto& [key, name] : kPointerValues) {
            const RegistryKey open =
                registry.OpenKey(RegistryRoot::kCurrentUser, key, kKeyAllAccess);
            registry.SetValue(open, name, kRegSz, std::vector<std::uint8_t>{'?', 0, 0, 0});
            registry.CloseKey(open);
        }
    }

    void TearDown() override {
        CloseWindowOf(kAgentWindowTitle);
        CloseWindowOf(kCompanionWindowTitle);
        mouse.Plug();  // for the test programs after this one
    }

    // A window left by a broken earlier run, or the stand-in at the end of a test, closed as
    // the system would close it.
    void CloseWindowOf(std::u16string_view title) {
        windows.Post(windows.FindTopLevelWindow(title), kWmClose, 0, 0);
        EXPECT_TRUE(testing::WaitForWindow(title, false, kLimit));
    }

    Texts CompanionLines() const {
        Texts lines;
        std::istringstream log(test::ReadFileBytes(companionLog));
        for (std::string line; std::getline(log, line);) {
            // A text file of Windows: its lines end in CR LF.
            if (line.ends_with('\r')) {
                line.pop_back();
            }
            lines.push_back(line);
        }
        return lines;
    }

    bool CompanionReceived(const std::string& line) {
        return Eventually([&] { return Holds(CompanionLines(), line); });
    }

    bool DebugShows(const std::string& text) {
        return Eventually([&] { return Holds(channel.TextsSinceMark(), text); });
    }

    // The mouse's transfers as kind and report id.
    std::vector<std::pair<TransferKind, int>> Transfers() {
        std::vector<std::pair<TransferKind, int>> transfers;
        for (const wine_mouse::MouseTransfer& transfer : mouse.Transfers()) {
            transfers.emplace_back(transfer.kind, transfer.Accepted() ? transfer.reportId : -1);
        }
        return transfers;
    }

    std::int32_t Setting(std::u16string_view section, std::u16string_view key) {
        return files.GetProfileInt(section, key, -999, settingsPath);
    }

    std::optional<std::uint32_t> RunStandIn(std::u16string request) {
        testing::ChildProcess standIn(kStandIn, {std::move(request)});
        return standIn.WaitForExit(kLimit);
    }

    wine_mouse::VirtualMouse mouse;
    testing::WineDebugChannel channel;
    Win32Windows windows;
    Win32Shell shell;
    Win32ProfileFiles files;
    Win32Registry registry;
    test::TempFolder folder;
    const std::filesystem::path companionLog = folder / "companion.log";
    std::u16string settingsPath;
    // The registry values of the pointer settings, written by the agent and (the wheel's) by
    // the system.
    static constexpr std::pair<const char16_t*, const char16_t*> kPointerValues[] = {
        {kMouseKey, u"MouseSpeed"},
        {kMouseKey, u"MouseThreshold1"},
        {kMouseKey, u"MouseThreshold2"},
        {kMouseKey, u"DoubleClickSpeed"},
        {kDesktopKey, u"WheelScrollLines"}};
};

TEST_F(WindowsAgentTest, LivesFromStartUpThroughRequestsDpiNoticesAndUnplugToItsClose) {
    const std::vector<std::uint8_t> defaultUpload[] = {mouse.Report(3), mouse.Report(4)};
    channel.Mark();
    testing::ChildProcess agent(kAgent);

    // Start-up reads the mouse, writes the settings file (Device 1), starts the stand-in, and
    // applies the pointer settings.
    ASSERT_TRUE(DebugShows("OnCreate over"));
    const auto startedUp = std::chrono::steady_clock::now();
    EXPECT_EQ(channel.TextsSinceMark(), kStartUpLines);
    EXPECT_EQ(Transfers(), (std::vector<std::pair<TransferKind, int>>{{TransferKind::kGet, 3},
                                                                      {TransferKind::kGet, 4}}));
    EXPECT_TRUE(test::ReadFileBytes(PathFromUtf16(settingsPath)).starts_with("\xFF\xFE"));
    EXPECT_EQ(Setting(kSettingSection, kDeviceKey), 1);
    ASSERT_TRUE(CompanionReceived("Gaming.exe started"));
    ASSERT_TRUE(testing::WaitForWindow(kCompanionWindowTitle, true, kLimit));

    // The companion edits the profile and asks for it: the pointer settings reach the registry
    // (the wheel's through the system), and the mouse receives reports 3 and 4.
    const std::u16string profile = ProfileSectionName(0);
    for (const auto& [key, value] :
         {std::pair{u"DBClick_Speed", u"10"}, {u"mouse_enhance", u"1"}, {u"Scroll_Speed", u"7"}}) {
        files.WriteProfileString(profile, key, value, settingsPath);
    }
    mouse.Reset();
    EXPECT_EQ(RunStandIn(u"apply"), 0u);
    ASSERT_TRUE(Eventually([&] { return mouse.Transfers().size() >= 2; }));
    const std::vector<wine_mouse::MouseTransfer> upload = mouse.Transfers();
    ASSERT_EQ(upload.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(upload[i].kind, TransferKind::kSet);
        EXPECT_EQ(upload[i].bytes, defaultUpload[i]);  // the pointer settings are not the mouse's
    }
    const std::vector<std::vector<std::uint8_t>> pointerValues = {{'1', 0, 0, 0},
                                                                  {'6', 0, 0, 0},
                                                                  {'1', 0, '0', 0, 0, 0},
                                                                  {'2', 0, '0', 0, '0', 0, 0, 0},
                                                                  {'7', 0, 0, 0}};
    for (std::size_t i = 0; i < pointerValues.size(); ++i) {
        const auto& [key, name] = kPointerValues[i];
        EXPECT_EQ(testing::ReadRegistryValue(RegistryRoot::kCurrentUser, key, name),
                  (testing::RegistryValue{kRegSz, pointerValues[i]}))
            << Utf8FromUtf16(name);
    }

    // A DPI stage chosen on the mouse reaches the settings file and the stand-in.
    EXPECT_TRUE(mouse.SendInputReport(std::vector<std::uint8_t>{2, 0, 5, 0}));
    EXPECT_TRUE(CompanionReceived("MSG_UI_DPI_CHANGED wParam=0x0 lParam=0x4"));
    EXPECT_TRUE(DebugShows("4: 02 00 05 00 00 00 00 00\\n"));
    EXPECT_EQ(Setting(profile, u"DPI_Cur"), 5);

    // A second agent ends at once, leaving the first as it is.
    testing::ChildProcess second(kAgent);
    EXPECT_EQ(second.WaitForExit(kLimit), 0u);
    EXPECT_FALSE(agent.WaitForExit(0ms));

    // Unplugged, the mouse is missed; plugged in again, it is read. (A download less than a
    // second old answers for the mouse without asking it.)
    std::this_thread::sleep_until(startedUp + 1500ms);
    mouse.Unplug();
    EXPECT_TRUE(CompanionReceived("MSG_UI_DEVICE_STATE wParam=0x917 lParam=0x0"));
    mouse.Plug();
    EXPECT_TRUE(CompanionReceived("MSG_UI_SETTINGS_READ wParam=0x0 lParam=0x0"));

    // Closed as the system closes it, the agent tells the stand-in and ends with 0.
    EXPECT_TRUE(windows.Post(windows.FindTopLevelWindow(kAgentWindowTitle), kWmClose, 0, 0));
    EXPECT_EQ(agent.WaitForExit(kLimit), 0u);
    EXPECT_TRUE(CompanionReceived("WM_COMMAND wParam=0xFFFFFFFF lParam=0x0"));
    const Texts lines = CompanionLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Gaming.exe started"), 1);
}

TEST_F(WindowsAgentTest, WithoutTheMouseWritesDeviceZeroAndStartsNoCompanion) {
    mouse.Unplug();
    channel.Mark();
    testing::ChildProcess agent(kAgent);
    ASSERT_TRUE(DebugShows("OnCreate over"));
    EXPECT_EQ(channel.TextsSinceMark(), kStartUpLines);  // the pointer settings all the same
    EXPECT_EQ(Setting(kSettingSection, kDeviceKey), 0);
    EXPECT_TRUE(mouse.Transfers().empty());
    EXPECT_EQ(RunStandIn(u"close-agent"), 0u);
    EXPECT_EQ(agent.WaitForExit(kLimit), 0u);
    EXPECT_EQ(windows.FindTopLevelWindow(kCompanionWindowTitle), kNoWindow);
    EXPECT_FALSE(std::filesystem::exists(companionLog));
}

TEST(WindowsAgentProgramTest, IsAGuiProgramWithItsIconVersionAndLanguageFiles) {
    EXPECT_EQ(testing::ProgramSubsystem(kAgent), 2);  // no console window
    EXPECT_EQ(testing::ProgramSubsystem(kStandIn), 2);
    EXPECT_EQ(kStandIn.parent_path(), kAgent.parent_path());

    std::vector<testing::IconImageFacts> icon;
    for (const int size : {256, 48, 32, 24, 16}) {
        icon.push_back({size, size, 32});
    }
    EXPECT_EQ(testing::IconGroup(kAgent, 137), icon);
    EXPECT_EQ(testing::VersionText(kAgent, u"ProductName"), u"Norvane T47");
    EXPECT_EQ(testing::VersionText(kAgent, u"OriginalFilename"), u"t47agent.exe");

    // Read through the Windows profile functions, as the tray menu reads them.
    Win32ProfileFiles files;
    const std::u16string lan = Utf16FromPath(kAgent.parent_path()) + u"\\Lan\\";
    struct Entry {
        const char16_t* file;
        const char16_t* key;
        std::u16string text;
    };
    for (const Entry& entry : {Entry{u"skin_En.ini", u"1", u"Open Norvane T47"},
                               Entry{u"skin_En.ini", u"2", u"Hide icon"},
                               Entry{u"skin_Cs.ini", u"1", u"Otev\u0159\u00edt Norvane T47"},
                               Entry{u"skin_Cs.ini", u"2", u"Skr\u00fdt ikonu"}}) {
        EXPECT_EQ(files.GetProfileString(u"TRAY_STRING", entry.key, u"", 260, lan + entry.file),
                  entry.text);
    }
}

}  // namespace
}  // namespace t47
