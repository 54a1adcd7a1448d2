#include "platform/linux/linux_hid_bus.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <thread>
#include <tuple>

#include "platform/linux/attached_hid_nodes.h"
#include "platform/linux/hid_test_descriptors.h"
#include "platform/linux/hidraw_nodes.h"
#include "platform/linux/hidraw_test_tree.h"
#include "platform/linux/testing/fake_hidraw_nodes.h"
#include "platform/linux/testing/test_processes.h"
#include "platform/text_encoding.h"

namespace t47 {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

// Posts as the bus makes them, for a test to wait for.
class RecordingMessages final : public WindowMessages {
  public:
    struct Posted {
        WindowHandle window;
        MessageId id;
        WParam wParam;
        LParam lParam;
        friend bool operator==(const Posted&, const Posted&) = default;
    };

    WindowHandle FindTopLevelWindow(std::u16string_view) override { return kNoWindow; }
    bool Post(WindowHandle window, MessageId id, WParam wParam, LParam lParam) override {
        std::lock_guard lock(mutex);
        posts.push_back({window, id, wParam, lParam});
        posted.notify_all();
        return true;
    }
    // The posts once there are at least n (a generous wait, not a measurement).
    std::vector<Posted> WaitFor(std::size_t n) {
        std::unique_lock lock(mutex);
        posted.wait_for(lock, std::chrono::seconds(60), [&] { return posts.size() >= n; });
        return posts;
    }

  private:
    std::mutex mutex;
    std::condition_variable posted;
    std::vector<Posted> posts;
};

// A read on a thread of its own, to be ended from this one once it waits in the kernel.
class PendingRead {
  public:
    PendingRead(HidBus& bus, HidHandle handle, std::stop_token stop = {}) {
        thread = std::thread([this, &bus, handle, stop] {
            threadId = test::CurrentThreadId();
            result.set_value(bus.ReadInputReport(handle, buffer, stop));
        });
    }
    ~PendingRead() { thread.join(); }

    void WaitUntilWaiting() {
        while (threadId == 0) {
            std::this_thread::yield();
        }
        test::WaitUntilThreadSleeps(threadId);  // it can sleep only in its wait for a report
    }
    std::size_t Result() { return result.get_future().get(); }
    Bytes Buffer() const { return buffer; }

  private:
    Bytes buffer = Bytes(4);
    std::atomic<int> threadId{0};
    std::promise<std::size_t> result;
    std::thread thread;
};

class LinuxHidBusTest : public ::testing::Test {
  protected:
    LinuxHidBusTest() {
        tree.AddNode("hidraw10", test::KeyboardAndConsumerDescriptor(),
                     test::UsbUevent(0x845E, 0x0001));
        tree.AddNode("hidraw2", test::MouseDescriptor(), test::UsbUevent(0x1B80, 0xB412));
        tree.AddNode("hidraw3", {0xC0}, test::UsbUevent(0x1B80, 0xB412));  // refused descriptor
        tree.AddNode("hidraw4", test::BootMouseDescriptor(), "HID_ID=0003:00001B80\n");
        tree.AddNode("hidraw7", test::BootMouseDescriptor(), test::UsbUevent(0x3938, 0x1101));
        test::WriteFileBytes(tree.Sysfs() / "class" / "hidraw" / "hidraw", "");  // not a node
    }

    std::u16string Path(const std::string& node, std::size_t collection) const {
        return InterfacePath(tree.Dev(), {node, collection});
    }
    HidHandle Open(const std::string& node, std::size_t collection) {
        return bus.Open(Path(node, collection));
    }

    test::HidrawTree tree;
    test::FakeHidrawNodes nodes;
    RecordingMessages messages;
    LinuxHidBus bus{tree.Sysfs(), tree.Dev(), nodes, messages};
};

TEST_F(LinuxHidBusTest, EachTopLevelCollectionIsAnInterfaceWithWindowsLengths) {
    struct Interface {
        std::string node;
        std::size_t collection;
        HidCapabilities caps;
        HidAttributes ids;
    };
    const Interface expected[] = {
        {"hidraw2", 1, {0, 40}, {0x1B80, 0xB412}}, {"hidraw2", 2, {0, 2049}, {0x1B80, 0xB412}},
        {"hidraw2", 3, {0, 8}, {0x1B80, 0xB412}},  {"hidraw2", 4, {4, 0}, {0x1B80, 0xB412}},
        {"hidraw7", 1, {5, 0}, {0x3938, 0x1101}},  {"hidraw10", 1, {9, 0}, {0x845E, 0x0001}},
        {"hidraw10", 2, {5, 2}, {0x845E, 0x0001}},
    };
    std::vector<std::u16string> paths;
    for (const Interface& e : expected) {
        paths.push_back(Path(e.node, e.collection));
    }
    ASSERT_EQ(bus.ListInterfaces(), paths);
    EXPECT_TRUE(paths[0].ends_with(u"/dev/hidraw2#col01"));
    for (const Interface& e : expected) {
        SCOPED_TRACE(e.node + " " + std::to_string(e.collection));
        const HidHandle handle = Open(e.node, e.collection);
        ASSERT_NE(handle, kInvalidHidHandle);
        const auto caps = bus.Capabilities(handle);
        const auto ids = bus.Attributes(handle);
        ASSERT_TRUE(caps && ids);
        EXPECT_EQ(caps->inputReportLength, e.caps.inputReportLength);
        EXPECT_EQ(caps->featureReportLength, e.caps.featureReportLength);
        EXPECT_EQ(ids->vendorId, e.ids.vendorId);
        EXPECT_EQ(ids->productId, e.ids.productId);
        bus.Close(handle);
        EXPECT_FALSE(bus.Capabilities(handle).has_value());
    }
}

TEST_F(LinuxHidBusTest, OnlyPathsOfListedInterfacesOpen) {
    const std::u16string dev = Utf16FromPath(tree.Dev());
    const std::u16string refused[] = {
        Path("hidraw2", 5),              // no fifth collection
        Path("hidraw3", 1),              // descriptor refused
        Path("hidraw4", 1),              // ids unreadable
        Path("hidraw9", 1),              // no such node
        dev + u"/hidraw2#col00",         // collections count from 1
        dev + u"/hidraw2#col1",          // not as listed
        dev + u"/hidraw2",               // no collection
        dev + u"/../dev/hidraw2#col01",  // another spelling of the folder
        dev + u"\\hidraw2#col01",        // not as listed either
        dev + u"/mouse#col01",           // not a hidraw node
        u"/elsewhere/hidraw2#col01",     // another folder
        u"",
    };
    for (const std::u16string& path : refused) {
        SCOPED_TRACE(Utf8FromUtf16(path));
        EXPECT_EQ(bus.Open(path), kInvalidHidHandle);
    }
    nodes.refuseOpens = 1;  // no permission, say
    EXPECT_EQ(Open("hidraw2", 1), kInvalidHidHandle);
    EXPECT_NE(Open("hidraw2", 1), kInvalidHidHandle);

    const HidHandle invalid[] = {kInvalidHidHandle, HidHandle{0}, HidHandle{12345}};
    Bytes report(40, 3);
    for (const HidHandle handle : invalid) {
        EXPECT_FALSE(bus.Capabilities(handle) || bus.Attributes(handle));
        EXPECT_FALSE(bus.SetFeature(handle, report) || bus.GetFeature(handle, report));
        EXPECT_EQ(bus.ReadInputReport(handle, report, {}), 0u);
        bus.Close(handle);  // nothing to close
    }
    EXPECT_TRUE(nodes.Transfers().empty());
}

TEST_F(LinuxHidBusTest, AttachedNodesComeWithTheirIdsAndWhetherTheyOpen) {
    nodes.refuseOpens = 1;  // the first one lacks the udev rule, say
    const std::vector<AttachedHidNode> attached =
        ListAttachedHidNodes(tree.Sysfs(), tree.Dev(), nodes);
    ASSERT_EQ(attached.size(), 3u) << "only nodes whose descriptor and ids can be read";
    const std::tuple<std::string, std::uint16_t, bool> expected[] = {
        {"hidraw2", 0x1B80, false}, {"hidraw7", 0x3938, true}, {"hidraw10", 0x845E, true}};
    for (std::size_t i = 0; i < attached.size(); ++i) {
        EXPECT_EQ(std::tie(attached[i].name, attached[i].attributes.vendorId, attached[i].opens),
                  expected[i]);
    }
}

TEST_F(LinuxHidBusTest, FeatureReportsMoveOnlyTheirCollectionsIdsWithTheirOwnLength) {
    struct Case {
        std::size_t collection;
        std::size_t size;
        std::uint8_t id;
        bool sent;
        std::size_t sentLength;
    };
    const Case cases[] = {
        {1, 40, 3, true, 40},      // settings report
        {1, 64, 3, true, 40},      // only the report goes, not the rest of the buffer
        {1, 39, 3, false, 0},      // shorter than the feature length
        {1, 40, 4, false, 0},      // another collection's report
        {2, 2049, 4, true, 2049},  // button and macro report
        {3, 8, 6, true, 8},        // command report
        {4, 40, 3, false, 0},      // the input interface has no feature reports
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.collection) + ": " + std::to_string(c.size));
        const HidHandle handle = Open("hidraw2", c.collection);
        Bytes report(c.size);
        for (std::size_t i = 0; i < report.size(); ++i) {
            report[i] = static_cast<std::uint8_t>(i * 7 + 1);
        }
        report[0] = c.id;
        const std::size_t before = nodes.Transfers().size();
        EXPECT_EQ(bus.SetFeature(handle, report), c.sent);
        const auto transfers = nodes.Transfers();
        ASSERT_EQ(transfers.size(), before + (c.sent ? 1 : 0));
        if (c.sent) {
            EXPECT_EQ(transfers.back(),
                      (test::FakeHidrawNodes::Transfer{
                          "hidraw2", true, Bytes(report.begin(), report.begin() + c.sentLength)}));
        }
        bus.Close(handle);
    }

    const HidHandle settings = Open("hidraw2", 1);
    nodes.Answer("hidraw2", {3, 0x11, 0x22, 0x33});  // a short answer
    Bytes got(40, 0xEE);
    got[0] = 3;
    ASSERT_TRUE(bus.GetFeature(settings, got));
    Bytes expected(40, 0);
    expected[0] = 3, expected[1] = 0x11, expected[2] = 0x22, expected[3] = 0x33;
    EXPECT_EQ(got, expected);
    EXPECT_EQ(nodes.Transfers().back().bytes.size(), 40u);  // asked for the report's length

    nodes.refuseTransfers = 2;
    EXPECT_FALSE(bus.SetFeature(settings, got));
    EXPECT_FALSE(bus.GetFeature(settings, got));
    EXPECT_TRUE(bus.SetFeature(settings, got));
    bus.Close(settings);
    EXPECT_FALSE(bus.SetFeature(settings, got));
}

TEST_F(LinuxHidBusTest, ReadsPassOnlyTheInterfacesInputReports) {
    struct Case {
        std::string node;
        std::size_t collection;
        std::vector<Bytes> sent;  // by the device, in this order
        std::size_t bufferSize;
        Bytes read;  // the one report the read returns
    };
    const Case cases[] = {
        // A feature report id and another collection's input go by; the DPI notice comes.
        {"hidraw2", 4, {{3, 1, 2, 3}, {2, 0, 3, 0}}, 4, {2, 0, 3, 0}},
        {"hidraw10", 2, {{1, 9, 9, 9, 9, 9, 9, 9, 9}, {4, 5, 6, 7, 8}}, 8, {4, 5, 6, 7, 8}},
        {"hidraw10", 2, {{2, 0x34, 0x12}}, 5, {2, 0x34, 0x12}},
        // Without report ids the id byte is 0, as Windows gives it.
        {"hidraw7", 1, {{1, 0xFF, 0x01, 0x00}}, 5, {0, 1, 0xFF, 0x01, 0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.node);
        const HidHandle handle = Open(c.node, c.collection);
        for (const Bytes& report : c.sent) {
            nodes.SendInput(c.node, report);
        }
        Bytes buffer(c.bufferSize, 0xEE);
        ASSERT_EQ(bus.ReadInputReport(handle, buffer, {}), c.read.size());
        EXPECT_TRUE(std::equal(c.read.begin(), c.read.end(), buffer.begin()));
        bus.Close(handle);
    }

    // At once, as Windows refuses them: a buffer shorter than the input length, and an
    // interface without input reports.
    const HidHandle input = Open("hidraw2", 4);
    const HidHandle feature = Open("hidraw2", 1);
    nodes.SendInput("hidraw2", {2, 0, 3, 0});
    Bytes small(3), large(64);
    EXPECT_EQ(bus.ReadInputReport(input, small, {}), 0u);
    EXPECT_EQ(bus.ReadInputReport(feature, large, {}), 0u);
    EXPECT_EQ(bus.ReadInputReport(input, large, {}), 4u);  // the report is still there
}

TEST_F(LinuxHidBusTest, APendingReadEndsWithoutAReport) {
    enum class Ending { kCloseFromAnotherThread, kStopRequest, kUnplug };
    for (const Ending ending :
         {Ending::kCloseFromAnotherThread, Ending::kStopRequest, Ending::kUnplug}) {
        SCOPED_TRACE(static_cast<int>(ending));
        const HidHandle handle = Open("hidraw2", 4);
        std::stop_source stop;
        {
            PendingRead read(bus, handle, stop.get_token());
            read.WaitUntilWaiting();
            switch (ending) {
                case Ending::kCloseFromAnotherThread:
                    bus.Close(handle);
                    break;
                case Ending::kStopRequest:
                    stop.request_stop();
                    break;
                case Ending::kUnplug:
                    nodes.Unplug("hidraw2");
                    break;
            }
            EXPECT_EQ(read.Result(), 0u);
        }
        // Later reads end at once too, and so does one on a handle closed before it.
        EXPECT_EQ(PendingRead(bus, handle, stop.get_token()).Result(), 0u);
        bus.Close(handle);
        EXPECT_EQ(PendingRead(bus, handle).Result(), 0u);
    }
}

TEST_F(LinuxHidBusTest, HidrawNodesThatComeOrChangeOrGoReachTheRegisteredWindows) {
    const NoticeRegistration registration = bus.RegisterDeviceNotices(WindowHandle{7});
    EXPECT_NE(registration, kNoRegistration);
    test::WriteFileBytes(tree.Dev() / "ttyS9", "");  // not a hidraw node: no notice
    test::WriteFileBytes(tree.Dev() / "hidraw5", "");
    using P = RecordingMessages::Posted;
    EXPECT_EQ(messages.WaitFor(1), (std::vector<P>{{WindowHandle{7}, kWmDeviceChange, 0x8000, 0}}));

    EXPECT_NE(bus.RegisterDeviceNotices(WindowHandle{8}), kNoRegistration);
    fs::remove(tree.Dev() / "hidraw5");
    EXPECT_EQ(messages.WaitFor(3), (std::vector<P>{{WindowHandle{7}, kWmDeviceChange, 0x8000, 0},
                                                   {WindowHandle{7}, kWmDeviceChange, 0x8004, 0},
                                                   {WindowHandle{8}, kWmDeviceChange, 0x8004, 0}}));

    // udev hands a new node to the user after the kernel made it: that is an arrival too.
    fs::permissions(tree.Dev() / "hidraw2", fs::perms::owner_read | fs::perms::owner_write);
    const auto posts = messages.WaitFor(5);
    ASSERT_EQ(posts.size(), 5u);
    EXPECT_EQ(posts[3].wParam, kDeviceArrival);
    EXPECT_EQ(posts[4].wParam, kDeviceArrival);

    LinuxHidBus nowhere(tree.Sysfs(), tree.Dev() / "missing", nodes, messages);
    EXPECT_EQ(nowhere.RegisterDeviceNotices(WindowHandle{7}), kNoRegistration);
}

}  // namespace
}  // namespace t47
