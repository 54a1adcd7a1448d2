// The companion stand-in's logic over the in-memory windows: its log lines, its window's life
// and its requests.

#include "companion_stand_in.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <sstream>
#include <thread>

#include "contract/companion_contract.h"
#include "message_names.h"
#include "platform/memory/memory_windows.h"

namespace t47 {
namespace {

using namespace std::chrono_literals;

TEST(CompanionStandInTest, LinesNameTheMessageAndGiveItsParametersInHexadecimal) {
    struct Case {
        MessageId id;
        WParam wParam;
        LParam lParam;
        std::string line;
    };
    const Case cases[] = {
        {MSG_UI_DPI_CHANGED, 1, 4, "MSG_UI_DPI_CHANGED wParam=0x1 lParam=0x4"},
        {MSG_UI_DEVICE_STATE, DEVICE_STATE_ABSENT, 0,
         "MSG_UI_DEVICE_STATE wParam=0x917 lParam=0x0"},
        {MSG_UI_SETTINGS_READ, 0, 0, "MSG_UI_SETTINGS_READ wParam=0x0 lParam=0x0"},
        {kWmCommand, 0xFFFFFFFF, 0, "WM_COMMAND wParam=0xFFFFFFFF lParam=0x0"},
        {kShellRestartedMessage, 0, 0, "TaskbarCreated wParam=0x0 lParam=0x0"},
        {kWmDeviceChange, 7, 0, "WM_DEVICECHANGE wParam=0x7 lParam=0x0"},
        {0x7777, 2, -1, "0x7777 wParam=0x2 lParam=0xFFFFFFFFFFFFFFFF"},
        {0x0090, 0, 0, "0x0090 wParam=0x0 lParam=0x0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MessageLine(c.id, c.wParam, c.lParam), c.line);
    }
}

TEST(CompanionStandInTest, LogsEveryMessageOfItsWindowUntilItIsClosed) {
    MemoryWindows windows;
    std::ostringstream log;
    auto run = std::async(std::launch::async, [&] { return RunCompanionWindow(windows, log); });
    WindowHandle window = kNoWindow;
    for (int tries = 0; tries < 1000 && window == kNoWindow; ++tries) {
        std::this_thread::sleep_for(10ms);
        window = windows.FindTopLevelWindow(kCompanionWindowTitle);
    }
    ASSERT_NE(window, kNoWindow);
    windows.Post(window, MSG_UI_DPI_CHANGED, 0, 2);
    windows.Post(window, kWmClose, 0, 0);
    ASSERT_EQ(run.wait_for(20s), std::future_status::ready);
    EXPECT_EQ(run.get(), 0);
    EXPECT_EQ(log.str(),
              "Gaming.exe started\n"
              "WM_CREATE wParam=0x0 lParam=0x0\n"
              "MSG_UI_DPI_CHANGED wParam=0x0 lParam=0x2\n"
              "WM_CLOSE wParam=0x0 lParam=0x0\n"
              "WM_DESTROY wParam=0x0 lParam=0x0\n");
}

TEST(CompanionStandInTest, PostsEachRequestToItsWindowAndSaysWhenThereIsNone) {
    MemoryWindows windows;
    const char* requests[] = {"apply", "command", "close-agent", "quit"};
    for (const char* request : requests) {
        EXPECT_EQ(PostCompanionRequest(windows, request), kNoWindowToPostTo) << request;
    }
    const WindowHandle agent = windows.OpenWindow(kAgentWindowTitle);
    const WindowHandle companion = windows.OpenWindow(kCompanionWindowTitle);
    for (const char* request : requests) {
        EXPECT_EQ(PostCompanionRequest(windows, request), kPosted) << request;
    }
    EXPECT_EQ(windows.Received(agent),
              (std::vector<PostedMessage>{
                  {MSG_RELOAD_APPLY, 0, 0}, {MSG_DEVICE_COMMAND, 0, 0}, {kWmClose, 0, 0}}));
    EXPECT_EQ(windows.Received(companion), (std::vector<PostedMessage>{{kWmClose, 0, 0}}));
    EXPECT_EQ(PostCompanionRequest(windows, "stop"), kBadArguments);
    EXPECT_EQ(PostCompanionRequest(windows, ""), kBadArguments);
}

}  // namespace
}  // namespace t47
