// The Windows services of the platform boundary under Wine, each observed through other
// functions of the system than the one under test (src/platform/win32/testing), and from a
// second process (win32_service_probe) where it concerns others.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <future>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/text_encoding.h"
#include "platform/win32/testing/child_process.h"
#include "platform/win32/testing/system_readback.h"
#include "platform/win32/testing/window_probe.h"
#include "platform/win32/testing/wine_debug_channel.h"
#include "platform/win32/win32_platform.h"
#include "support/temp_folder.h"

namespace t47 {
namespace {

using namespace std::chrono_literals;

// Generous: every wait here ends far sooner unless something is broken.
constexpr auto kLimit = 20s;
constexpr char16_t kProbeTitle[] = u"T47 service probe";
const std::filesystem::path kProbe = T47_SERVICE_PROBE;

struct Handed {
    MessageId id = 0;
    WParam wParam = 0;
    LParam lParam = 0;

    friend bool operator==(const Handed&, const Handed&) = default;
};

// Records every message it is handed; answers those in `answers`, leaves the others to the
// default processing.
class RecordingProcedure final : public WindowProcedure {
  public:
    std::optional<LParam> HandleMessage(WindowHandle, MessageId id, WParam wParam,
                                        LParam lParam) override {
        handed.push_back({id, wParam, lParam});
        const auto answer = answers.find(id);
        return answer != answers.end() ? std::optional(answer->second) : std::nullopt;
    }

    std::vector<MessageId> Ids(std::initializer_list<MessageId> ids) const {
        std::vector<MessageId> found;
        for (const Handed& h : Only(ids)) {
            found.push_back(h.id);
        }
        return found;
    }

    // The messages among `ids` that were handed over, in order.
    std::vector<Handed> Only(std::initializer_list<MessageId> ids) const {
        std::vector<Handed> found;
        std::copy_if(handed.begin(), handed.end(), std::back_inserter(found), [&](const Handed& h) {
            return std::find(ids.begin(), ids.end(), h.id) != ids.end();
        });
        return found;
    }

    std::map<MessageId, LParam> answers;
    std::vector<Handed> handed;
};

class Win32ServicesTest : public ::testing::Test {
  protected:
    // Closes the window and runs its loop until it is gone; the loop's exit code.
    int CloseAndRun(WindowHandle window) {
        windows.Post(window, kWmClose, 0, 0);
        return windows.RunMessageLoop(window);
    }

    Win32Windows windows;
    Win32Shell shell;
};

TEST_F(Win32ServicesTest, CreatesAHiddenPopupThatOthersFindByTitleAndItsLoopEndsWhenItGoes) {
    RecordingProcedure procedure;
    const WindowHandle window = windows.CreateHiddenWindow(u"T47 window \u00e4", procedure);
    ASSERT_NE(window, kNoWindow);
    // Creation was handed over during the call.
    EXPECT_EQ(procedure.Ids({kWmCreate, kWmDestroy}), std::vector<MessageId>{kWmCreate});

    std::optional<testing::WindowFacts> facts = testing::FactsOf(window);
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->title, u"T47 window \u00e4");
    // WS_POPUP, not WS_CHILD, WS_VISIBLE or WS_CAPTION.
    EXPECT_EQ(facts->style & 0xD0C00000u, 0x80000000u);
    EXPECT_FALSE(facts->visible);
    EXPECT_TRUE(facts->topLevel);
    EXPECT_EQ(facts->extendedStyle, 0u);
    EXPECT_EQ((std::vector{facts->x, facts->y, facts->width, facts->height}),
              (std::vector{100, 100, 100, 100}));
    EXPECT_EQ(windows.FindTopLevelWindow(u"T47 window \u00e4"), window);
    EXPECT_EQ(windows.FindTopLevelWindow(u"T47 window nobody made"), kNoWindow);

    windows.SetTitle(window, u"T47 window renamed");
    windows.SetToolWindowStyle(window);
    facts = testing::FactsOf(window);
    EXPECT_EQ(facts->title, u"T47 window renamed");
    EXPECT_EQ(facts->extendedStyle, 0x80u);  // WS_EX_TOOLWINDOW
    EXPECT_EQ(windows.FindTopLevelWindow(u"T47 window renamed"), window);
    EXPECT_EQ(windows.FindTopLevelWindow(u"T47 window \u00e4"), kNoWindow);

    // Wine presents itself as Windows 7 or later.
    EXPECT_GE(windows.OsMajorVersion(), 6u);
    EXPECT_TRUE(windows.RegisterSessionNotices(window));
    windows.UnregisterSessionNotices(window);

    EXPECT_EQ(CloseAndRun(window), 0);
    EXPECT_EQ(procedure.Only({kWmClose, kWmDestroy}),
              (std::vector<Handed>{{kWmClose, 0, 0}, {kWmDestroy, 0, 0}}));
    EXPECT_FALSE(testing::FactsOf(window));
    EXPECT_FALSE(windows.Post(window, 0x400, 0, 0));
    EXPECT_EQ(windows.RunMessageLoop(window), 0);  // at once: it is gone
}

TEST_F(Win32ServicesTest, ARefusedCreationLeavesNoWindowAndHandsNothingMoreOver) {
    RecordingProcedure procedure;
    procedure.answers[kWmCreate] = -1;
    EXPECT_EQ(windows.CreateHiddenWindow(u"T47 refused window", procedure), kNoWindow);
    EXPECT_EQ(procedure.handed.back().id, kWmCreate);
    EXPECT_EQ(windows.FindTopLevelWindow(u"T47 refused window"), kNoWindow);
    EXPECT_EQ(windows.RunMessageLoop(kNoWindow), 0);
    EXPECT_FALSE(windows.Post(kNoWindow, 0x400, 0, 0));  // not the thread's own queue
}

TEST_F(Win32ServicesTest, PostedMessagesArriveInOrderExactlyFromAnyThreadAndOtherWindows) {
    RecordingProcedure mainProcedure;
    RecordingProcedure otherProcedure;
    const WindowHandle main = windows.CreateHiddenWindow(u"T47 main window", mainProcedure);
    const WindowHandle other = windows.CreateHiddenWindow(u"T47 other window", otherProcedure);
    ASSERT_NE(main, kNoWindow);
    ASSERT_NE(other, kNoWindow);

    const std::vector<Handed> posts = {
        {0x4FF, 0, 0}, {0x500, 5, 0}, {0x506, 0xFFFFFFFF, -1}, {0x915, 0x917, 0x7FFFFFFF}};
    for (const Handed& post : posts) {
        // From another thread, each after the one before, found by title as the agent does.
        std::async(std::launch::async, [&] {
            EXPECT_TRUE(windows.Post(windows.FindTopLevelWindow(u"T47 main window"), post.id,
                                     post.wParam, post.lParam));
        }).get();
    }
    EXPECT_TRUE(windows.Post(other, 0x501, 1, 2));
    // The shell's restart notice reaches the procedure by the number the agent knows it by; a
    // message that only has that number does not.
    EXPECT_TRUE(windows.Post(main, testing::ShellRestartNotice(), 0, 0));
    EXPECT_TRUE(windows.Post(main, kShellRestartedMessage, 3, 3));

    EXPECT_EQ(CloseAndRun(main), 0);
    std::vector<Handed> expected = posts;
    expected.push_back({kShellRestartedMessage, 0, 0});
    EXPECT_EQ(mainProcedure.Only({0x4FF, 0x500, 0x506, 0x915, kShellRestartedMessage}), expected);
    // The loop handed the other window its message too, and that window stays.
    EXPECT_EQ(otherProcedure.Only({0x501}), (std::vector<Handed>{{0x501, 1, 2}}));
    EXPECT_EQ(windows.FindTopLevelWindow(u"T47 other window"), other);
    EXPECT_EQ(CloseAndRun(other), 0);
}

TEST_F(Win32ServicesTest, ThePopupMenuShowsItsEntriesAndPostsTheChosenOneToItsOwner) {
    RecordingProcedure procedure;
    const WindowHandle window = windows.CreateHiddenWindow(u"T47 menu owner", procedure);
    ASSERT_NE(window, kNoWindow);
    const MenuEntry entries[] = {{6001, u"Otev\u0159\u00edt Norvane T47"}, {6002, u""}};
    auto chooser = std::async(std::launch::async, [] {
        return testing::ChooseFromPopupMenu(
            1, std::chrono::duration_cast<std::chrono::milliseconds>(kLimit));
    });
    shell.BringToForeground(window);
    shell.ShowPopupMenu(window, entries);  // returns once the entry is chosen
    const auto items = chooser.get();
    ASSERT_TRUE(items);
    EXPECT_EQ(*items, (std::vector<testing::MenuItemFacts>{
                          {6001, u"Otev\u0159\u00edt Norvane T47", true}, {6002, u"", true}}));
    EXPECT_EQ(CloseAndRun(window), 0);
    EXPECT_EQ(procedure.Only({kWmCommand}), (std::vector<Handed>{{kWmCommand, 6002, 0}}));
}

TEST_F(Win32ServicesTest, FoldersAndProgramsOfTheShell) {
    const std::optional<std::u16string> applicationData = shell.ApplicationDataFolder();
    ASSERT_TRUE(applicationData);
    EXPECT_TRUE(applicationData->ends_with(u"\\AppData\\Roaming"))
        << Utf8FromUtf16(*applicationData);
    EXPECT_TRUE(std::filesystem::is_directory(PathFromUtf16(*applicationData)));
    // With backslashes, however the program was started.
    const test::TempFolder folder;
    const std::string testFolder =
        std::filesystem::path(T47_TEST_PROGRAM_DIR).make_preferred().string();
    EXPECT_EQ(Utf8FromUtf16(shell.ExecutableFolder()), testFolder);
    for (std::filesystem::path probe : {kProbe, std::filesystem::path(kProbe).make_preferred()}) {
        testing::ChildProcess(probe, {u"folder", Utf16FromPath(folder / "folder")})
            .WaitForExit(kLimit);
        EXPECT_EQ(test::ReadFileBytes(folder / "folder"), testFolder) << probe.string();
    }

    const std::u16string nested = folder.File(u"a\\b\\c");
    EXPECT_TRUE(shell.CreateFolder(nested));
    EXPECT_TRUE(std::filesystem::is_directory(PathFromUtf16(nested)));
    EXPECT_TRUE(shell.CreateFolder(nested));  // already there
    test::WriteFileBytes(folder / "file", "x");
    EXPECT_FALSE(shell.CreateFolder(folder.File(u"file")));
    EXPECT_FALSE(shell.CreateFolder(u""));

    // A program opened as the user would; its window is found and closed from here.
    shell.OpenProgram(Utf16FromPath(kProbe));
    ASSERT_TRUE(testing::WaitForWindow(kProbeTitle, true, kLimit));
    EXPECT_TRUE(windows.Post(windows.FindTopLevelWindow(kProbeTitle), kWmClose, 0, 0));
    EXPECT_TRUE(testing::WaitForWindow(kProbeTitle, false, kLimit));
}

TEST_F(Win32ServicesTest, TheMutexIsSeenByASecondProcessUntilItsLastHandleCloses) {
    Win32Process process;
    const std::string name = "T47 test mutex " + std::to_string(std::random_device{}());
    const std::u16string name16(name.begin(), name.end());
    const auto probeSees = [&] {
        testing::ChildProcess probe(kProbe, {u"mutex", name16});
        return probe.WaitForExit(kLimit);
    };

    const NamedMutex first = process.CreateNamedMutex(name16);
    EXPECT_NE(first.handle, kNoMutex);
    EXPECT_FALSE(first.alreadyExisted);
    const NamedMutex second = process.CreateNamedMutex(name16);
    EXPECT_TRUE(second.alreadyExisted);
    EXPECT_EQ(probeSees(), 1u);

    process.CloseMutex(first.handle);
    EXPECT_EQ(probeSees(), 1u);  // `second` still holds it
    process.CloseMutex(second.handle);
    EXPECT_EQ(probeSees(), 0u);
    process.CloseMutex(kNoMutex);  // nothing to close
}

TEST_F(Win32ServicesTest, RegistryValuesReadBackWithTheirExactBytes) {
    const std::u16string parent = u"Software\\Norvane\\T47 tests";
    const std::u16string path = parent + u"\\Mouse";
    testing::DeleteRegistryTree(RegistryRoot::kCurrentUser, parent);
    Win32Registry registry;

    EXPECT_EQ(registry.OpenKey(RegistryRoot::kCurrentUser, path, kKeyAllAccess), kNoRegistryKey);
    const RegistryKey created =
        registry.CreateKey(RegistryRoot::kCurrentUser, path);  // parents too
    ASSERT_NE(created, kNoRegistryKey);
    registry.CloseKey(created);
    const RegistryKey key = registry.OpenKey(RegistryRoot::kCurrentUser, path, kKeyAllAccess);
    ASSERT_NE(key, kNoRegistryKey);

    struct Case {
        std::u16string name;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {u"MouseThreshold2", {'1', 0, '0', 0, 0, 0}},  // "10" with its terminating zero
        {u"DoubleClickSpeed", {'6', 0, '8', 0, '0', 0, 0, 0}},
        {u"My\u0161", {0x61, 0x01, 0, 0}},  // names and text beyond ASCII
        {u"Empty", {0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(registry.SetValue(key, c.name, kRegSz, c.bytes)) << Utf8FromUtf16(c.name);
        EXPECT_EQ(testing::ReadRegistryValue(RegistryRoot::kCurrentUser, path, c.name),
                  (testing::RegistryValue{kRegSz, c.bytes}))
            << Utf8FromUtf16(c.name);
    }
    registry.CloseKey(key);

    const RegistryKey readOnly = registry.OpenKey(RegistryRoot::kCurrentUser, path, kKeyRead);
    ASSERT_NE(readOnly, kNoRegistryKey);
    EXPECT_FALSE(registry.SetValue(readOnly, u"Refused", kRegSz, cases[0].bytes));
    registry.CloseKey(readOnly);
    EXPECT_FALSE(registry.SetValue(kNoRegistryKey, u"Refused", kRegSz, cases[0].bytes));
    EXPECT_FALSE(testing::ReadRegistryValue(RegistryRoot::kCurrentUser, path, u"Refused"));
    testing::DeleteRegistryTree(RegistryRoot::kCurrentUser, parent);
    EXPECT_FALSE(testing::RegistryKeyExists(RegistryRoot::kCurrentUser, parent));
}

TEST_F(Win32ServicesTest, PointerSettingsReadBackFromTheSystem) {
    const testing::PointerSettings before = testing::ReadPointerSettings();
    Win32SystemParameters parameters;
    struct Case {
        std::uint32_t doubleClickTime;
        MouseAcceleration acceleration;
        std::uint32_t wheelLines;
    };
    for (const Case& c : {Case{680, {6, 10, 1}, 0xFFFFFFFF}, Case{200, {0, 0, 0}, 3}}) {
        EXPECT_TRUE(parameters.SetDoubleClickTime(c.doubleClickTime));
        EXPECT_TRUE(parameters.SetMouse(c.acceleration, kSpifSendChange));
        EXPECT_TRUE(parameters.SetWheelScrollLines(c.wheelLines, kSpifUpdateIniFile));
        EXPECT_EQ(testing::ReadPointerSettings(),
                  (testing::PointerSettings{c.doubleClickTime, c.acceleration, c.wheelLines}));
    }
    // Passed as Windows takes it, in the pointer argument's value. Wine 8 reads the integer
    // argument instead, so what it keeps is not checked here: only that the call is taken.
    EXPECT_TRUE(parameters.SetMouseSpeed(10, kSpifSendChange));
    testing::RestorePointerSettings(before);
}

TEST_F(Win32ServicesTest, DebugLinesShowOnWinesDebugChannelAndTheClockMoves) {
    testing::WineDebugChannel channel;
    Win32DebugOutput debug;
    debug.Write(u"T47 debug line \u4e2d\n");
    debug.Write(std::u16string_view(u"T47 cut\0here", 12));
    EXPECT_EQ(channel.TextsSinceMark(),
              (std::vector<std::string>{"T47 debug line ?\\n", "T47 cut"}));

    Win32Clock clock;
    const std::uint32_t start = clock.TickCount();
    clock.Sleep(50);
    EXPECT_NE(clock.TickCount(), start);
}

TEST(Win32PlatformTest, GathersTheWindowsServices) {
    Win32Platform platform;
    const PlatformServices services = platform.Services();
    EXPECT_TRUE(dynamic_cast<Win32ProfileFiles*>(&services.files));
    EXPECT_TRUE(dynamic_cast<Win32HidBus*>(&services.hid));
    EXPECT_TRUE(dynamic_cast<Win32Clock*>(&services.clock));
    EXPECT_TRUE(dynamic_cast<Win32DebugOutput*>(&services.debug));
    EXPECT_TRUE(dynamic_cast<Win32Windows*>(&services.messages));
    EXPECT_EQ(dynamic_cast<Win32Windows*>(&services.messages),
              dynamic_cast<Win32Windows*>(&services.windows));
    EXPECT_TRUE(dynamic_cast<Win32Shell*>(&services.shell));
    EXPECT_TRUE(dynamic_cast<Win32Process*>(&services.process));
    EXPECT_TRUE(dynamic_cast<Win32Registry*>(&services.registry));
    EXPECT_TRUE(dynamic_cast<Win32SystemParameters*>(&services.parameters));
}

}  // namespace
}  // namespace t47
