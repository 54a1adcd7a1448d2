#include "protocol/button_macro_report_decoding.h"

#include <gtest/gtest.h>

#include "protocol/entry_blocks.h"
#include "protocol/function_code_table.h"
#include "protocol/macro_encoding.h"
#include "protocol_test_support.h"
#include "settings/little_endian.h"
#include "settings/settings_defaults.h"
#include "settings/settings_validation.h"

namespace t47 {
namespace {

constexpr std::uint16_t kNone = 0xFFFF;
using OffsetWords = std::array<std::uint16_t, kButtonCount>;

// A report with these offset words and these entries, each placed at its offset.
ButtonMacroReport ReportWith(const OffsetWords& words,
                             std::initializer_list<std::pair<std::size_t, std::string_view>> at) {
    ButtonMacroReport report{};
    report[0] = kButtonMacroReportId;
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        WriteU16LE(report, 1 + 2 * b, words[b]);
    }
    for (const auto& [offset, hex] : at) {
        const std::vector<std::uint8_t> bytes = HexBytes(hex);
        std::copy(bytes.begin(), bytes.end(),
                  report.begin() + static_cast<std::ptrdiff_t>(1 + offset));
    }
    return report;
}

ButtonAssignments DefaultButtons() {
    return DefaultProfile().ButtonAssigned;
}

std::vector<std::uint8_t> Codes(const DecodedButtons& decoded) {
    std::vector<std::uint8_t> codes;
    for (const ButtonAssignment& record : decoded.buttons) {
        codes.push_back(record.FunctionCode);
    }
    return codes;
}

TEST(LocateEntryBlocks, OffsetsAndLengths) {
    const struct {
        const char* what;
        OffsetWords words;
        std::array<std::size_t, kButtonCount> lengths;
    } cases[] = {
        {"to the next listed offset; the last listed is one entry",
         {48, 58, 88, kNone, 98, 0x0830, kNone, 118},
         {10, 30, 10, 0, 10, 70, 0, 10}},
        {"equal offsets: the first is one entry",
         {48, 48, 58, kNone, kNone, kNone, kNone, kNone},
         {10, 10, 10, 0, 0, 0, 0, 0}},
        {"cut to the entry buffer",
         {48, 1048, kNone, kNone, kNone, kNone, kNone, 2038},
         {920, 920, 0, 0, 0, 0, 0, 10}},
        {"cut to the end of the report",
         {2043, 2049, 2047, 0x0802, 0x08FF, kNone, kNone, 0},
         {5, 0, 1, 10, 0, 0, 0, 10}},
    };
    for (const auto& c : cases) {
        const auto blocks = LocateEntryBlocks(ReportWith(c.words, {}));
        for (std::size_t b = 0; b < kButtonCount; ++b) {
            EXPECT_EQ(blocks[b].length, c.lengths[b]) << c.what << ", button " << b;
            if (blocks[b].length > 0) {
                EXPECT_EQ(blocks[b].begin, 1u + static_cast<std::size_t>(blocks[b].offset));
            }
        }
    }
    EXPECT_EQ(LocateEntryBlocks(ReportWith({0x0830, 0x0802, 0x0801}, {}))[0].offset, 0x30);
    EXPECT_EQ(LocateEntryBlocks(ReportWith({0x0830, 0x0802, 0x0801}, {}))[1].offset, 2);
    EXPECT_EQ(LocateEntryBlocks(ReportWith({0x0830, 0x0802, 0x0801}, {}))[2].offset, 2049);
}

TEST(DecodeButtonMacroReport, NonMacroBlocks) {
    const struct {
        const char* what;
        ButtonMacroReport report;
        std::vector<std::uint8_t> codes;
    } cases[] = {
        {"40 bytes give a double click, 20 bytes nothing known",
         ReportWith({48, 88, 108, kNone, kNone, kNone, kNone, 118},
                    {{108, "23 02"}, {118, "28 02"}}),
         {0xA5, 0xAB, 0xA1, 0xAB, 0xAB, 0xAB, 0xAB, 0xA1}},
        {"single entries by the table; no match gives 0",
         ReportWith({48, 58, 68, kNone, kNone, kNone, kNone, kNone},
                    {{48, "61 01 1D"}, {58, "62 01 1E"}, {68, "83 55 00 02"}}),
         {0xB8, 0, 0xB9, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB}},
        {"equal offsets: the first is read from the second's entry",
         ReportWith({48, 48, kNone, kNone, kNone, kNone, kNone, kNone}, {{48, "42 02"}}),
         {0xC1, 0xC1, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB}},
        {"the last listed reads one entry of a longer block",
         ReportWith({kNone, kNone, kNone, kNone, kNone, kNone, kNone, 48},
                    {{48, "28 01 00 00 00 00 00 00 41 00 A8 01 00 00 00 00 00 00 41 00"}}),
         {0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xA0}},
        {"a block cut at the end of the report",
         ReportWith({2043, kNone, kNone, kNone, kNone, kNone, kNone, kNone}, {}),
         {0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB}},
    };
    for (const auto& c : cases) {
        const DecodedButtons decoded = DecodeButtonMacroReport(c.report, DefaultButtons());
        EXPECT_EQ(Codes(decoded), c.codes) << c.what;
        for (const ButtonAssignment& record : decoded.buttons) {
            ButtonAssignment onlyCode{};
            onlyCode.FunctionCode = record.FunctionCode;
            EXPECT_EQ(record, onlyCode) << c.what;
        }
        EXPECT_TRUE(decoded.libraryEntries.empty());
    }
}

TEST(DecodeButtonMacroReport, EveryFixedCodeComesBack) {
    for (int code = 0; code <= 0xFF; ++code) {
        const auto c = static_cast<std::uint8_t>(code);
        if (c == kPlainMacroCode || c == kBulletMacroCode) {
            continue;
        }
        ButtonAssignments buttons = DefaultButtons();
        const std::size_t button = static_cast<std::size_t>(code) % 7;
        buttons[button].FunctionCode = c;
        const DecodedButtons decoded =
            DecodeButtonMacroReport(BuildButtonMacroReport(buttons), buttons);
        const bool fixed = IsValidFunctionCode(c) && FixedEntriesOf(c).count > 0;
        EXPECT_EQ(decoded.buttons[button].FunctionCode, fixed ? c : kNoEntriesCode) << code;
        EXPECT_EQ(decoded.buttons[7].FunctionCode, 0xA1);
    }
}

TEST(DecodeButtonMacroReport, MacrosAgainstTheHeldRecords) {
    ButtonAssignments held = DefaultButtons();
    // Equal to what the mouse holds: a plain macro whose trailing delay comes back as 0, and
    // a bullet macro.
    held[0] = Macro(kPlainMacroCode, {{0x14, 1}, {0xFF, 8}, {0x14, 0}, {0xFF, 500}}, 1, 3);
    held[0].MacroIndex = 17;
    held[1] = Macro(kBulletMacroCode, {{4, 1}, {4, 0}, {12, 0x3705}, {0xFF, 30}, {12, 0x3600}});
    held[1].MacroIndex = 8;
    ButtonAssignments sent = held;
    // Differ from what the settings hold.
    sent[2] = Macro(kBulletMacroCode, {{5, 1}, {5, 0}, {12, 0x3705}, {0xFF, 9}, {12, 0x3706}});
    held[2].MacroIndex = 42;
    sent[3] = Macro(kBulletMacroCode, {{1, 1}, {1, 0}, {12, 0x3705}});
    held[3] = Macro(kBulletMacroCode, {{1, 1}});
    held[3].MacroIndex = 5;
    sent[4] = Macro(kPlainMacroCode, {{0x14, 1}});  // a trailing press reads back as released
    held[4] = sent[4];
    held[4].MacroIndex = 6;
    sent[5] = Macro(kBulletMacroCode, {{3, 1}, {3, 0}, {12, 0x3705}});

    const DecodedButtons decoded = DecodeButtonMacroReport(BuildButtonMacroReport(sent), held);
    const struct {
        std::uint8_t code, count;
        std::int32_t macroIndex;
    } expected[] = {
        {kPlainMacroCode, 4, 17},
        {kBulletMacroCode, 5, 8},
        {kBulletMacroCode, 5, 42},
        {kBulletMacroCode, 3, -1},
        {kPlainMacroCode, 1, -1},
        {kBulletMacroCode, 3, -1},  // written to the library, the held index kept
    };
    for (std::size_t b = 0; b < 6; ++b) {
        EXPECT_EQ(decoded.buttons[b].FunctionCode, expected[b].code) << b;
        EXPECT_EQ(decoded.buttons[b].ButtonNo, b + 1) << b;
        EXPECT_EQ(decoded.buttons[b].EventCount, expected[b].count) << b;
        EXPECT_EQ(decoded.buttons[b].MacroIndex, expected[b].macroIndex) << b;
    }
    EXPECT_EQ(decoded.buttons[0].Events[3], (MacroEvent{0xFF, 0, 0}));
    EXPECT_EQ(decoded.buttons[1].Events, held[1].Events);  // a bullet's last event is kept
    EXPECT_EQ(decoded.buttons[4].Events[0], (MacroEvent{0x14, 0, 0}));

    // The bullet macros that differ and carry an entry number, in button order.
    ASSERT_EQ(decoded.libraryEntries.size(), 2u);
    const LibraryEntry& third = decoded.libraryEntries[0];
    EXPECT_EQ(third.buttonIndex, 2u);
    EXPECT_EQ(third.number, 3);
    EXPECT_EQ(third.bulletCount, 2);
    EXPECT_EQ(third.events, MacroEventsToBytes(sent[2].Events));
    const LibraryEntry& sixth = decoded.libraryEntries[1];
    EXPECT_EQ(sixth.number, 1);
    EXPECT_EQ(sixth.bulletCount, 1);
    MacroEventsBytes bytes{};
    const std::vector<std::uint8_t> events = HexBytes("03 00 01 00 03 00 00 00 0C 00 05 37");
    std::copy(events.begin(), events.end(), bytes.begin());
    EXPECT_EQ(sixth.events, bytes);
}

TEST(DecodeButtonMacroReport, LongBlocksStopAtTheNinetySecondEvent) {
    // Press-and-delay entries from offset 48 on: a 1000-byte block, cut to 92 entries, then the
    // second button's one entry.
    ButtonMacroReport report = ReportWith({48, 1048, kNone, kNone, kNone, kNone, kNone, kNone}, {});
    for (std::size_t at = 49; at < 1059; at += 10) {
        const std::vector<std::uint8_t> entry = HexBytes("21 01 00 00 00 00 00 10 07 00");
        std::copy(entry.begin(), entry.end(), report.begin() + static_cast<std::ptrdiff_t>(at));
    }
    const DecodedButtons decoded = DecodeButtonMacroReport(report, DefaultButtons());
    EXPECT_EQ(decoded.buttons[0].FunctionCode, kPlainMacroCode);
    EXPECT_EQ(decoded.buttons[0].EventCount, 92);
    EXPECT_EQ(decoded.buttons[0].Events[91], (MacroEvent{0xFF, 0, 0}));  // last Value cleared
    EXPECT_EQ(decoded.buttons[1].FunctionCode, kPlainMacroCode);
    EXPECT_EQ(decoded.buttons[1].EventCount, 2);
}

}  // namespace
}  // namespace t47
