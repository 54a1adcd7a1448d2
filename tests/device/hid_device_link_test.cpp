// The device link finding the mouse among the bus's interfaces: ids, roles, the last
// interface listed winning a role, and every handle closed exactly once.

#include <gtest/gtest.h>

#include <vector>

#include "device/device_world.h"

namespace t47::test {
namespace {

using MouseSetup = SimulatedMouse::Setup;

MouseSetup Mouse(HidAttributes ids = {0x1B80, 0xB412}) {
    return MouseSetup{.ids = ids};
}
MouseSetup Mouse(std::vector<SimulatedInterface> interfaces) {
    return MouseSetup{.interfaces = std::move(interfaces)};
}
MouseSetup SystemDevice(std::uint16_t product, std::int32_t inputLength) {
    return MouseSetup{.ids = {0x845E, product}, .interfaces = {InputInterface(inputLength)}};
}

constexpr int kCloseFeature = 0;  // a step that calls CloseFeatureHandle

struct OpenCase {
    const char* name;
    std::vector<MouseSetup> devices;
    std::vector<int> steps;  // OpenDevice with each length, or kCloseFeature
    std::int32_t lastResult;
    const char* feature;  // where the handles lead afterwards
    const char* input;
    std::size_t openHandles;
    bool constructionIds = false;  // the link as built, before the agent sets its ids
};

void PrintTo(const OpenCase& c, std::ostream* out) {
    *out << c.name;
}

class OpenDeviceTest : public testing::TestWithParam<OpenCase> {};

TEST_P(OpenDeviceTest, KeepsTheMousesHandlesInTheirRoles) {
    const OpenCase& c = GetParam();
    DeviceWorld world;
    if (c.constructionIds) {
        world.link.emplace(world.bus, world.clock, world.debug, world.windows);
    }
    for (const MouseSetup& device : c.devices) {
        world.bus.AttachMouse(device);
    }
    std::int32_t result = -1;
    for (const int step : c.steps) {
        if (step == kCloseFeature) {
            world.link->CloseFeatureHandle();
        } else {
            result = world.link->OpenDevice(step);
        }
    }
    EXPECT_EQ(result, c.lastResult);
    EXPECT_EQ(world.bus.HandleTarget(world.link->FeatureHandle()), c.feature);
    EXPECT_EQ(world.bus.HandleTarget(world.link->InputHandle()), c.input);
    EXPECT_EQ(world.bus.OpenHandleCount(), c.openHandles);

    world.link.reset();
    EXPECT_EQ(world.bus.OpenHandleCount(), 0u) << "the link leaves no handle open";
    EXPECT_EQ(world.bus.Misuses(), std::vector<std::string>{}) << "each handle is closed once";
}

const std::vector<SimulatedInterface> kBothRolesFirst = {FeatureInterface(40).AlsoInput(4),
                                                         FeatureInterface(2049)};

INSTANTIATE_TEST_SUITE_P(
    Cases, OpenDeviceTest,
    testing::Values(
        OpenCase{"SettingsInterface", {Mouse()}, {40}, 1, "dev0/if0", "dev0/if3", 2},
        OpenCase{"ButtonsAfterSettingsClosesTheFirst",
                 {Mouse()},
                 {40, 2049},
                 1,
                 "dev0/if1",
                 "dev0/if3",
                 2},
        OpenCase{"StartUpLengthOpensOnlyTheInput", {Mouse()}, {100}, 0, "invalid", "dev0/if3", 1},
        OpenCase{"NoMouse", {}, {40}, 0, "invalid", "invalid", 0},
        OpenCase{"UnpluggedMouse",
                 {SimulatedMouse::Setup{.pluggedIn = false}},
                 {40},
                 0,
                 "invalid",
                 "invalid",
                 0},
        OpenCase{"MouseVendorWithAlternateProduct",
                 {Mouse({0x3938, 0xB412})},
                 {8},
                 1,
                 "dev0/if2",
                 "dev0/if3",
                 2},
        OpenCase{"AlternateVendorWithMouseProduct",
                 {Mouse({0x1B80, 0x1101})},
                 {8},
                 1,
                 "dev0/if2",
                 "dev0/if3",
                 2},
        OpenCase{"OtherVendor", {Mouse({0x1B81, 0xB412})}, {40}, 0, "invalid", "invalid", 0},
        OpenCase{"ConstructionIdsAccepted",
                 {Mouse({0x0603, 0x1020})},
                 {40},
                 1,
                 "dev0/if0",
                 "dev0/if3",
                 2,
                 true},
        OpenCase{
            "ConstructionIdsRefuseTheAgentsIds", {Mouse()}, {40}, 0, "invalid", "invalid", 0, true},
        OpenCase{"SystemDevicesAreNotTheMouse",
                 {SystemDevice(1, 2), SystemDevice(2, 14), Mouse()},
                 {40},
                 1,
                 "dev2/if0",
                 "dev2/if3",
                 2},
        OpenCase{"OneInterfaceInBothRoles",
                 {Mouse(kBothRolesFirst)},
                 {40},
                 1,
                 "dev0/if0",
                 "dev0/if0",
                 1},
        OpenCase{"ClosingTheFeatureRoleKeepsTheSharedHandle",
                 {Mouse(kBothRolesFirst)},
                 {40, kCloseFeature},
                 1,
                 "invalid",
                 "dev0/if0",
                 1},
        OpenCase{"SharedHandleLosesOneRole",
                 {Mouse(kBothRolesFirst)},
                 {40, 2049},
                 1,
                 "dev0/if1",
                 "dev0/if0",
                 2},
        OpenCase{"LastListedWinsEachRole",
                 {Mouse({FeatureInterface(40), FeatureInterface(40), InputInterface(4),
                         InputInterface(4)})},
                 {40},
                 1,
                 "dev0/if1",
                 "dev0/if3",
                 2},
        OpenCase{"DisplacedFeatureHandleStillHoldingInput",
                 {Mouse({FeatureInterface(40).AlsoInput(4), FeatureInterface(40)})},
                 {40},
                 1,
                 "dev0/if1",
                 "dev0/if0",
                 2},
        OpenCase{"DisplacedInputHandleStillHoldingFeature",
                 {Mouse({FeatureInterface(40).AlsoInput(4), InputInterface(4)})},
                 {40},
                 1,
                 "dev0/if0",
                 "dev0/if1",
                 2},
        OpenCase{
            "SecondMouseListedLastWins", {Mouse(), Mouse()}, {40}, 1, "dev1/if0", "dev1/if3", 2},
        OpenCase{"FaultyInterfacesAreSkipped",
                 {Mouse({FeatureInterface(40).FailingToOpen(),
                         FeatureInterface(40).WithoutCapabilities(),
                         InputInterface(4).WithoutAttributes(), FeatureInterface(2049)})},
                 {40},
                 0,
                 "invalid",
                 "invalid",
                 0}),
    [](const testing::TestParamInfo<OpenCase>& param) { return std::string(param.param.name); });

TEST(DeviceLinkTransfers, FailWithoutAFeatureHandleAndMoveExactBytesWithOne) {
    DeviceWorld world;
    std::vector<std::uint8_t> report(40, 0);
    report[0] = 3;
    EXPECT_EQ(world.link->SetFeatureReport(report), 0) << "no mouse yet";
    EXPECT_EQ(world.link->GetFeatureReport(report), 0);

    SimulatedMouse& mouse = world.bus.AttachMouse();
    ASSERT_EQ(world.link->OpenDevice(40), 1);
    report[1] = 5;
    report[39] = 0xEE;
    EXPECT_EQ(world.link->SetFeatureReport(report), 1);
    EXPECT_EQ(mouse.StoredReport(3), report);
    std::vector<std::uint8_t> readBack(40, 0);
    readBack[0] = 3;
    EXPECT_EQ(world.link->GetFeatureReport(readBack), 1);
    EXPECT_EQ(readBack, report);

    // The interface takes only its own report, in a buffer of at least its length.
    std::vector<std::uint8_t> wrongId = report;
    wrongId[0] = 4;
    EXPECT_EQ(world.link->SetFeatureReport(wrongId), 0);
    EXPECT_EQ(world.link->SetFeatureReport(std::span(report).first(39)), 0);
    EXPECT_EQ(mouse.Transfers().size(), 2u) << "refused by the system, never seen by the mouse";
    EXPECT_TRUE(world.bus.Misuses().empty());
}

}  // namespace
}  // namespace t47::test
