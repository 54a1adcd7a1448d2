#include "protocol/button_macro_report.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "protocol/function_code_table.h"
#include "protocol/macro_encoding.h"
#include "protocol_test_support.h"
#include "settings/little_endian.h"
#include "settings/settings_defaults.h"

namespace t47 {
namespace {

constexpr std::uint16_t kNone = 0xFFFF;

ButtonAssignments WithCodes(std::array<std::uint8_t, kButtonCount> codes) {
    ButtonAssignments buttons{};
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        buttons[b] = DefaultButtonAssignment(b);
        buttons[b].FunctionCode = codes[b];
    }
    return buttons;
}

// A macro of `entries` entries: one key press per event, no delays.
ButtonAssignment LongMacro(std::uint8_t code, std::size_t entries) {
    ButtonAssignment macro;
    macro.FunctionCode = code;
    for (std::size_t i = 0; i < entries; ++i) {
        macro.Events[i] =
            MacroEvent{code == kPlainMacroCode ? std::uint8_t{0x14} : kBulletCode, 0, 0x3301};
    }
    return macro;
}

std::vector<std::uint16_t> Offsets(const ButtonMacroReport& report) {
    std::vector<std::uint16_t> offsets;
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        offsets.push_back(ReadU16LE(report, 1 + 2 * b));
    }
    return offsets;
}

std::vector<std::uint8_t> Bytes(const ButtonMacroReport& report, std::size_t from,
                                std::size_t count) {
    return {report.begin() + static_cast<std::ptrdiff_t>(from),
            report.begin() + static_cast<std::ptrdiff_t>(from + count)};
}

bool ZeroFrom(const ButtonMacroReport& report, std::size_t from) {
    return std::all_of(report.begin() + static_cast<std::ptrdiff_t>(from), report.end(),
                       [](std::uint8_t b) { return b == 0; });
}

TEST(ButtonMacroReport, SingleEntryCodesOneAfterTheOther) {
    const ButtonMacroReport report =
        BuildButtonMacroReport(WithCodes({0xA0, 0xB8, 0xB9, 0xC2, 0xD6, 0xC7, 0xA4, 0x00}));
    EXPECT_EQ(report[0], 4);
    EXPECT_EQ(Offsets(report), (std::vector<std::uint16_t>{48, 58, 68, 78, 88, 98, 108, 118}));
    EXPECT_TRUE(std::all_of(report.begin() + 17, report.begin() + 49,
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(Bytes(report, 49, 80),
              HexBytes("21 01 00 00 00 00 00 00 FF FF"
                       " 62 01 1D 00 00 00 00 00 00 00"
                       " 83 00 00 02 00 00 00 00 00 00"
                       " 44 00 00 00 00 00 00 00 00 00"
                       " 85 10 00 00 00 00 00 00 00 00"
                       " 66 08 0F 00 00 00 00 00 00 00"
                       " 27 10 00 00 00 00 00 00 FF FF"
                       " 28 02 00 00 00 00 00 00 FF FF"));  // the eighth: always the right button
    EXPECT_TRUE(ZeroFrom(report, 129));
}

TEST(ButtonMacroReport, OffsetsFollowTheEntriesOfEachCode) {
    ButtonAssignments buttons = WithCodes({0xA5, 0xA8, 0xA6, 0xA0, 0xAB, 0xA7, 0xFF, 0xA6});
    buttons[2] = Macro(kPlainMacroCode, {{1, 1}, {0xFF, 5}, {1, 0}, {0x14, 1}});  // 3 entries
    buttons[5] = Macro(kBulletMacroCode, {});                                     // no entries
    const ButtonMacroReport report = BuildButtonMacroReport(buttons);
    // Codes without entries get 0xFFFF and take no room; an empty macro still gets its place.
    EXPECT_EQ(Offsets(report),
              (std::vector<std::uint16_t>{48, kNone, 88, 118, kNone, 128, kNone, 128}));
    EXPECT_EQ(Bytes(report, 89, 30), HexBytes("23 01 00 00 00 00 00 10 05 00"
                                              " A3 01 00 00 00 00 00 10 00 00"
                                              " 63 00 04 00 00 00 00 10 00 00"));
    EXPECT_EQ(Bytes(report, 129, 10), HexBytes("28 02 00 00 00 00 00 00 FF FF"));
    EXPECT_TRUE(ZeroFrom(report, 139));
}

TEST(ButtonMacroReport, MacrosThatDoNotFitAreLeftOutWhole) {
    struct Case {
        const char* what;
        std::array<std::size_t, 7> macroEntries;  // 0: a fixed code instead
        std::array<std::uint8_t, 7> fixedCodes;
        std::vector<std::uint16_t> expectedOffsets;
    };
    const Case cases[] = {
        {"room is kept for the fixed entries that come after",
         {92, 92, 20, 0, 0, 10, 5},
         {0, 0, 0, 0xA5, 0xA0, 0, 0},
         {48, 968, kNone, 1888, 1928, 1938, kNone, 2038}},
        {"a later, smaller macro still goes in",
         {92, 92, 16, 9, 0, 0, 0},
         {0, 0, 0, 0, 0xC0, 0xC1, 0xA5},
         {48, 968, kNone, 1888, 1978, 1988, 1998, 2038}},
        {"exactly full",
         {92, 92, 15, 0, 0, 0, 0},
         {0, 0, 0, 0xAA, 0xA8, 0x00, 0xA9},
         {48, 968, 1888, kNone, kNone, kNone, kNone, 2038}},
    };
    for (const Case& c : cases) {
        ButtonAssignments buttons{};
        for (std::size_t b = 0; b < 7; ++b) {
            if (c.macroEntries[b] != 0) {
                buttons[b] =
                    LongMacro(b % 2 ? kBulletMacroCode : kPlainMacroCode, c.macroEntries[b]);
            } else {
                buttons[b] = DefaultButtonAssignment(b);
                buttons[b].FunctionCode = c.fixedCodes[b];
            }
        }
        const ButtonMacroReport report = BuildButtonMacroReport(buttons);
        EXPECT_EQ(Offsets(report), c.expectedOffsets) << c.what;
        // The eighth button's entry is always there, and always the last.
        const std::size_t last = 1 + c.expectedOffsets.back();
        EXPECT_EQ(Bytes(report, last, 10), HexBytes("28 02 00 00 00 00 00 00 FF FF")) << c.what;
        EXPECT_TRUE(ZeroFrom(report, last + 10)) << c.what;
    }
}

}  // namespace
}  // namespace t47
