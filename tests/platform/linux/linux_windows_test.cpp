#include "platform/linux/linux_windows.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "platform/linux/message_datagram.h"
#include "platform/linux/runtime_folder.h"
#include "platform/linux/testing/test_channels.h"
#include "platform/linux/testing/test_processes.h"
#include "support/temp_folder.h"

namespace t47 {
namespace {

namespace fs = std::filesystem;

constexpr std::u16string_view kAgent = u"Norvane_T47_Hid";

class RecordingProcedure final : public WindowProcedure {
  public:
    std::optional<LParam> HandleMessage(WindowHandle window, MessageId id, WParam wParam,
                                        LParam lParam) override {
        got.push_back({id, wParam, lParam});
        return reply ? reply(window, id) : std::nullopt;
    }

    std::vector<PostedMessage> got;
    std::function<std::optional<LParam>(WindowHandle, MessageId)> reply;
};

class LinuxWindowsTest : public ::testing::Test {
  protected:
    fs::path SocketOf(std::u16string_view title) const {
        return runtime / RuntimeFileName(title, ".window");
    }
    // Closes the window with the default processing and runs the loop until it is gone.
    int CloseAndRun(WindowHandle window) {
        windows.Post(window, kWmClose, 0, 0);
        return windows.RunMessageLoop(window);
    }

    test::TempFolder folder;
    fs::path runtime = folder / "run";
    LinuxWindows windows{runtime};
    RecordingProcedure agent;
};

TEST(MessageDatagram, CarriesFullWidthValuesAndRefusesOtherSizes) {
    const PostedMessage messages[] = {
        {0x500, 3, 0},
        {0x111, 0xFFFFFFFF, 0},
        {0xFFFFFFFF, std::numeric_limits<WParam>::max(), std::numeric_limits<LParam>::min()},
        {0x915, 0x917, -1},
    };
    for (const PostedMessage& message : messages) {
        const auto bytes = EncodeMessageDatagram(message);
        EXPECT_EQ(DecodeMessageDatagram(bytes), message);
    }
    const auto bytes = EncodeMessageDatagram({0x0A0B0C0D, 0x1122, -2});
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 8),
              (std::vector<std::uint8_t>{0x0D, 0x0C, 0x0B, 0x0A, 0x22, 0x11, 0, 0}));
    EXPECT_EQ(bytes[12], 0xFE);
    EXPECT_EQ(bytes[19], 0xFF);
    EXPECT_FALSE(DecodeMessageDatagram(std::span(bytes).first(19)));
    EXPECT_FALSE(DecodeMessageDatagram(std::vector<std::uint8_t>(21)));
}

TEST_F(LinuxWindowsTest, MessagesFromAnotherProcessReachTheProcedureInOrder) {
    const WindowHandle window = windows.CreateHiddenWindow(kAgent, agent);
    ASSERT_NE(window, kNoWindow);
    const PostedMessage sent[] = {
        {0x500, 3, 0},
        {0x4FF, std::numeric_limits<WParam>::max(), std::numeric_limits<LParam>::min()},
        {0x111, 0xFFFFFFFF, -1},
    };
    EXPECT_EQ(test::RunInChildProcess([&] {
                  LinuxWindows other(runtime);
                  const WindowHandle found = other.FindTopLevelWindow(kAgent);
                  bool posted = found != kNoWindow;
                  for (const PostedMessage& m : sent) {
                      posted = other.Post(found, m.id, m.wParam, m.lParam) && posted;
                  }
                  return posted && other.FindTopLevelWindow(u"Norvane T47") == kNoWindow &&
                         !other.Post(kNoWindow, 0x4FF, 0, 0);
              }),
              0);
    EXPECT_EQ(windows.FindTopLevelWindow(kAgent), window);
    EXPECT_EQ(CloseAndRun(window), 0);
    EXPECT_EQ(
        agent.got,
        (std::vector<PostedMessage>{
            {kWmCreate, 0, 0}, sent[0], sent[1], sent[2], {kWmClose, 0, 0}, {kWmDestroy, 0, 0}}));
    EXPECT_FALSE(fs::exists(fs::symlink_status(SocketOf(kAgent))));
    EXPECT_EQ(windows.FindTopLevelWindow(kAgent), kNoWindow);
    EXPECT_FALSE(windows.Post(window, 0x4FF, 0, 0));
}

TEST_F(LinuxWindowsTest, OnlyTheUsersOwnProcessesReachAWindow) {
    const WindowHandle window = windows.CreateHiddenWindow(kAgent, agent);
    ASSERT_NE(window, kNoWindow);
    EXPECT_EQ(fs::status(runtime).permissions(), fs::perms::owner_all);
    EXPECT_EQ(fs::status(SocketOf(kAgent)).permissions(),
              fs::perms::owner_read | fs::perms::owner_write);

    // Not a message: a datagram of another size.
    const std::uint8_t junk[] = "not a message";
    EXPECT_TRUE(test::SendDatagram(SocketOf(kAgent), junk));
    if (test::RunningAsRoot()) {
        const auto datagram = EncodeMessageDatagram({0x4FF, 66, 66});
        // Another user that got hold of the socket (here: connected before giving up root)
        // sends a message; the window drops it.
        EXPECT_EQ(test::RunInChildProcess([&] {
                      test::DatagramSender sender(SocketOf(kAgent));
                      return sender.Connected() && test::BecomeNobody() && sender.Send(datagram);
                  }),
                  0);
        // Nor can another user find the window or post to it by its name.
        EXPECT_EQ(test::RunInChildProcess([&] {
                      if (!test::BecomeNobody()) {
                          return false;
                      }
                      LinuxWindows other(runtime);
                      return other.FindTopLevelWindow(kAgent) == kNoWindow &&
                             !test::SendDatagram(SocketOf(kAgent), datagram);
                  }),
                  0);
    }
    windows.Post(window, 0x4FF, 1, 2);
    EXPECT_EQ(CloseAndRun(window), 0);
    EXPECT_EQ(agent.got,
              (std::vector<PostedMessage>{
                  {kWmCreate, 0, 0}, {0x4FF, 1, 2}, {kWmClose, 0, 0}, {kWmDestroy, 0, 0}}));
    if (!test::RunningAsRoot()) {
        GTEST_SKIP() << "datagrams from another user need root to set up";
    }
}

TEST_F(LinuxWindowsTest, AMissingWindowIsNotFoundAndPostsToItAreDropped) {
    LinuxWindows other(runtime);
    EXPECT_EQ(other.FindTopLevelWindow(u"Norvane T47"), kNoWindow);
    EXPECT_FALSE(other.Post(kNoWindow, 0x4FF, 0, 0));
    EXPECT_FALSE(other.Post(WindowHandle{999}, 0x4FF, 0, 0));

    // A socket left behind by a program that died: nobody listens, so no window.
    ASSERT_TRUE(EnsurePrivateFolder(runtime));
    ASSERT_TRUE(test::LeaveDeadSocket(SocketOf(u"Norvane T47")));
    EXPECT_EQ(other.FindTopLevelWindow(u"Norvane T47"), kNoWindow);

    // A window that comes and goes: a handle found before it went reaches nothing later.
    RecordingProcedure first, second;
    const WindowHandle companion = windows.CreateHiddenWindow(u"Norvane T47", first);
    ASSERT_NE(companion, kNoWindow);
    const WindowHandle found = other.FindTopLevelWindow(u"Norvane T47");
    ASSERT_NE(found, kNoWindow);
    EXPECT_EQ(CloseAndRun(companion), 0);
    EXPECT_FALSE(other.Post(found, 0x506, 1, 2));
    EXPECT_EQ(other.FindTopLevelWindow(u"Norvane T47"), kNoWindow);
    const WindowHandle again = windows.CreateHiddenWindow(u"Norvane T47", second);
    const WindowHandle foundAgain = other.FindTopLevelWindow(u"Norvane T47");
    ASSERT_NE(foundAgain, kNoWindow);
    EXPECT_TRUE(other.Post(foundAgain, 0x506, 3, 4));

    // A full queue refuses posts at once rather than blocking the poster.
    int accepted = 1;
    while (accepted < 100000 && other.Post(foundAgain, 0x506, 5, accepted)) {
        ++accepted;
    }
    EXPECT_LT(accepted, 100000);
    second.reply = [&](WindowHandle, MessageId id) -> std::optional<LParam> {
        if (id == 0x506 && second.got.size() == static_cast<std::size_t>(accepted) + 1) {
            windows.Post(again, kWmClose, 0, 0);  // room again
        }
        return std::nullopt;
    };
    EXPECT_EQ(windows.RunMessageLoop(again), 0);
    ASSERT_EQ(second.got.size(), static_cast<std::size_t>(accepted) + 3);
    EXPECT_EQ(second.got[1], (PostedMessage{0x506, 3, 4}));
    EXPECT_EQ(second.got[static_cast<std::size_t>(accepted)],
              (PostedMessage{0x506, 5, accepted - 1}));
}

TEST_F(LinuxWindowsTest, WindowLifecycle) {
    // A creation refused in kWmCreate leaves nothing behind.
    RecordingProcedure refusing;
    refusing.reply = [](WindowHandle, MessageId id) -> std::optional<LParam> {
        return id == kWmCreate ? std::optional<LParam>(-1) : std::nullopt;
    };
    EXPECT_EQ(windows.CreateHiddenWindow(kAgent, refusing), kNoWindow);
    EXPECT_EQ(refusing.got, (std::vector<PostedMessage>{{kWmCreate, 0, 0}}));
    EXPECT_FALSE(fs::exists(fs::symlink_status(SocketOf(kAgent))));

    // While kWmCreate runs the window can be found and posted to.
    agent.reply = [&](WindowHandle window, MessageId id) -> std::optional<LParam> {
        if (id == kWmCreate) {
            EXPECT_EQ(windows.FindTopLevelWindow(kAgent), window);
            EXPECT_TRUE(windows.Post(window, 0x500, 2, 0));
            return 0;
        }
        return id == kWmClose && agent.got.size() == 3 ? std::optional<LParam>(0) : std::nullopt;
    };
    const WindowHandle main = windows.CreateHiddenWindow(kAgent, agent);
    ASSERT_NE(main, kNoWindow);
    RecordingProcedure otherProcedure;
    EXPECT_EQ(windows.CreateHiddenWindow(kAgent, otherProcedure), kNoWindow);  // name taken
    EXPECT_TRUE(otherProcedure.got.empty());

    // Titles of any text are windows of their own; a renamed window keeps its handle.
    RecordingProcedure osd;
    const WindowHandle osdWindow = windows.CreateHiddenWindow(u"OSD/Main \u00E9..", osd);
    ASSERT_NE(osdWindow, kNoWindow);
    EXPECT_EQ(SocketOf(u"OSD/Main \u00E9..").parent_path(), runtime);
    EXPECT_TRUE(fs::is_socket(SocketOf(u"OSD/Main \u00E9..")));
    windows.SetTitle(osdWindow, kAgent);  // a live window has that title: no change
    EXPECT_EQ(windows.FindTopLevelWindow(u"OSD/Main \u00E9.."), osdWindow);
    windows.SetTitle(osdWindow, u"OSDMain");
    EXPECT_EQ(windows.FindTopLevelWindow(u"OSD/Main \u00E9.."), kNoWindow);
    EXPECT_EQ(windows.FindTopLevelWindow(u"OSDMain"), osdWindow);

    // Closing another window leaves the loop running; a close the procedure handles destroys
    // nothing; the default processing of the next destroys the main window and ends the loop.
    windows.Post(osdWindow, kWmClose, 0, 0);
    windows.Post(main, kWmClose, 0, 0);
    windows.Post(main, kWmClose, 0, 0);
    EXPECT_EQ(windows.RunMessageLoop(main), 0);
    EXPECT_EQ(agent.got, (std::vector<PostedMessage>{{kWmCreate, 0, 0},
                                                     {0x500, 2, 0},
                                                     {kWmClose, 0, 0},
                                                     {kWmClose, 0, 0},
                                                     {kWmDestroy, 0, 0}}));
    EXPECT_EQ(osd.got.back(), (PostedMessage{kWmDestroy, 0, 0}));
    EXPECT_EQ(windows.FindTopLevelWindow(u"OSDMain"), kNoWindow);
    EXPECT_EQ(windows.RunMessageLoop(main), 0);  // gone already

    EXPECT_EQ(windows.OsMajorVersion(), 10u);
    EXPECT_FALSE(windows.RegisterSessionNotices(main));
}

TEST_F(LinuxWindowsTest, NoWindowInAFolderOthersCanReach) {
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    EXPECT_EQ(windows.CreateHiddenWindow(kAgent, agent), kNoWindow);
    EXPECT_TRUE(agent.got.empty());
}

}  // namespace
}  // namespace t47
