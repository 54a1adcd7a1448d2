// The Windows services of the platform boundary under Wine, each observed through other
// functions of the system (src/platform/win32/testing), and from a second process
// (win32_service_probe) where it concerns others.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <future>
#include <map>
#include <random>
#include <string>
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
constexpr std::chrono::milliseconds kLimit = 20s;
const std::filesystem::path kProbe = T47_SERVICE_PROBE;

struct Handed {
    MessageId id = 0;
    WParam wParam = 0;
    LParam lParam = 0;

    friend bool operator==(const Handed&, const Handed&) = default;
};

// Records the messages among `watched` that it is handed; answers those in `answers`, leaves
// every message to the default processing otherwise.
class RecordingProcedure final : public WindowProcedure {
  public:
    explicit RecordingProcedure(std::vector<MessageId> watchedIds) : watched(watchedIds) {}

    std::optional<LParam> HandleMessage(WindowHandle, MessageId id, WParam wParam,
                                        LParam lParam) override {
        if (std::find(watched.begin(), watched.end(), id) != watched.end()) {
            handed.push_back({id, wParam, lParam});
        }
        const auto answer = answers.find(id);
        return answer != answers.end() ? std::optional(answer->second) : std::nullopt;
    }

    std::vector<MessageId> watched;
    std::map<MessageId, LParam> answers;
    std::vector<Handed> handed;
};

class Win32ServicesTest : public ::testing::Test {
  protected:
    // Closes the window as the system would, and runs the loop until it is gone.
    int CloseAndRun(WindowHandle window) {
        windows.Post(window, kWmClose, 0, 0);
        return windows.RunMessageLoop(window);
    }

    Win32Windows windows;
    Win32Shell shell;
    const test::TempFolder folder;
};

TEST_F(Win32ServicesTest, AHiddenPopupThatOthersFindByTitleAndWhoseLoopEndsWhenItGoes) {
    RecordingProcedure procedure({kWmCreate, kWmClose, kWmDestroy});
    const WindowHandle window = windows.CreateHiddenWindow(u"T47 window \u00e4", procedure);
    ASSERT_NE(window, kNoWindow);
    ASSERT_EQ(procedure.handed.size(), 1u);  // kWmCreate, during the call
    EXPECT_EQ(procedure.handed[0].id, kWmCreate);
    std::optional<testing::WindowFacts> facts = testing::FactsOf(window);
    ASSERT_TRUE(facts);
    // WS_POPUP, and not WS_CHILD, WS_VISIBLE or WS_CAPTION.
    EXPECT_EQ(facts->style & 0xD0C00000u, 0x80000000u);
    EXPECT_FALSE(facts->visible);
    EXPECT_EQ(facts->placement, (std::vector{100, 100, 100, 100}));
    EXPECT_EQ(facts->extendedStyle, 0u);
    EXPECT_EQ(windows.FindTopLevelWindow(u"T47 window \u00e4"), window);
    EXPECT_EQ(windows.FindTopLevelWindow(u"T47 window nobody made"), kNoWindow);

    windows.SetTitle(window, u"T47 window renamed");
    windows.SetToolWindowStyle(window);
    EXPECT_EQ(testing::FactsOf(window)->extendedStyle, 0x80u);  // WS_EX_TOOLWINDOW
    EXPECT_EQ(windows.FindTopLevelWindow(u"T47 window renamed"), window);
    EXPECT_EQ(windows.FindTopLevelWindow(u"T47 window \u00e4"), kNoWindow);
    EXPECT_GE(windows.OsMajorVersion(), 6u);  // Wine presents itself as Windows 7 or later
    EXPECT_TRUE(windows.RegisterSessionNotices(window));
    windows.UnregisterSessionNotices(window);

    EXPECT_EQ(CloseAndRun(window), 0);
    EXPECT_EQ(procedure.handed.back(), (Handed{kWmDestroy, 0, 0}));
    EXPECT_FALSE(testing::FactsOf(window));
    EXPECT_FALSE(windows.Post(window, 0x400, 0, 0));
    EXPECT_EQ(windows.RunMessageLoop(window), 0);  // at once: it is gone

    // A procedure that refuses the creation leaves no window and is handed nothing more.
    RecordingProcedure refusing({kWmCreate, kWmDestroy});
    refusing.answers[kWmCreate] = -1;
    EXPECT_EQ(windows.CreateHiddenWindow(u"T47 refused window", refusing), kNoWindow);
    EXPECT_EQ(refusing.handed.size(), 1u);
    EXPECT_EQ(windows.FindTopLevelWindow(u"T47 refused window"), kNoWindow);
    EXPECT_FALSE(windows.Post(kNoWindow, 0x400, 0, 0));  // not the thread's own queue
}

TEST_F(Win32ServicesTest, PostedMessagesArriveInOrderExactlyFromAnyThreadAndOtherWindows) {
    const std::vector<Handed> posts = {
        {0x4FF, 0, 0}, {0x500, 5, 0}, {0x506, 0xFFFFFFFF, -1}, {0x915, 0x917, 0x7FFFFFFF}};
    RecordingProcedure main({0x4FF, 0x500, 0x506, 0x915, kShellRestartedMessage});
    RecordingProcedure other({0x501});
    const WindowHandle mainWindow = windows.CreateHiddenWindow(u"T47 main window", main);
    const WindowHandle otherWindow = windows.CreateHiddenWindow(u"T47 other window", other);
    for (const Handed& post : posts) {
        // From another thread, found by title as the agent finds windows.
        std::async(std::launch::async, [&] {
            EXPECT_TRUE(windows.Post(windows.FindTopLevelWindow(u"T47 main window"), post.id,
                                     post.wParam, post.lParam));
        }).get();
    }
    EXPECT_TRUE(windows.Post(otherWindow, 0x501, 1, 2));
    // The shell's restart notice arrives by the number the agent knows it by; a message that
    // merely has that number does not.
    EXPECT_TRUE(windows.Post(mainWindow, testing::ShellRestartNotice(), 0, 0));
    EXPECT_TRUE(windows.Post(mainWindow, kShellRestartedMessage, 3, 3));

    EXPECT_EQ(CloseAndRun(mainWindow), 0);
    std::vector<Handed> expected = posts;
    expected.push_back({kShellRestartedMessage, 0, 0});
    EXPECT_EQ(main.handed, expected);
    EXPECT_EQ(other.handed, (std::vector<Handed>{{0x501, 1, 2}}));  // the loop served it too
    EXPECT_EQ(windows.FindTopLevelWindow(u"T47 other window"), otherWindow);
    EXPECT_EQ(CloseAndRun(otherWindow), 0);
}

TEST_F(Win32ServicesTest, ThePopupMenuShowsItsEntriesAndPostsTheChosenOneToItsOwner) {
    RecordingProcedure procedure({kWmCommand});
    const WindowHandle window = windows.CreateHiddenWindow(u"T47 menu owner", procedure);
    const MenuEntry entries[] = {{6001, u"Otev\u0159\u00edt Norvane T47"}, {6002, u""}};
    auto chooser =
        std::async(std::launch::async, [] { return testing::ChooseFromPopupMenu(1, kLimit); });
    shell.BringToForeground(window);
    shell.ShowPopupMenu(window, entries);  // returns once the entry is chosen
    EXPECT_EQ(chooser.get(),
              (std::vector<testing::MenuItemFacts>{{6001, u"Otev\u0159\u00edt Norvane T47", true},
                                                   {6002, u"", true}}));
    EXPECT_EQ(CloseAndRun(window), 0);
    EXPECT_EQ(procedure.handed, (std::vector<Handed>{{kWmCommand, 6002, 0}}));
}

TEST_F(Win32ServicesTest, FoldersAndProgramsOfTheShell) {
    const std::u16string applicationData = shell.ApplicationDataFolder().value_or(u"");
    EXPECT_TRUE(applicationData.ends_with(u"\\AppData\\Roaming"));
    EXPECT_TRUE(std::filesystem::is_directory(PathFromUtf16(applicationData)));

    // With backslashes, however the program was started.
    const std::string testFolder =
        std::filesystem::path(T47_TEST_PROGRAM_DIR).make_preferred().string();
    EXPECT_EQ(Utf8FromUtf16(shell.ExecutableFolder()), testFolder);
    for (const auto& probe : {kProbe, std::filesystem::path(kProbe).make_preferred()}) {
        testing::ChildProcess(probe, {u"folder", Utf16FromPath(folder / "f")}).WaitForExit(kLimit);
        EXPECT_EQ(test::ReadFileBytes(folder / "f"), testFolder) << probe.string();
    }

    const std::u16string nested = folder.File(u"a\\b\\c");
    EXPECT_TRUE(shell.CreateFolder(nested));
    EXPECT_TRUE(std::filesystem::is_directory(PathFromUtf16(nested)));
    EXPECT_TRUE(shell.CreateFolder(nested));              // already there
    EXPECT_FALSE(shell.CreateFolder(folder.File(u"f")));  // a file of that name
    EXPECT_FALSE(shell.CreateFolder(u""));

    // A program opened as the user would; its window is found and closed from here.
    shell.OpenProgram(Utf16FromPath(kProbe));
    ASSERT_TRUE(testing::WaitForWindow(u"T47 service probe", true, kLimit));
    EXPECT_TRUE(windows.Post(windows.FindTopLevelWindow(u"T47 service probe"), kWmClose, 0, 0));
    EXPECT_TRUE(testing::WaitForWindow(u"T47 service probe", false, kLimit));
}

TEST_F(Win32ServicesTest, TheMutexIsSeenByASecondProcessUntilItsLastHandleCloses) {
    Win32Process process;
    const std::string name = "T47 test mutex " + std::to_string(std::random_device{}());
    const std::u16string mutexName(name.begin(), name.end());
    const auto probeSees = [&] {
        return testing::ChildProcess(kProbe, {u"mutex", mutexName}).WaitForExit(kLimit);
    };
    const NamedMutex first = process.CreateNamedMutex(mutexName);
    EXPECT_NE(first.handle, kNoMutex);
    EXPECT_FALSE(first.alreadyExisted);
    const NamedMutex second = process.CreateNamedMutex(mutexName);
    EXPECT_TRUE(second.alreadyExisted);
    EXPECT_EQ(probeSees(), 1u);
    process.CloseMutex(first.handle);
    EXPECT_EQ(probeSees(), 1u);  // `second` still holds it
    process.CloseMutex(second.handle);
    EXPECT_EQ(probeSees(), 0u);
}

TEST_F(Win32ServicesTest, RegistryValuesReadBackWithTheirExactBytes) {
    const std::u16string parent = u"Software\\Norvane\\T47 tests";
    const std::u16string path = parent + u"\\Mouse";
    const auto root = RegistryRoot::kCurrentUser;
    testing::DeleteRegistryTree(root, parent);
    Win32Registry registry;
    EXPECT_EQ(registry.OpenKey(root, path, kKeyAllAccess), kNoRegistryKey);
    registry.CloseKey(registry.CreateKey(root, path));  // with its parents
    const RegistryKey key = registry.OpenKey(root, path, kKeyAllAccess);
    ASSERT_NE(key, kNoRegistryKey);

    const std::pair<std::u16string, std::vector<std::uint8_t>> values[] = {
        {u"MouseThreshold2", {'1', 0, '0', 0, 0, 0}},  // "10" with its terminating zero
        {u"My\u0161", {0x61, 0x01, 0, 0}},             // beyond ASCII
        {u"Empty", {0, 0}},
    };
    for (const auto& [name, bytes] : values) {
        EXPECT_TRUE(registry.SetValue(key, name, kRegSz, bytes));
        EXPECT_EQ(testing::ReadRegistryValue(root, path, name),
                  (testing::RegistryValue{kRegSz, bytes}));
    }
    registry.CloseKey(key);
    const RegistryKey readOnly = registry.OpenKey(root, path, kKeyRead);
    EXPECT_FALSE(registry.SetValue(readOnly, u"Refused", kRegSz, values[0].second));
    EXPECT_FALSE(registry.SetValue(kNoRegistryKey, u"Refused", kRegSz, values[0].second));
    EXPECT_FALSE(testing::ReadRegistryValue(root, path, u"Refused"));
    registry.CloseKey(readOnly);
    testing::DeleteRegistryTree(root, parent);
}

TEST_F(Win32ServicesTest, PointerSettingsReadBackFromTheSystem) {
    const testing::PointerSettings before = testing::ReadPointerSettings();
    Win32SystemParameters parameters;
    for (const testing::PointerSettings& c :
         {testing::PointerSettings{680, {6, 10, 1}, 0xFFFFFFFF}, {200, {0, 0, 0}, 3}}) {
        EXPECT_TRUE(parameters.SetDoubleClickTime(c.doubleClickTime));
        EXPECT_TRUE(parameters.SetMouse(c.acceleration, kSpifSendChange));
        EXPECT_TRUE(parameters.SetWheelScrollLines(c.wheelScrollLines, kSpifUpdateIniFile));
        EXPECT_EQ(testing::ReadPointerSettings(), c);
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

}  // namespace
}  // namespace t47
