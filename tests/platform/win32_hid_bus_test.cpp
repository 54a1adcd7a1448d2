// The HID bus over the Windows functions, end to end against the virtual mouse inside Wine's HID
// stack (tools/wine_mouse).

#include "platform/win32/win32_hid_bus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cwctype>
#include <functional>
#include <future>
#include <map>
#include <thread>
#include <tuple>
#include <vector>

#include "device_notice_window.h"
#include "protocol/button_macro_report.h"
#include "protocol/settings_report.h"
#include "settings/settings_defaults.h"
#include "virtual_mouse.h"

namespace t47 {
namespace {

using namespace std::chrono_literals;
using wine_mouse::MouseInterface;
using Bytes = std::vector<std::uint8_t>;

// Generous: every wait here ends far sooner unless something is broken.
constexpr auto kLimit = 20s;
// Long enough for a read that should not end to have ended if it were going to.
constexpr auto kStillWaiting = 200ms;

std::u16string Lower(std::u16string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char16_t c) { return static_cast<char16_t>(std::towlower(c)); });
    return text;
}

// Device notices spell paths in upper case, enumeration in lower case.
bool SamePath(const std::u16string& a, const std::u16string& b) {
    return Lower(a) == Lower(b);
}

// A report of this id and length whose bytes differ from report to report.
Bytes Pattern(std::uint8_t id, std::size_t length, std::uint8_t seed) {
    Bytes bytes(length);
    bytes[0] = id;
    for (std::size_t i = 1; i < length; ++i) {
        bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    }
    return bytes;
}

class Win32HidBusTest : public ::testing::Test {
  protected:
    // A test that failed halfway may have left the mouse unplugged or scripted.
    void SetUp() override {
        mouse.Plug();
        mouse.Reset();
    }

    // The listed path of one of the mouse's interfaces; empty when it is not listed.
    std::u16string PathOf(MouseInterface mouseInterface) {
        const std::u16string name = u"&" + wine_mouse::CollectionName(mouseInterface) + u"#";
        for (const std::u16string& path : bus.ListInterfaces()) {
            if (Lower(path).find(u"vid_1b80&pid_b412" + name) != std::u16string::npos) {
                return path;
            }
        }
        return {};
    }

    HidHandle OpenInterface(MouseInterface mouseInterface) {
        const HidHandle handle = bus.Open(PathOf(mouseInterface));
        EXPECT_NE(handle, kInvalidHidHandle);
        return handle;
    }

    // A read of the input interface on another thread.
    std::future<Bytes> StartRead(HidHandle handle, std::stop_token stop = {}) {
        return std::async(std::launch::async, [this, handle, stop] {
            std::array<std::uint8_t, 4> buffer{};
            const std::size_t count = bus.ReadInputReport(handle, buffer, stop);
            return Bytes(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(count));
        });
    }

    // The bytes of a read once it ends. A read still waiting after kLimit fails the test and is
    // ended by closing its handle.
    Bytes Finish(std::future<Bytes>& read, HidHandle& handle) {
        if (read.wait_for(kLimit) != std::future_status::ready) {
            ADD_FAILURE() << "the read did not end";
            bus.Close(handle);
            handle = kInvalidHidHandle;
        }
        return read.get();
    }

    Win32HidBus bus;
    wine_mouse::VirtualMouse mouse;
};

TEST_F(Win32HidBusTest, ListsTheMouseInterfacesWithTheirLengthsAndIdsBesideWinesOwnDevices) {
    struct Expected {
        MouseInterface mouseInterface;
        std::int32_t inputLength;
        std::int32_t featureLength;
    };
    const Expected expected[] = {
        {MouseInterface::kSettings, 0, 40},
        {MouseInterface::kButtons, 0, 2049},
        {MouseInterface::kCommand, 0, 8},
        {MouseInterface::kInput, 4, 0},
    };
    int mouseInterfaces = 0;
    int wineDevices = 0;
    for (const std::u16string& path : bus.ListInterfaces()) {
        const HidHandle handle = bus.Open(path);
        if (handle == kInvalidHidHandle) {
            continue;  // a collection the system holds for itself
        }
        const auto attributes = bus.Attributes(handle);
        const auto capabilities = bus.Capabilities(handle);
        bus.Close(handle);
        ASSERT_TRUE(attributes && capabilities);
        if (attributes->vendorId == 0x845E) {
            ++wineDevices;
            continue;
        }
        ASSERT_EQ(attributes->vendorId, 0x1B80);
        EXPECT_EQ(attributes->productId, 0xB412);
        ++mouseInterfaces;
        const auto row = std::find_if(std::begin(expected), std::end(expected), [&](auto& e) {
            return Lower(path).find(u"&" + wine_mouse::CollectionName(e.mouseInterface) + u"#") !=
                   std::u16string::npos;
        });
        ASSERT_NE(row, std::end(expected));
        SCOPED_TRACE(static_cast<int>(row->mouseInterface));
        EXPECT_EQ(capabilities->inputReportLength, row->inputLength);
        EXPECT_EQ(capabilities->featureReportLength, row->featureLength);
    }
    EXPECT_EQ(mouseInterfaces, 4);
    EXPECT_GE(wineDevices, 1);
}

TEST_F(Win32HidBusTest, AnInterfacePluggedLaterComesAloneWithItsOwnIds) {
    mouse.Unplug(std::array{MouseInterface::kButtons});
    EXPECT_EQ(PathOf(MouseInterface::kButtons), u"");
    EXPECT_EQ(wine_mouse::VirtualMouse::PluggedInterfaces().size(), 3u);

    mouse.Plug(std::array{MouseInterface::kButtons}, {0x3938, 0x1101});
    const std::map<MouseInterface, HidAttributes> expected = {
        {MouseInterface::kSettings, {0x1B80, 0xB412}},
        {MouseInterface::kButtons, {0x3938, 0x1101}},
        {MouseInterface::kCommand, {0x1B80, 0xB412}},
        {MouseInterface::kInput, {0x1B80, 0xB412}},
    };
    for (const auto& [mouseInterface, ids] : expected) {
        SCOPED_TRACE(static_cast<int>(mouseInterface));
        const HidHandle handle = OpenInterface(mouseInterface);
        const auto attributes = bus.Attributes(handle);
        bus.Close(handle);
        ASSERT_TRUE(attributes);
        EXPECT_EQ(attributes->vendorId, ids.vendorId);
        EXPECT_EQ(attributes->productId, ids.productId);
    }
    // Back to the ids every other test expects.
    mouse.Unplug(std::array{MouseInterface::kButtons});
}

TEST_F(Win32HidBusTest, FeatureReportsTravelBothWaysWithExactBytes) {
    using wine_mouse::TransferKind;
    const ProfileData profile = DefaultProfile();
    struct Case {
        MouseInterface mouseInterface;
        Bytes starting;  // what a reset mouse holds: the default profile's upload
    };
    const SettingsReport settings = BuildSettingsReport(profile);
    const ButtonMacroReport buttons = BuildButtonMacroReport(profile.ButtonAssigned);
    const Case cases[] = {
        {MouseInterface::kSettings, Bytes(settings.begin(), settings.end())},
        {MouseInterface::kButtons, Bytes(buttons.begin(), buttons.end())},
        {MouseInterface::kCommand, Bytes{6, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        const std::uint8_t id = c.starting[0];
        const std::size_t length = c.starting.size();
        SCOPED_TRACE(static_cast<int>(id));
        mouse.Reset();
        const HidHandle handle = OpenInterface(c.mouseInterface);
        const auto before = wine_mouse::VirtualMouse::Now();
        Bytes received(length);
        received[0] = id;
        EXPECT_TRUE(bus.GetFeature(handle, received));
        EXPECT_EQ(received, c.starting);

        const Bytes sent = Pattern(id, length, 0x11);
        EXPECT_TRUE(bus.SetFeature(handle, sent));
        EXPECT_EQ(mouse.Report(id), sent);

        const Bytes stored = Pattern(id, length, 0x5C);
        mouse.SetReport(stored);
        EXPECT_TRUE(bus.GetFeature(handle, received));
        EXPECT_EQ(received, stored);
        const auto after = wine_mouse::VirtualMouse::Now();
        bus.Close(handle);

        // The mouse's log: each transfer with its bytes, in order, at times within the calls.
        const auto transfers = mouse.Transfers();
        const std::tuple<TransferKind, Bytes> expected[] = {{TransferKind::kGet, c.starting},
                                                            {TransferKind::kSet, sent},
                                                            {TransferKind::kGet, stored}};
        ASSERT_EQ(transfers.size(), std::size(expected));
        auto previous = before;
        for (std::size_t i = 0; i < transfers.size(); ++i) {
            const wine_mouse::MouseTransfer& transfer = transfers[i];
            EXPECT_EQ(transfer.kind, std::get<0>(expected[i])) << i;
            EXPECT_EQ(transfer.bytes, std::get<1>(expected[i])) << i;
            EXPECT_EQ(transfer.reportId, id) << i;
            EXPECT_EQ(transfer.length, length) << i;
            EXPECT_TRUE(transfer.Accepted()) << i;
            EXPECT_LE(previous, transfer.time) << i;
            previous = transfer.time;
        }
        EXPECT_LE(previous, after);
    }
}

TEST_F(Win32HidBusTest, RefusedTransfersFailUntilTheCountIsUsedUp) {
    using wine_mouse::TransferKinds;
    struct Case {
        TransferKinds kinds;
        std::uint32_t count;
        const char* transfers;  // s: set, g: get
        std::vector<bool> results;
    };
    const Case cases[] = {
        {TransferKinds::kAll, 2, "sgs", {false, false, true}},
        {TransferKinds::kSets, 1, "gsgs", {true, false, true, true}},
        {TransferKinds::kGets, 2, "sggg", {true, false, false, true}},
    };
    const HidHandle handle = OpenInterface(MouseInterface::kSettings);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.transfers);
        mouse.Reset();
        mouse.RefuseNext(c.count, c.kinds);
        std::vector<bool> results;
        for (const char* t = c.transfers; *t != '\0'; ++t) {
            Bytes report = Pattern(3, 40, static_cast<std::uint8_t>(t - c.transfers));
            results.push_back(*t == 's' ? bus.SetFeature(handle, report)
                                        : bus.GetFeature(handle, report));
        }
        EXPECT_EQ(results, c.results);
        EXPECT_EQ(mouse.RefusalsLeft(), 0u);
        // Refused transfers reach the mouse and are logged with their status.
        const auto transfers = mouse.Transfers();
        ASSERT_EQ(transfers.size(), c.results.size());
        for (std::size_t i = 0; i < transfers.size(); ++i) {
            EXPECT_EQ(transfers[i].Accepted(), c.results[i]) << i;
            EXPECT_EQ(transfers[i].status, c.results[i] ? 0u : 0xC0000001u) << i;
        }
    }
    bus.Close(handle);
}

TEST_F(Win32HidBusTest, FeatureBuffersThatDoNotFitNeverReachTheMouse) {
    struct Case {
        const char* what;
        MouseInterface mouseInterface;
        Bytes report;
    };
    const Case cases[] = {
        {"shorter than the feature length", MouseInterface::kSettings, Pattern(3, 39, 1)},
        {"a bare id", MouseInterface::kButtons, Bytes{4}},
        {"empty", MouseInterface::kCommand, Bytes{}},
        {"another collection's id", MouseInterface::kSettings, Pattern(4, 2049, 2)},
        {"no feature report at all", MouseInterface::kInput, Pattern(2, 4, 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const HidHandle handle = OpenInterface(c.mouseInterface);
        Bytes received = c.report;
        EXPECT_FALSE(bus.SetFeature(handle, c.report));
        EXPECT_FALSE(bus.GetFeature(handle, received));
        bus.Close(handle);
    }
    EXPECT_TRUE(mouse.Transfers().empty());
    Bytes report = Pattern(3, 40, 0);
    EXPECT_FALSE(bus.SetFeature(kInvalidHidHandle, report));
    EXPECT_FALSE(bus.GetFeature(kInvalidHidHandle, report));
}

TEST_F(Win32HidBusTest, InvalidPathsAndHandlesFailQuietly) {
    EXPECT_EQ(bus.Open(u""), kInvalidHidHandle);
    EXPECT_EQ(bus.Open(u"\\\\?\\hid#vid_1b80&pid_b412&col09#0000#{4d1e55b2-f16f-11cf-88cb-"
                       u"001111000030}"),
              kInvalidHidHandle);
    EXPECT_FALSE(bus.Capabilities(kInvalidHidHandle));
    EXPECT_FALSE(bus.Attributes(kInvalidHidHandle));
    std::array<std::uint8_t, 4> buffer{};
    EXPECT_EQ(bus.ReadInputReport(kInvalidHidHandle, buffer, {}), 0u);
    bus.Close(kInvalidHidHandle);
    EXPECT_EQ(bus.RegisterDeviceNotices(kNoWindow), kNoRegistration);
}

TEST_F(Win32HidBusTest, InputReportsReachAPendingReadAndLaterReadsInOrder) {
    HidHandle handle = OpenInterface(MouseInterface::kInput);
    std::future<Bytes> read = StartRead(handle);
    EXPECT_EQ(read.wait_for(kStillWaiting), std::future_status::timeout);
    EXPECT_TRUE(mouse.SendInputReport(Bytes{2, 0, 5, 0}));
    EXPECT_EQ(Finish(read, handle), (Bytes{2, 0, 5, 0}));

    // Sent while no read waits: the handle keeps them for its next reads.
    EXPECT_TRUE(mouse.SendInputReport(Bytes{2, 0, 1, 0}));
    EXPECT_TRUE(mouse.SendInputReport(Bytes{2, 0, 7, 0}));
    for (const Bytes& expected : {Bytes{2, 0, 1, 0}, Bytes{2, 0, 7, 0}}) {
        read = StartRead(handle);
        EXPECT_EQ(Finish(read, handle), expected);
    }
    bus.Close(handle);

    // Nobody would read one sent while the input interface is away.
    mouse.Unplug(std::array{MouseInterface::kInput});
    EXPECT_FALSE(mouse.SendInputReport(Bytes{2, 0, 2, 0}));
}

TEST_F(Win32HidBusTest, AWaitingReadEndsWithoutAReport) {
    struct Case {
        const char* what;
        std::function<void(HidHandle&, std::stop_source&)> end;
        bool deviceGone;
    };
    const Case cases[] = {
        {"another thread closes the handle",
         [this](HidHandle& handle, std::stop_source&) {
             bus.Close(handle);
             handle = kInvalidHidHandle;
         },
         false},
        {"a stop is requested", [](HidHandle&, std::stop_source& stop) { stop.request_stop(); },
         false},
        {"the mouse is unplugged",
         [this](HidHandle&, std::stop_source&) {
             mouse.Unplug(std::array{MouseInterface::kInput});
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        mouse.Plug();
        HidHandle handle = OpenInterface(MouseInterface::kInput);
        std::stop_source stop;
        std::future<Bytes> read = StartRead(handle, stop.get_token());
        EXPECT_EQ(read.wait_for(kStillWaiting), std::future_status::timeout);
        c.end(handle, stop);
        EXPECT_EQ(Finish(read, handle), Bytes{});
        if (c.deviceGone) {
            // The handle outlives its device: a new read ends at once.
            read = StartRead(handle);
            EXPECT_EQ(Finish(read, handle), Bytes{});
        }
        bus.Close(handle);
    }
}

TEST_F(Win32HidBusTest, AStopRequestedBeforeTheReadEndsItAtOnce) {
    HidHandle handle = OpenInterface(MouseInterface::kInput);
    std::stop_source stop;
    stop.request_stop();
    EXPECT_TRUE(mouse.SendInputReport(Bytes{2, 0, 4, 0}));  // even with a report waiting
    std::future<Bytes> read = StartRead(handle, stop.get_token());
    EXPECT_EQ(Finish(read, handle), Bytes{});
    bus.Close(handle);
}

TEST_F(Win32HidBusTest, DeviceNoticesReachTheWindowWhenTheMouseGoesAndComes) {
    std::vector<std::u16string> paths;
    for (const MouseInterface mouseInterface : wine_mouse::kAllInterfaces) {
        paths.push_back(PathOf(mouseInterface));
    }
    wine_mouse::DeviceNoticeWindow window;
    ASSERT_NE(bus.RegisterDeviceNotices(window.Handle()), kNoRegistration);

    // Wine hands the registration to its device-notice service from a thread of its own, a
    // moment after the call returns, and notices before that are lost (a loaded machine shows
    // it). The input interface goes and comes until a notice shows the registration is live.
    const auto any = [](const std::vector<wine_mouse::DeviceNotice>& notices) {
        return !notices.empty();
    };
    const std::array input{MouseInterface::kInput};
    bool live = false;
    for (int attempt = 0; attempt < 20 && !live; ++attempt) {
        mouse.Unplug(input);
        mouse.Plug(input);
        live = any(window.WaitFor(any, 1s));
    }
    ASSERT_TRUE(live);
    // Only what comes after counts; the last arrival may still be on its way.
    std::this_thread::sleep_for(kStillWaiting);
    const std::size_t before = window.WaitFor(any, 0ms).size();

    for (const std::uintptr_t event :
         {wine_mouse::kDeviceRemoveComplete, wine_mouse::kDeviceArrival}) {
        SCOPED_TRACE(event);
        const auto noticed = [&](const std::vector<wine_mouse::DeviceNotice>& notices) {
            return std::all_of(paths.begin(), paths.end(), [&](const std::u16string& path) {
                return std::any_of(notices.begin() + static_cast<std::ptrdiff_t>(before),
                                   notices.end(), [&](const auto& notice) {
                                       return notice.event == event && SamePath(notice.path, path);
                                   });
            });
        };
        if (event == wine_mouse::kDeviceArrival) {
            mouse.Plug();
        } else {
            mouse.Unplug();
        }
        EXPECT_TRUE(noticed(window.WaitFor(noticed, kLimit)));
    }
}

}  // namespace
}  // namespace t47
