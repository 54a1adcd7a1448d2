#include "protocol/settings_report.h"

#include <gtest/gtest.h>

#include "protocol/command_report.h"
#include "protocol_test_support.h"
#include "settings/settings_defaults.h"

namespace t47 {
namespace {

std::vector<std::uint8_t> Bytes(const SettingsReport& report) {
    return {report.begin(), report.end()};
}

SettingsReport ReportFrom(std::string_view hex) {
    SettingsReport report{};
    const std::vector<std::uint8_t> bytes = HexBytes(hex);
    std::copy(bytes.begin(), bytes.end(), report.begin());
    return report;
}

TEST(SettingsReport, DefaultProfileOnTheWire) {
    EXPECT_EQ(Bytes(BuildSettingsReport(DefaultProfile())),
              HexBytes("03 03 02 00 02 FF 00 00"      // id, stage, rate, mode, speed, colour
                       " 01 02 03 04 05 06 07 00"     // DPI levels
                       " FF 00 00 00 FF 00 00 00 FF"  // stage colours, low byte first
                       " 00 FF FF FF 00 FF FF FF 00 FF FF FF 00 00 00"));
}

TEST(SettingsReport, LightingModeByte) {
    struct Case {
        std::int32_t type, cycle, colorId, enable;
        std::uint8_t expected;
    };
    const Case cases[] = {
        {0, 1, 6, 1, 0x01},  // type 0 carries the cycle switch
        {5, 1, 6, 1, 0x51},  // so does type 5
        {1, 1, 4, 1, 0x14},  // type 1 carries the colour number
        {3, 1, 4, 1, 0x30},  // the others carry nothing
        {6, 1, 4, 1, 0x60},  //
        {0, 1, 6, 0, 0x00},  // light off
    };
    for (const Case& c : cases) {
        ProfileData profile = DefaultProfile();
        profile.light_type = c.type;
        profile.Cycle_enable = c.cycle;
        profile.light_bright_colorID = c.colorId;
        profile.Enable_light = c.enable;
        EXPECT_EQ(BuildSettingsReport(profile)[3], c.expected) << "type " << c.type;
    }
}

TEST(SettingsReport, LightingColourIsTheTypesEntryScaledByBrightness) {
    ProfileData profile = DefaultProfile();
    profile.light_Color = {0xFFFFFF, 0x123456, 0x0A0B0C, 0, 0, 0, 0x7F8081};
    struct Case {
        std::int32_t type, bright;
        std::string_view expected;  // bytes 4..7
    };
    const Case cases[] = {
        {0, 3, "02 99 99 99"},  // 255 * 3 / 5 = 153
        {1, 5, "02 FF FF FF"},  // types 0 and 1 both use entry 0
        {2, 5, "02 56 34 12"},  // low byte first
        {3, 4, "02 09 08 08"},  // truncating: 12 * 4 / 5 = 9
        {7, 0, "02 00 00 00"},  // brightness 0 sends black
        {7, 2, "02 33 33 32"},  // type 7 uses the last entry
    };
    for (const Case& c : cases) {
        profile.light_type = c.type;
        profile.light_bright = c.bright;
        const SettingsReport report = BuildSettingsReport(profile);
        EXPECT_EQ(std::vector<std::uint8_t>(report.begin() + 4, report.begin() + 8),
                  HexBytes(c.expected))
            << "type " << c.type;
    }
}

TEST(SettingsReport, LightOffClearsModeAndColourButKeepsSpeed) {
    ProfileData profile = DefaultProfile();
    profile.Enable_light = 0;
    profile.light_speed = 1;
    profile.light_type = 4;
    const SettingsReport report = BuildSettingsReport(profile);
    EXPECT_EQ(std::vector<std::uint8_t>(report.begin() + 3, report.begin() + 8),
              HexBytes("00 04 00 00 00"));
}

TEST(SettingsReport, ReadsModeAndSpeed) {
    struct Case {
        std::string_view bytes1to4;
        std::int32_t stage, rate, type, cycle, speed;
    };
    const Case cases[] = {
        {"05 01 25 00", 5, 1, 2, 5, 5},   // cycle read whatever the type
        {"00 03 01 06", 0, 3, 0, 1, -1},  // speed is 5 minus the byte, signed
        {"FF FF FF FF", 255, 255, 15, 15, -250},
    };
    for (const Case& c : cases) {
        ProfileData profile = DefaultProfile();
        DecodeSettingsReport(ReportFrom("03 " + std::string(c.bytes1to4) + " 11 22 33"), profile);
        EXPECT_EQ(profile.DPI_Cur, c.stage);
        EXPECT_EQ(profile.POLLRATE_VALUE, c.rate);
        EXPECT_EQ(profile.light_type, c.type);
        EXPECT_EQ(profile.Cycle_enable, c.cycle);
        EXPECT_EQ(profile.light_speed, c.speed);
    }
}

TEST(SettingsReport, ColourReadBackRule) {
    struct Case {
        std::string_view mode, colour;  // byte 3, bytes 5..7
        std::int32_t brightBefore;
        std::size_t entry;
        std::int32_t expectedColour, expectedEnable, expectedBright;
    };
    const Case cases[] = {
        {"20", "00 00 00", 3, 1, 0, 0, 0},          // black: light off
        {"30", "01 02 03", 0, 2, 0x030201, 1, 5},   // no brightness: taken as it is
        {"30", "01 02 03", -4, 2, 0x030201, 1, 5},  //
        {"00", "FF 01 00", 1, 0, 0x0005FB, 1, 1},   // low 8 bits of 255 * 5
        {"10", "99 99 99", 3, 0, 0xFFFFFF, 1, 3},   // undoes the upload's scaling
        {"70", "0A 00 00", 2, 6, 0x000019, 1, 2},   // type 7: the last entry
    };
    for (const Case& c : cases) {
        ProfileData profile = DefaultProfile();
        profile.light_Color = {10, 11, 12, 13, 14, 15, 16};
        profile.light_bright = c.brightBefore;
        DecodeSettingsReport(
            ReportFrom("03 00 00 " + std::string(c.mode) + " 00 " + std::string(c.colour)),
            profile);
        for (std::size_t i = 0; i < kLightColorCount; ++i) {
            EXPECT_EQ(profile.light_Color[i],
                      i == c.entry ? c.expectedColour : static_cast<std::int32_t>(10 + i))
                << "entry " << i << " for colour " << c.colour;
        }
        EXPECT_EQ(profile.Enable_light, c.expectedEnable);
        EXPECT_EQ(profile.light_bright, c.expectedBright);
    }
}

TEST(SettingsReport, TypeBeyondTheSevenColoursStoresNoColour) {
    struct Case {
        std::string_view colour;
        std::int32_t brightBefore, expectedEnable, expectedBright;
    };
    // The colour rule's other effects stay: black still turns the light off.
    const Case cases[] = {{"00 00 00", 3, 0, 0}, {"01 02 03", 0, 1, 5}, {"01 02 03", 2, 1, 2}};
    for (std::string_view mode : {"80", "F0"}) {
        for (const Case& c : cases) {
            ProfileData profile = DefaultProfile();
            const ColorList before = {1, 2, 3, 4, 5, 6, 7};
            profile.light_Color = before;
            profile.light_bright = c.brightBefore;
            DecodeSettingsReport(
                ReportFrom("03 00 00 " + std::string(mode) + " 00 " + std::string(c.colour)),
                profile);
            EXPECT_EQ(profile.light_Color, before);
            EXPECT_EQ(profile.Enable_light, c.expectedEnable);
            EXPECT_EQ(profile.light_bright, c.expectedBright);
        }
    }
}

TEST(SettingsReport, ReadBackChangesOnlyItsFields) {
    ProfileData profile = DefaultProfile();
    profile.light_bright = 5;
    profile.light_bright_colorID = 6;
    ProfileData expected = profile;
    SettingsReport report{};
    for (std::size_t i = 0; i < report.size(); ++i) {
        report[i] = static_cast<std::uint8_t>(0x30 + i);  // light_type 3, colour entry 2
    }
    DecodeSettingsReport(report, profile);

    expected.DPI_Cur = 0x31;
    expected.POLLRATE_VALUE = 0x32;
    expected.light_type = 3;
    expected.Cycle_enable = 3;
    expected.light_speed = 5 - 0x34;
    expected.light_Color[2] = 0x373635;  // brightness 5 divides out
    for (std::size_t i = 0; i < kDpiStageCount; ++i) {
        const auto low = static_cast<std::int32_t>(0x40 + 3 * i);
        expected.DPI_Color[i] = low | (low + 1) << 8 | (low + 2) << 16;
    }
    EXPECT_EQ(profile, expected);  // DPI_Value, colour number, light switch and the rest kept
}

TEST(SettingsReport, BuildThenReadGivesTheReportedFieldsBack) {
    ProfileData sent = DefaultProfile();
    sent.DPI_Cur = 7;
    sent.POLLRATE_VALUE = 0;
    sent.light_type = 5;
    sent.Cycle_enable = 1;
    sent.light_speed = 1;
    sent.light_Color[4] = 0x00A0B0;
    sent.DPI_Color = {0x010203, 0xFFFFFF, 0, 0x800000, 0x7F, 0xABCDEF, 0x102030};
    ProfileData read = DefaultProfile();
    DecodeSettingsReport(BuildSettingsReport(sent), read);
    EXPECT_EQ(read, sent);
}

TEST(CommandReport, OnTheWire) {
    const CommandReport report = BuildCommandReport();
    EXPECT_EQ(std::vector<std::uint8_t>(report.begin(), report.end()),
              HexBytes("06 5A 00 00 00 00 00 00"));
}

}  // namespace
}  // namespace t47
