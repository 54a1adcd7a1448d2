#include "platform/linux/hid_report_descriptor.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/linux/hid_test_descriptors.h"

namespace t47 {
namespace {

using test::Bytes;

using Caps = std::vector<std::pair<std::int32_t, std::int32_t>>;  // input, feature

Caps CapsOf(const HidReportDescriptor& descriptor) {
    Caps caps;
    for (const HidTopLevelCollection& collection : descriptor.collections) {
        const HidCapabilities c = CapabilitiesOf(collection);
        caps.emplace_back(c.inputReportLength, c.featureReportLength);
    }
    return caps;
}

TEST(HidReportDescriptor, LengthsAreWhatWindowsGivesForEachTopLevelCollection) {
    struct Case {
        const char* name;
        Bytes descriptor;
        bool usesReportIds;
        Caps caps;
    };
    const Case cases[] = {
        // Measured under Wine on the virtual mouse, one collection per node.
        {"settings", test::SettingsCollection(), true, {{0, 40}}},
        {"button macros", test::ButtonMacroCollection(), true, {{0, 2049}}},
        {"command", test::CommandCollection(), true, {{0, 8}}},
        {"dpi input", test::DpiInputCollection(), true, {{4, 0}}},
        // A hidraw node of the mouse holds all four.
        {"mouse", test::MouseDescriptor(), true, {{0, 40}, {0, 2049}, {0, 8}, {4, 0}}},
        // No report ids: Windows still counts an id byte; nested collections are one interface.
        {"boot mouse", test::BootMouseDescriptor(), false, {{5, 0}}},
        // The longest report of a kind wins; output reports count for neither length.
        {"keyboard and consumer", test::KeyboardAndConsumerDescriptor(), true, {{9, 0}, {5, 2}}},
        // Items outside every collection and long items belong to no interface.
        {"stray items",
         test::Join({{0x75, 0x08, 0x95, 0x10, 0x81, 0x02},  // 16 bytes of input, no collection
                     {0xFE, 0x02, 0x10, 0xAA, 0xBB},        // long item with 2 data bytes
                     test::DpiInputCollection()}),
         true,
         {{4, 0}}},
        {"empty", {}, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<HidReportDescriptor> parsed = ParseReportDescriptor(c.descriptor);
        ASSERT_TRUE(parsed.has_value());
        EXPECT_EQ(parsed->usesReportIds, c.usesReportIds);
        EXPECT_EQ(CapsOf(*parsed), c.caps);
    }
}

TEST(HidReportDescriptor, ReportsAreListedByKindAndId) {
    const auto parsed = ParseReportDescriptor(test::KeyboardAndConsumerDescriptor());
    ASSERT_TRUE(parsed.has_value());
    using enum HidReportKind;
    ASSERT_EQ(parsed->collections.size(), 2u);
    EXPECT_EQ(parsed->collections[0].reports,
              (std::vector<HidReportLayout>{{kInput, 1, 9}, {kOutput, 1, 2}}));
    EXPECT_EQ(parsed->collections[1].reports,
              (std::vector<HidReportLayout>{{kInput, 2, 3}, {kInput, 4, 5}, {kFeature, 3, 2}}));
    EXPECT_EQ(FindReport(parsed->collections[1], kFeature, 3), (HidReportLayout{kFeature, 3, 2}));
    EXPECT_FALSE(FindReport(parsed->collections[1], kFeature, 2).has_value());
    EXPECT_FALSE(FindReport(parsed->collections[0], kInput, 2).has_value());
}

TEST(HidReportDescriptor, DescriptorsTheKernelRefusesAreRefused) {
    const Bytes collection = test::DpiInputCollection();
    const Bytes cases[] = {
        Bytes(collection.begin(), collection.end() - 2),   // cut inside the main item
        {0x96, 0x10},                                      // 2-byte item with one byte
        {0xFE, 0x05, 0x10, 0x00},                          // long item cut short
        {0xC0},                                            // End Collection of nothing
        {0xA1, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02},  // collection never closed
        {0xB4},                                            // Pop without Push
        {0x85, 0x00},                                      // report id 0
        {0x86, 0x00, 0x01},                                // report id 256
        // 16383 data bytes: 16384 with the id byte, past what an ioctl carries.
        {0xA1, 0x01, 0x85, 0x01, 0x75, 0x08, 0x96, 0xFF, 0x3F, 0xB1, 0x02, 0xC0},
        // Size and count at their widest: the bits overflow nothing and are refused.
        {0xA1, 0x01, 0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0x81, 0x02, 0xC0},
    };
    for (const Bytes& descriptor : cases) {
        SCOPED_TRACE(::testing::PrintToString(descriptor));
        EXPECT_FALSE(ParseReportDescriptor(descriptor).has_value());
    }
    // The longest report that fits is taken.
    const Bytes longest = {0xA1, 0x01, 0x85, 0x01, 0x75, 0x08, 0x96, 0xFE, 0x3F, 0xB1, 0x02, 0xC0};
    const auto parsed = ParseReportDescriptor(longest);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(CapsOf(*parsed), (Caps{{0, kMaxHidReportLength}}));
}

// Any bytes at all: a descriptor comes from the device, so the parser must hold against
// garbage, and whatever it accepts has lengths an ioctl can carry.
TEST(HidReportDescriptor, AnyBytesParseSafelyWithinTheLimits) {
    std::mt19937 random(47);
    const Bytes seed = test::Join({test::MouseDescriptor(), test::KeyboardAndConsumerDescriptor()});
    for (int round = 0; round < 3000; ++round) {
        Bytes bytes = seed;
        const int changes = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < changes; ++i) {
            bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
        }
        bytes.resize(random() % (bytes.size() + 1));
        if (const auto parsed = ParseReportDescriptor(bytes)) {
            for (const HidTopLevelCollection& collection : parsed->collections) {
                for (const HidReportLayout& report : collection.reports) {
                    EXPECT_GE(report.length, 2);
                    EXPECT_LE(report.length, kMaxHidReportLength);
                }
            }
        }
    }
}

}  // namespace
}  // namespace t47
