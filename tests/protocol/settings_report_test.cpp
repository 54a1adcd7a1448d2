#include "protocol/settings_report.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "protocol/command_report.h"
#include "protocol_test_support.h"
#include "settings/settings_defaults.h"

namespace t47 {
namespace {

TEST(SettingsReport, OnTheWire) {
    const SettingsReport report = BuildSettingsReport(DefaultProfile());
    EXPECT_EQ(
        std::vector<std::uint8_t>(report.begin(), report.end()),
        HexBytes("03 03 02 00 02 FF 00 00  01 02 03 04 05 06 07 00"
                 " FF 00 00 00 FF 00 00 00 FF 00 FF FF FF 00 FF FF FF 00 FF FF FF  00 00 00"));
    const CommandReport command = BuildCommandReport();
    EXPECT_EQ(std::vector<std::uint8_t>(command.begin(), command.end()),
              HexBytes("06 5A 00 00 00 00 00 00"));
}

TEST(SettingsReport, LightingBytes) {
    const struct {
        std::int32_t type, enable, bright;
        std::string_view bytes3to7;
    } cases[] = {
        {0, 1, 3, "01 02 99 99 99"},  // cycle switch; 255 * 3 / 5 = 153
        {1, 1, 5, "14 02 FF FF FF"},  // colour number; types 0 and 1 share entry 0
        {3, 1, 4, "30 02 09 08 08"},  // entry type - 1, low byte first, truncating
        {5, 1, 5, "51 02 00 00 00"},  // cycle switch
        {4, 0, 5, "00 02 00 00 00"},  // light off: only the speed stays
        {8, 1, 5, "80 02 00 00 00"},  // a type without colour entry sends black
        {INT32_MIN, 1, 5, "00 02 00 00 00"},
    };
    for (const auto& c : cases) {
        ProfileData profile = DefaultProfile();
        profile.light_Color = {0xFFFFFF, 0x123456, 0x0A0B0C, 0, 0, 0, 0};
        profile.light_type = c.type;
        profile.Cycle_enable = 1;
        profile.light_bright_colorID = 4;
        profile.Enable_light = c.enable;
        profile.light_bright = c.bright;
        const SettingsReport report = BuildSettingsReport(profile);
        EXPECT_EQ(std::vector<std::uint8_t>(report.begin() + 3, report.begin() + 8),
                  HexBytes(c.bytes3to7));
    }
}

TEST(SettingsReport, ReadBack) {
    constexpr std::size_t kNone = kLightColorCount;
    const struct {
        std::string_view bytes1to7;
        std::int32_t brightBefore;
        std::size_t entry;                    // the light_Color entry that changes
        std::int32_t colour, enable, bright;  // what it and the two fields become
    } cases[] = {
        {"05 01 20 00 00 00 00", 3, 1, 0, 0, 0},         // black: light off
        {"00 03 35 06 01 02 03", 0, 2, 0x030201, 1, 5},  // no brightness: taken as it is
        {"00 00 01 00 FF 01 00", 1, 0, 0x0005FB, 1, 1},  // low 8 bits of 255 * 5
        {"00 00 10 00 99 99 99", 3, 0, 0xFFFFFF, 1, 3},  // undoes the upload's scaling
        {"00 00 80 00 00 00 00", 3, kNone, 0, 0, 0},     // type 8 on: no colour stored,
        {"00 00 F0 00 01 02 03", 0, kNone, 0, 1, 5},     // the rest of the rule applies
    };
    for (const auto& c : cases) {
        ProfileData profile = DefaultProfile();
        profile.light_Color = {10, 11, 12, 13, 14, 15, 16};
        profile.light_bright = c.brightBefore;
        SettingsReport report{};
        const std::vector<std::uint8_t> bytes = HexBytes(c.bytes1to7);
        std::copy(bytes.begin(), bytes.end(), report.begin() + 1);
        for (std::size_t i = 8; i < report.size(); ++i) {
            report[i] = std::uint8_t(i);
        }
        // Only the fields the report carries change: not DPI_Value, nor the colour number.
        ProfileData expected = profile;
        expected.DPI_Cur = bytes[0];
        expected.POLLRATE_VALUE = bytes[1];
        expected.light_type = bytes[2] >> 4;
        expected.Cycle_enable = bytes[2] & 0x0F;  // whatever the type
        expected.light_speed = 5 - bytes[3];
        for (std::int32_t j = 0; j < 7; ++j) {
            expected.DPI_Color[std::size_t(j)] = 0x121110 + 0x030303 * j;
        }
        if (c.entry != kNone) {
            expected.light_Color[c.entry] = c.colour;
        }
        expected.Enable_light = c.enable;
        expected.light_bright = c.bright;
        DecodeSettingsReport(report, profile);
        EXPECT_EQ(profile, expected) << c.bytes1to7;
    }
}

}  // namespace
}  // namespace t47
