// The listener thread end to end: reports read from the simulated mouse become debugger lines
// and DPI notices posted to the agent window; reopening, unplugging and stopping never leave it
// stuck.

#include <gtest/gtest.h>

#include <thread>

#include "contract/companion_contract.h"
#include "device/device_world.h"

namespace t47::test {
namespace {

struct ListeningWorld : DeviceWorld {
    WindowHandle agent = windows.OpenWindow(kAgentWindowTitle);
    NoticeRegistration registration = kNoRegistration;
    std::int32_t started = -1;

    void StartListening() { started = link->StartListening(agent, registration); }

    // Waits until the listener has written `count` debugger lines, and gives them.
    std::vector<std::u16string> WaitForLines(std::size_t count) {
        const auto end = std::chrono::steady_clock::now() + kPatience;
        while (debug.Lines().size() < count && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return debug.Lines();
    }

    // Waits until `count` DPI notices have reached the agent window, and gives them.
    std::vector<PostedMessage> WaitForDpiNotices(std::size_t count) {
        const auto end = std::chrono::steady_clock::now() + kPatience;
        std::vector<PostedMessage> notices;
        do {
            notices.clear();
            for (const PostedMessage& message : windows.Received(agent)) {
                if (message.id == MSG_DEVICE_DPI) {
                    notices.push_back(message);
                }
            }
        } while (notices.size() < count && std::chrono::steady_clock::now() < end &&
                 (std::this_thread::sleep_for(std::chrono::milliseconds(1)), true));
        return notices;
    }
};

PostedMessage DpiNotice(WParam stage) {
    return {MSG_DEVICE_DPI, stage, 0};
}

TEST(InputReportListener, WritesEveryReportAndPostsOnlyDpiNotices) {
    ListeningWorld world;
    SimulatedMouse& mouse = world.bus.AttachMouse();
    world.StartListening();
    const std::vector<std::vector<std::uint8_t>> reports = {
        {0x02, 0x00, 0x03, 0x00}, {0x02, 0x00, 0x00, 0x00}, {0x02, 0x01, 0x03, 0x00},
        {0x02, 0x00, 0x03, 0x01}, {0x01, 0x00, 0x03, 0x00}, {0x02, 0x00, 0x07, 0x00}};
    for (const auto& report : reports) {
        mouse.SendInputReport(report);
    }
    EXPECT_EQ(world.WaitForLines(reports.size()),
              (std::vector<std::u16string>{
                  u"4: 02 00 03 00 00 00 00 00\n", u"4: 02 00 00 00 00 00 00 00\n",
                  u"4: 02 01 03 00 00 00 00 00\n", u"4: 02 00 03 01 00 00 00 00\n",
                  u"4: 01 00 03 00 00 00 00 00\n", u"4: 02 00 07 00 00 00 00 00\n"}));
    EXPECT_EQ(world.WaitForDpiNotices(2), (std::vector<PostedMessage>{DpiNotice(3), DpiNotice(7)}));
}

TEST(InputReportListener, PassesOnTheDpiButtonOfTheMouse) {
    ListeningWorld world;
    SimulatedMouse& mouse = world.bus.AttachMouse();
    world.StartListening();
    EXPECT_EQ(world.started, 1);
    mouse.PressDpiButton();  // the default profile's stage 3 becomes 4
    mouse.PressDpiButton();
    EXPECT_EQ(world.WaitForDpiNotices(2), (std::vector<PostedMessage>{DpiNotice(4), DpiNotice(5)}));
    EXPECT_EQ(mouse.StoredReport(3)[1], 5);
}

TEST(InputReportListener, TakesTheNewHandleAfterAReopenUnderAPendingRead) {
    ListeningWorld world;
    SimulatedMouse& mouse = world.bus.AttachMouse();
    world.StartListening();
    const HidHandle first = world.link->InputHandle();
    ASSERT_TRUE(world.bus.WaitForPendingRead(first, kPatience));

    ASSERT_EQ(world.link->OpenDevice(40), 1);  // closes the handle under the read
    const HidHandle second = world.link->InputHandle();
    ASSERT_NE(second, first);
    ASSERT_TRUE(world.bus.WaitForPendingRead(second, kPatience));
    mouse.PressDpiButton();
    EXPECT_EQ(world.WaitForDpiNotices(1), std::vector<PostedMessage>{DpiNotice(4)});
    EXPECT_EQ(world.debug.Lines().size(), 1u) << "the ended read is no report";
    EXPECT_TRUE(world.bus.Misuses().empty());
}

TEST(InputReportListener, WaitsOnADeadHandleForTheNextOneAndResumesInTheSameThread) {
    ListeningWorld world;
    SimulatedMouse& mouse = world.bus.AttachMouse();
    world.StartListening();
    const std::thread::id listener = world.link->ListenerId();
    ASSERT_TRUE(world.bus.WaitForPendingRead(world.link->InputHandle(), kPatience));

    mouse.Unplug();          // every read on the handle now fails at once
    mouse.PressDpiButton();  // nobody hears it
    const auto end = std::chrono::steady_clock::now() + kPatience;
    while (world.bus.PendingReadCount() != 0 && std::chrono::steady_clock::now() < end) {
        std::this_thread::yield();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // time to fail reads, if it did
    EXPECT_EQ(world.bus.PendingReadCount(), 0u);
    EXPECT_EQ(world.clock.OtherThreadSleepCount(), 0u)
        << "no read is tried again on the dead handle, 10 ms apart or otherwise";
    EXPECT_EQ(world.link->OpenDevice(40), 0);

    mouse.PlugIn();
    EXPECT_EQ(world.link->OpenDevice(40), 1);  // as the agent does on the device notice
    ASSERT_TRUE(world.bus.WaitForPendingRead(world.link->InputHandle(), kPatience));
    mouse.PressDpiButton();
    EXPECT_EQ(world.WaitForDpiNotices(1), std::vector<PostedMessage>{DpiNotice(4)});
    EXPECT_EQ(world.link->ListenerId(), listener) << "the same thread, no new one";
}

TEST(InputReportListener, StartsWithoutAMouseAndHearsOneThatArrivesLater) {
    ListeningWorld world;
    world.StartListening();
    EXPECT_EQ(world.started, 1) << "the notice registration alone decides";
    EXPECT_NE(world.registration, kNoRegistration);
    EXPECT_TRUE(world.link->IsListening());

    SimulatedMouse& mouse = world.bus.AttachMouse(SimulatedMouse::Setup{.pluggedIn = false});
    mouse.PlugIn();
    // One arrival notice per interface reaches the registered window.
    const auto notices = world.windows.WaitForReceived(world.agent, 4, kPatience);
    EXPECT_EQ(notices, std::vector<PostedMessage>(4, {kWmDeviceChange, 0x8000, 0}));
    EXPECT_EQ(world.clock.OtherThreadSleepCount(), 0u)
        << "without an input handle the listener waits for one, without pausing again and again";

    world.link->OpenDevice(40);
    mouse.PressDpiButton();
    EXPECT_EQ(world.WaitForDpiNotices(1), std::vector<PostedMessage>{DpiNotice(4)});
}

TEST(InputReportListener, StopsWhileWaitingForAnInputHandle) {
    ListeningWorld world;
    world.StartListening();
    ASSERT_TRUE(world.link->IsListening());
    world.link.reset();  // returns only once the thread has ended
    EXPECT_EQ(world.clock.OtherThreadSleepCount(), 0u);
    EXPECT_TRUE(world.bus.Misuses().empty());
}

TEST(InputReportListener, StopsUnderAPendingReadBeforeTheHandlesClose) {
    ListeningWorld world;
    world.bus.AttachMouse();
    world.StartListening();
    ASSERT_TRUE(world.bus.WaitForPendingRead(world.link->InputHandle(), kPatience));
    world.link.reset();  // returns only once the thread has ended
    EXPECT_EQ(world.bus.PendingReadCount(), 0u);
    EXPECT_EQ(world.bus.OpenHandleCount(), 0u);
    EXPECT_TRUE(world.bus.Misuses().empty());
}

}  // namespace
}  // namespace t47::test
