// t47agent.exe as a user runs it, under Wine: against the virtual mouse inside Wine's HID
// stack, with Gaming.exe, the companion stand-in, beside it. Seen only from outside: the
// mouse's transfers, the settings file in the prefix's application-data folder, the registry,
// the stand-in's log of what reached it, an "OSDMain" window of the test's own, what
// t47report.exe prints, the debugger lines on Wine's debug channel, and the processes' exit
// codes. (The pointer settings of the session show in the registry only: Wine keeps a copy of
// them in each process, which another process's change does not reach.)

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <future>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "contract/companion_contract.h"
#include "hex_bytes.h"
#include "platform/text_encoding.h"
#include "platform/win32/testing/child_process.h"
#include "platform/win32/testing/program_resources.h"
#include "platform/win32/testing/system_readback.h"
#include "platform/win32/testing/window_probe.h"
#include "platform/win32/testing/wine_debug_channel.h"
#include "platform/win32/win32_platform.h"
#include "protocol/button_macro_report.h"
#include "protocol/settings_report.h"
#include "settings/settings_defaults.h"
#include "settings/settings_file.h"
#include "settings/settings_file_keys.h"
#include "support/eventually.h"
#include "support/mouse_read_back.h"
#include "support/profile_differences.h"
#include "support/temp_folder.h"
#include "virtual_mouse.h"

namespace t47 {
namespace {

using namespace std::chrono_literals;
using wine_mouse::TransferKind;
using Texts = std::vector<std::string>;
using Reports = std::vector<std::vector<std::uint8_t>>;

// Generous: every wait here ends far sooner unless something is broken.
constexpr std::chrono::milliseconds kLimit = 30s;
const std::filesystem::path kAgent = T47_AGENT_PROGRAM;
const std::filesystem::path kStandIn = T47_STAND_IN_PROGRAM;
const std::filesystem::path kReportTool = T47_REPORT_PROGRAM;
constexpr char16_t kMouseKey[] = u"Control Panel\\Mouse";
constexpr char16_t kDesktopKey[] = u"Control Panel\\Desktop";
const Texts kStartUpLines = {"RefreshDoubleClickSpeed\\n", "RefreshMouseMoveSpeed\\n",
                             "RefreshScrollLine\\n", "OnCreate over"};

template <typename Condition>
bool Eventually(Condition condition) {
    return test::Eventually(condition, kLimit);
}

bool Holds(const Texts& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// A text file of a Windows program: its lines end in CR LF.
Texts LinesOf(const std::filesystem::path& file) {
    Texts lines;
    std::istringstream text(test::ReadFileBytes(file));
    for (std::string line; std::getline(text, line);) {
        if (line.ends_with('\r')) {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

// A REG_SZ value's bytes: the text in UTF-16LE with its terminating zero.
std::vector<std::uint8_t> RegistryText(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    for (const char c : text) {
        bytes.insert(bytes.end(), {static_cast<std::uint8_t>(c), 0});
    }
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

struct Handed {
    MessageId id = 0;
    WParam wParam = 0;
    LParam lParam = 0;

    friend bool operator==(const Handed&, const Handed&) = default;
};

// The on-screen display's window, "OSDMain", held by a thread of the test until it is
// destroyed, recording the closing messages it is handed.
class OsdWindow final : public WindowProcedure {
  public:
    OsdWindow() {
        std::promise<WindowHandle> created;
        std::future<WindowHandle> handle = created.get_future();
        loop = std::async(std::launch::async, [this, created = std::move(created)]() mutable {
            Win32Windows windows;
            const WindowHandle made = windows.CreateHiddenWindow(kOsdWindowTitle, *this);
            created.set_value(made);
            windows.RunMessageLoop(made);
        });
        window = handle.get();
    }

    ~OsdWindow() override {
        Win32Windows().Post(window, kWmClose, 0, 0);  // refused once it is gone
    }

    // What it was handed, once it is gone; none while it still stands after `limit`.
    std::optional<std::vector<Handed>> HandedOnceGone(std::chrono::milliseconds limit) {
        if (loop.wait_for(limit) != std::future_status::ready) {
            return std::nullopt;
        }
        return handed;
    }

    std::optional<LParam> HandleMessage(WindowHandle, MessageId id, WParam wParam,
                                        LParam lParam) override {
        if (id == kWmDestroy || id == kWmClose) {
            handed.push_back({id, wParam, lParam});
        }
        return std::nullopt;
    }

  private:
    std::vector<Handed> handed;  // by the loop's thread until it ends
    WindowHandle window = kNoWindow;
    std::future<void> loop;  // its end awaited when this goes, after the close
};

// A profile unlike the defaults in what the mouse holds: its stage and a button's function.
ProfileData MouseProfile() {
    ProfileData profile = DefaultProfile();
    profile.DPI_Cur = 6;
    profile.ButtonAssigned[2].FunctionCode = 0xB8;
    return profile;
}

// The companion's edit of `profile`, in what the mouse carries (the stage, a stage's value, a
// button's function, a macro: key A, 50 ms, released) and in the pointer options.
ProfileData EditedProfile(ProfileData profile) {
    profile.DPI_Cur = 2;
    profile.DPI_Value[3] = 8;
    profile.ButtonAssigned[5].FunctionCode = 0xC3;
    ButtonAssignment& macro = profile.ButtonAssigned[4];
    macro = {.ButtonNo = 5, .FunctionCode = 0xA6, .EventCount = 3, .MacroIndex = kNoMacroIndex};
    macro.Events[0] = {0x14, 0, 1};
    macro.Events[1] = {0xFF, 0, 50};
    macro.Events[2] = {0x14, 0, 0};
    profile.DBClick_Speed = 10;
    profile.mouse_enhance = 1;
    profile.Scroll_Speed = 7;
    return profile;
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

    Texts CompanionLines() const { return LinesOf(companionLog); }

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

    // What `t47report encode` prints for the settings file: reports 3, 4 and 6.
    Reports EncodedReports() {
        const std::filesystem::path printed = folder / "encoded.txt";
        testing::ChildProcess tool(kReportTool, {u"encode", settingsPath}, printed);
        EXPECT_EQ(tool.WaitForExit(kLimit), 0u);
        Reports reports;
        for (const std::string& line : LinesOf(printed)) {
            reports.push_back(ParseHexBytes(line).value_or(std::vector<std::uint8_t>{}));
        }
        return reports;
    }

    ProfileData ProfileInFile() {
        ProfileData profile = DefaultProfile();
        ReadProfile(files, profile, 0, settingsPath);
        return profile;
    }

    // The values of kPointerValues, as texts.
    void ExpectPointerValues(const std::array<std::string_view, 5>& texts) {
        for (std::size_t i = 0; i < texts.size(); ++i) {
            const auto& [key, name] = kPointerValues[i];
            EXPECT_EQ(testing::ReadRegistryValue(RegistryRoot::kCurrentUser, key, name),
                      (testing::RegistryValue{kRegSz, RegistryText(texts[i])}))
                << Utf8FromUtf16(name);
        }
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
    const ProfileData inMouse = MouseProfile();
    mouse.SetReport(BuildSettingsReport(inMouse));
    mouse.SetReport(BuildButtonMacroReport(inMouse.ButtonAssigned));
    channel.Mark();
    testing::ChildProcess agent(kAgent);

    // Start-up reads the mouse into the settings file (Device 1), starts the stand-in, and
    // applies the pointer settings.
    ASSERT_TRUE(DebugShows("OnCreate over"));
    const auto startedUp = std::chrono::steady_clock::now();
    EXPECT_EQ(channel.TextsSinceMark(), kStartUpLines);
    EXPECT_EQ(Transfers(), (std::vector<std::pair<TransferKind, int>>{{TransferKind::kGet, 3},
                                                                      {TransferKind::kGet, 4}}));
    EXPECT_TRUE(test::ReadFileBytes(PathFromUtf16(settingsPath)).starts_with("\xFF\xFE"));
    EXPECT_EQ(Setting(kSettingSection, kDeviceKey), 1);
    const ProfileData downloaded = ProfileInFile();
    EXPECT_EQ(test::ProfileDifferences(
                  test::ReadBackThroughMouse(inMouse, DefaultProfile()).profile, downloaded),
              "");
    ASSERT_TRUE(CompanionReceived("Gaming.exe started"));
    ASSERT_TRUE(testing::WaitForWindow(kCompanionWindowTitle, true, kLimit));

    // The companion edits the profile and asks for it while the mouse refuses two sets: report
    // 3 goes again after each 300 ms pause, and report 4 after another. The mouse receives what
    // t47report prints for the file; the pointer settings reach the registry (the wheel's
    // through the system).
    WriteProfile(files, EditedProfile(downloaded), 0, settingsPath);
    mouse.Reset();
    mouse.RefuseNext(2, wine_mouse::TransferKinds::kSets);
    EXPECT_EQ(RunStandIn(u"apply"), 0u);
    ASSERT_TRUE(Eventually([&] { return mouse.Transfers().size() >= 4; }));
    const std::vector<wine_mouse::MouseTransfer> upload = mouse.Transfers();
    EXPECT_EQ(Transfers(), (std::vector<std::pair<TransferKind, int>>{{TransferKind::kSet, -1},
                                                                      {TransferKind::kSet, -1},
                                                                      {TransferKind::kSet, 3},
                                                                      {TransferKind::kSet, 4}}));
    const Reports encoded = EncodedReports();
    ASSERT_EQ(encoded.size(), 3u);
    ASSERT_EQ(upload.size(), 4u);
    for (std::size_t i = 0; i < upload.size(); ++i) {
        EXPECT_EQ(upload[i].bytes, encoded[i < 3 ? 0 : 1]) << "transfer " << i;
        if (i > 0) {
            // A lower bound only: the pause, less the rounding of the two clocks.
            EXPECT_GE(upload[i].time - upload[i - 1].time, 299ms) << "transfer " << i;
        }
    }
    // Not what the mouse would have got without the edit.
    const SettingsReport unedited3 = BuildSettingsReport(downloaded);
    const ButtonMacroReport unedited4 = BuildButtonMacroReport(downloaded.ButtonAssigned);
    EXPECT_FALSE(std::ranges::equal(encoded[0], unedited3));
    EXPECT_FALSE(std::ranges::equal(encoded[1], unedited4));
    ExpectPointerValues({"1", "6", "10", "200", "7"});

    // A DPI stage chosen on the mouse reaches the settings file and the stand-in.
    const std::u16string profile = ProfileSectionName(0);
    EXPECT_TRUE(mouse.SendInputReport(std::vector<std::uint8_t>{2, 0, 5, 0}));
    EXPECT_TRUE(CompanionReceived("MSG_UI_DPI_CHANGED wParam=0x0 lParam=0x4"));
    EXPECT_TRUE(DebugShows("4: 02 00 05 00 00 00 00 00\\n"));
    EXPECT_EQ(Setting(profile, u"DPI_Cur"), 5);

    // A second agent ends at once, leaving the first as it is.
    testing::ChildProcess second(kAgent);
    EXPECT_EQ(second.WaitForExit(kLimit), 0u);
    EXPECT_FALSE(agent.WaitForExit(0ms));

    // Unplugged, the mouse is missed; plugged in again, it is read: the file gets its stage
    // back (the notice only told of a press). A download less than a second old answers for
    // the mouse without asking it.
    std::this_thread::sleep_until(startedUp + 1500ms);
    mouse.Unplug();
    EXPECT_TRUE(CompanionReceived("MSG_UI_DEVICE_STATE wParam=0x917 lParam=0x0"));
    mouse.Plug();
    EXPECT_TRUE(CompanionReceived("MSG_UI_SETTINGS_READ wParam=0x0 lParam=0x0"));
    EXPECT_EQ(Setting(profile, u"DPI_Cur"), 2);

    // Unplugged and plugged in again within the second after that read: the mouse that went
    // is missed all the same, and the one plugged in is heard on handles of its own.
    const std::string absent = "MSG_UI_DEVICE_STATE wParam=0x917 lParam=0x0";
    const auto absentCount = [&] {
        const Texts lines = CompanionLines();
        return std::count(lines.begin(), lines.end(), absent);
    };
    const auto absentBefore = absentCount();
    mouse.Unplug();
    EXPECT_TRUE(Eventually([&] { return absentCount() > absentBefore; }));
    mouse.Plug();
    const std::vector<std::uint8_t> stage6{2, 0, 6, 0};
    EXPECT_TRUE(Eventually([&] {
        mouse.SendInputReport(stage6);  // until the agent has the new handles
        return Holds(CompanionLines(), "MSG_UI_DPI_CHANGED wParam=0x0 lParam=0x5");
    }));
    EXPECT_EQ(Setting(profile, u"DPI_Cur"), 6);

    // Closed as the system closes it, the agent tells the stand-in, closes the on-screen
    // display's window (which the close then destroys), and ends with 0.
    OsdWindow osd;
    EXPECT_TRUE(windows.Post(windows.FindTopLevelWindow(kAgentWindowTitle), kWmClose, 0, 0));
    EXPECT_EQ(agent.WaitForExit(kLimit), 0u);
    EXPECT_TRUE(CompanionReceived("WM_COMMAND wParam=0xFFFFFFFF lParam=0x0"));
    EXPECT_EQ(osd.HandedOnceGone(kLimit),
              (std::vector<Handed>{{kWmDestroy, 0, 0}, {kWmClose, 0, 0}, {kWmDestroy, 0, 0}}));
    const Texts lines = CompanionLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Gaming.exe started"), 1);
}

TEST_F(WindowsAgentTest, WithoutTheMouseWritesTheDefaultsAndDeviceZeroAndStartsNoCompanion) {
    mouse.Unplug();
    channel.Mark();
    testing::ChildProcess agent(kAgent);
    ASSERT_TRUE(DebugShows("OnCreate over"));
    EXPECT_EQ(channel.TextsSinceMark(), kStartUpLines);  // the pointer settings all the same
    ExpectPointerValues({"0", "0", "0", "680", "3"});

    // The settings file holds the default settings, every key of a new file, and Device 0.
    SettingData inFile{};
    ReadAllSettings(files, inFile, settingsPath);
    EXPECT_EQ(inFile, DefaultSettings());
    EXPECT_EQ(Setting(kSettingSection, kDeviceKey), 0);
    const std::u16string fresh = folder.File(u"GamingMouse");
    SettingData working, applied;
    ProfileData current;
    LoadSettings(files, fresh, working, applied, current);
    WriteDeviceFlag(files, fresh, 0);
    EXPECT_EQ(test::ReadFileBytes(PathFromUtf16(settingsPath)),
              test::ReadFileBytes(PathFromUtf16(fresh)));
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
