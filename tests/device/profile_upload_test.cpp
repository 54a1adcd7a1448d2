// The upload and the command report against the simulated mouse: what reaches the mouse, when,
// and what the link holds afterwards, for every way the exchange can end.

#include "exchange/profile_upload.h"

#include <gtest/gtest.h>

#include <functional>

#include "device/device_world.h"
#include "protocol/button_macro_report.h"
#include "protocol/command_report.h"
#include "protocol/settings_report.h"
#include "settings/settings_defaults.h"

namespace t47::test {
namespace {

constexpr bool kAccepted = true;
constexpr bool kRefused = false;

// A transfer as the tables state it: its time after the exchange began, its report, whether the
// mouse took it.
struct Seen {
    std::uint32_t after;
    std::uint8_t reportId;
    bool accepted;
    friend bool operator==(const Seen&, const Seen&) = default;
};

void PrintTo(const Seen& seen, std::ostream* out) {
    *out << "+" << seen.after << " report " << int(seen.reportId)
         << (seen.accepted ? " accepted" : " refused");
}

std::vector<Seen> SetsSeen(const SimulatedMouse* mouse) {
    std::vector<Seen> seen;
    for (const Transfer& transfer :
         mouse != nullptr ? mouse->Transfers() : std::vector<Transfer>{}) {
        EXPECT_EQ(transfer.kind, TransferKind::kSet) << Describe(transfer);
        seen.push_back({transfer.tick - kStartTick, transfer.reportId, transfer.accepted});
    }
    return seen;
}

// A mouse on the bus, set up by the case; none when the case has no mouse.
using MouseScript = std::function<SimulatedMouse*(MemoryHidBus&)>;

SimulatedMouse* Refusing(MemoryHidBus& bus, int count) {
    SimulatedMouse& mouse = bus.AttachMouse();
    mouse.RefuseNextTransfers(count);
    return &mouse;
}

struct ExchangeCase {
    const char* name;
    MouseScript mouse;
    std::int32_t result;
    std::vector<Seen> transfers;
    std::vector<std::uint32_t> pauses;
    const char* featureHandleAfter;
};

void PrintTo(const ExchangeCase& c, std::ostream* out) {
    *out << c.name;
}

class UploadProfileTest : public testing::TestWithParam<ExchangeCase> {};

TEST_P(UploadProfileTest, SendsBothReportsWithItsPausesAndRetries) {
    const ExchangeCase& c = GetParam();
    DeviceWorld world;
    SimulatedMouse* mouse = c.mouse(world.bus);
    ProfileData profile = DefaultProfile();
    profile.DPI_Cur = 6;
    profile.ButtonAssigned[2].FunctionCode = 0xB8;
    const ProfileData before = profile;

    EXPECT_EQ(UploadProfile(*world.link, world.clock, profile), c.result);
    EXPECT_EQ(SetsSeen(mouse), c.transfers);
    EXPECT_EQ(world.clock.Sleeps(), c.pauses);
    EXPECT_EQ(world.bus.HandleTarget(world.link->FeatureHandle()), c.featureHandleAfter);
    EXPECT_EQ(profile, before);
    if (mouse != nullptr) {
        // Whatever the mouse accepted is exactly what the profile makes.
        const SettingsReport settings = BuildSettingsReport(profile);
        const ButtonMacroReport buttons = BuildButtonMacroReport(profile.ButtonAssigned);
        for (const Seen& seen : c.transfers) {
            if (seen.accepted) {
                EXPECT_EQ(mouse->StoredReport(seen.reportId),
                          seen.reportId == 3
                              ? std::vector<std::uint8_t>(settings.begin(), settings.end())
                              : std::vector<std::uint8_t>(buttons.begin(), buttons.end()));
            }
        }
    }
    world.link.reset();
    EXPECT_TRUE(world.bus.Misuses().empty());
    EXPECT_EQ(world.bus.OpenHandleCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UploadProfileTest,
    testing::Values(
        ExchangeCase{"Accepted",
                     [](MemoryHidBus& bus) { return &bus.AttachMouse(); },
                     1,
                     {{0, 3, kAccepted}, {300, 4, kAccepted}},
                     {300},
                     "dev0/if1"},
        ExchangeCase{"NoMouse",
                     [](MemoryHidBus&) -> SimulatedMouse* { return nullptr; },
                     0,
                     {},
                     {},
                     "invalid"},
        ExchangeCase{
            "SettingsRefusedTwice",
            [](MemoryHidBus& bus) { return Refusing(bus, 2); },
            1,
            {{0, 3, kRefused}, {300, 3, kRefused}, {600, 3, kAccepted}, {900, 4, kAccepted}},
            {300, 300, 300},
            "dev0/if1"},
        ExchangeCase{"SettingsRefusedFourTimes",
                     [](MemoryHidBus& bus) { return Refusing(bus, 4); },
                     1,
                     {{0, 3, kRefused},
                      {300, 3, kRefused},
                      {600, 3, kRefused},
                      {900, 3, kRefused},
                      {1200, 3, kAccepted},
                      {1500, 4, kAccepted}},
                     {300, 300, 300, 300, 300},
                     "dev0/if1"},
        ExchangeCase{"SettingsRefusedFiveTimes",
                     [](MemoryHidBus& bus) { return Refusing(bus, 5); },
                     0,
                     {{0, 3, kRefused},
                      {300, 3, kRefused},
                      {600, 3, kRefused},
                      {900, 3, kRefused},
                      {1200, 3, kRefused}},
                     {300, 300, 300, 300, 300},
                     "invalid"},
        ExchangeCase{"NoButtonsInterface",
                     [](MemoryHidBus& bus) {
                         return &bus.AttachMouse(SimulatedMouse::Setup{
                             .interfaces = {FeatureInterface(40), FeatureInterface(8),
                                            InputInterface(4)}});
                     },
                     0,
                     {{0, 3, kAccepted}},
                     {300},
                     "invalid"},
        ExchangeCase{"MouseGoneBetweenTheReports",
                     [](MemoryHidBus& bus) {
                         SimulatedMouse& mouse = bus.AttachMouse();
                         mouse.VanishAfterTransfers(1);
                         return &mouse;
                     },
                     0,
                     {{0, 3, kAccepted}},
                     {300},
                     "invalid"},
        ExchangeCase{"ButtonsRefusedOnce",
                     [](MemoryHidBus& bus) {
                         SimulatedMouse& mouse = bus.AttachMouse();
                         mouse.RefuseNextTransfersOf(4, 1);
                         return &mouse;
                     },
                     0,
                     {{0, 3, kAccepted}, {300, 4, kRefused}},
                     {300},
                     "invalid"}),
    [](const auto& param) { return std::string(param.param.name); });

class SendCommandReportTest : public testing::TestWithParam<ExchangeCase> {};

TEST_P(SendCommandReportTest, SendsReportSixOnceAndKeepsItsHandle) {
    const ExchangeCase& c = GetParam();
    DeviceWorld world;
    SimulatedMouse* mouse = c.mouse(world.bus);
    EXPECT_EQ(SendCommandReport(*world.link), c.result);
    EXPECT_EQ(SetsSeen(mouse), c.transfers);
    EXPECT_TRUE(world.clock.Sleeps().empty());
    EXPECT_EQ(world.bus.HandleTarget(world.link->FeatureHandle()), c.featureHandleAfter);
    if (c.result == 1) {
        EXPECT_EQ(mouse->StoredReport(6),
                  (std::vector<std::uint8_t>{0x06, 0x5A, 0, 0, 0, 0, 0, 0}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SendCommandReportTest,
    testing::Values(ExchangeCase{"Accepted",
                                 [](MemoryHidBus& bus) { return &bus.AttachMouse(); },
                                 1,
                                 {{0, 6, kAccepted}},
                                 {},
                                 "dev0/if2"},
                    ExchangeCase{"RefusedKeepsTheHandle",
                                 [](MemoryHidBus& bus) { return Refusing(bus, 1); },
                                 0,
                                 {{0, 6, kRefused}},
                                 {},
                                 "dev0/if2"},
                    ExchangeCase{"NoCommandInterface",
                                 [](MemoryHidBus& bus) {
                                     return &bus.AttachMouse(SimulatedMouse::Setup{
                                         .interfaces = {FeatureInterface(40), InputInterface(4)}});
                                 },
                                 0,
                                 {},
                                 {},
                                 "invalid"}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace t47::test
