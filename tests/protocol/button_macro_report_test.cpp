#include "protocol/button_macro_report.h"

#include <gtest/gtest.h>

#include <utility>

#include "protocol/button_macro_report_decoding.h"
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
using Words = std::array<std::uint16_t, kButtonCount>;
const ButtonAssignments kDefaults = DefaultProfile().ButtonAssigned;

Words Offsets(const ButtonMacroReport& report) {
    Words words{};
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        words[b] = ReadU16LE(report, 1 + 2 * b);
    }
    return words;
}

// A report with these offset words and, from report byte 49 on, these bytes.
ButtonMacroReport ReportWith(const Words& words, std::string_view entries = "") {
    ButtonMacroReport report{kButtonMacroReportId};
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        WriteU16LE(report, 1 + 2 * b, words[b]);
    }
    const std::vector<std::uint8_t> bytes = HexBytes(entries);
    std::copy(bytes.begin(), bytes.end(), report.begin() + 49);
    return report;
}

TEST(ButtonMacroReport, EntriesButtonAfterButton) {
    ButtonAssignments buttons = kDefaults;
    const std::uint8_t codes[] = {0xB8, 0xA8, 0xA6, 0xA5, 0xAB, 0xA7, 0xD6, 0x00};
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        buttons[b].FunctionCode = codes[b];
    }
    buttons[2] = Macro(kPlainMacroCode, {{1, 1}, {0xFF, 5}, {1, 0}});
    buttons[5] = Macro(kBulletMacroCode, {});  // no entries, yet a place
    const ButtonMacroReport report = BuildButtonMacroReport(buttons);
    EXPECT_EQ(report, ReportWith({48, kNone, 58, 78, kNone, 118, 118, 128},
                                 "61 01 1D 00 00 00 00 00 00 00 | 23 01 00 00 00 00 00 10 05 00 |"
                                 "A3 01 00 00 00 00 00 10 00 00 | 24 01 00 00 00 00 00 00 41 00 |"
                                 "A4 01 00 00 00 00 00 00 41 00 | 24 01 00 00 00 00 00 00 41 00 |"
                                 "A4 01 00 00 00 00 00 00 41 00 | 87 10 00 00 00 00 00 00 00 00 |"
                                 "28 02 00 00 00 00 00 00 FF FF"));  // the eighth: always 0xA1
}

TEST(ButtonMacroReport, MacrosThatDoNotFitAreLeftOutWhole) {
    const struct {
        std::array<std::size_t, 7> macroEntries;  // 0: the fixed code below instead
        std::array<std::uint8_t, 7> fixedCodes;
        Words offsets;
    } cases[] = {
        // Room is kept for the fixed entries that come later; a later macro that fits goes in.
        {{92, 92, 20, 0, 0, 10, 5},
         {0, 0, 0, 0xA5, 0xA0},
         {48, 968, kNone, 1888, 1928, 1938, kNone, 2038}},
        {{92, 92, 15, 0, 0, 0, 0}, {}, {48, 968, 1888, kNone, kNone, kNone, kNone, 2038}},  // full
    };
    for (const auto& c : cases) {
        ButtonAssignments buttons{};
        for (std::size_t b = 0; b < 7; ++b) {
            buttons[b].FunctionCode = c.fixedCodes[b];
            if (c.macroEntries[b] != 0) {  // one bullet or key press per entry
                buttons[b].FunctionCode = b % 2 ? kBulletMacroCode : kPlainMacroCode;
                for (std::size_t i = 0; i < c.macroEntries[b]; ++i) {
                    buttons[b].Events[i] = {std::uint8_t(b % 2 ? 12 : 0x14), 0, 0x3301};
                }
            }
        }
        const ButtonMacroReport report = BuildButtonMacroReport(buttons);
        EXPECT_EQ(Offsets(report), c.offsets);
        EXPECT_EQ(std::vector(report.end() - 10, report.end()),
                  HexBytes("28 02 00 00 00 00 00 00 FF FF"));

        // Read back, a left-out macro keeps its held record when the held buttons' report
        // leaves it out too; against held macros that fit, or other functions, it is 0xAB.
        ButtonAssignments fitting = buttons;
        for (ButtonAssignment& button : fitting) {
            button.Events[1] = {};
        }
        for (const ButtonAssignments* held :
             {&std::as_const(buttons), &std::as_const(fitting), &kDefaults}) {
            const DecodedButtons decoded = DecodeButtonMacroReport(report, *held);
            for (std::size_t b = 0; b < kButtonCount; ++b) {
                const bool leftOut = c.offsets[b] == kNone && c.macroEntries[b] != 0;
                EXPECT_EQ(MacrosLeftOut(*held)[b], held == &buttons && leftOut) << b;
                if (c.offsets[b] == kNone) {
                    EXPECT_EQ(decoded.buttons[b],
                              held == &buttons && leftOut ? buttons[b] : Macro(kNoEntriesCode, {}))
                        << b;
                }
            }
        }
    }
}

TEST(LocateEntryBlocks, Lengths) {
    const std::pair<Words, std::array<std::size_t, kButtonCount>> cases[] = {
        // Up to the next listed offset when larger, else one entry; 0x0830 counts as 0x30.
        {{48, 58, 48, kNone, 98, 0x0830, kNone, 118}, {10, 10, 50, 0, 10, 70, 0, 10}},
        // Cut to the 920-byte entry buffer and to the end of the report.
        {{48, 1048, 2043, 2049, 2047, 0x08FF, kNone, 0x0802}, {920, 920, 5, 0, 1, 0, 0, 10}},
    };
    for (const auto& [words, lengths] : cases) {
        const auto blocks = LocateEntryBlocks(ReportWith(words));
        for (std::size_t b = 0; b < kButtonCount; ++b) {
            EXPECT_EQ(blocks[b].length, lengths[b]) << "button " << b;
            EXPECT_TRUE(lengths[b] == 0 || blocks[b].begin == 1u + std::size_t(blocks[b].offset));
        }
    }
}

TEST(DecodeButtonMacroReport, BlocksWithoutMacro) {
    const std::pair<ButtonMacroReport, std::array<std::uint8_t, kButtonCount>> cases[] = {
        // 40 bytes: double click; 20 bytes: unknown; equal offsets: the first reads the second's
        // entry; the last listed reads one entry of a longer block; a zero entry matches no row.
        {ReportWith({48, 88, 108, 118, 118, kNone, kNone, 128}, "| | | | | | 45 02 | 62 08 0F"),
         {0xA5, 0xAB, 0xC1, 0xC7, 0xC7, 0xAB, 0xAB, 0}},
        {ReportWith({kNone, kNone, 0x08FF, 2043, kNone, kNone, kNone, 48}, "28 01 | A8 01"),
         {0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xAB, 0xA0}},  // cut at the report's end
    };
    for (const auto& [report, codes] : cases) {
        const DecodedButtons decoded = DecodeButtonMacroReport(report, kDefaults);
        for (std::size_t b = 0; b < kButtonCount; ++b) {
            EXPECT_EQ(decoded.buttons[b], Macro(codes[b], {})) << "button " << b;
        }
        EXPECT_TRUE(decoded.libraryEntries.empty());
    }
    // The single-entry table, first match first: 0xB9 before byte 1, kind 0x60 by byte 2.
    const std::pair<std::string_view, std::uint8_t> entries[] = {
        {"6F 01 1D 07 07 07 07 00 12 34", 0xB8},
        {"85 FF 00 02", 0xB9},
        {"85 08 00 00", 0xD0},
        {"85 FF 01 02", 0},
        {"62 08 00", 0xBA},
        {"62 08 09", 0},
        {"21 03", 0},
        {"A1 01", 0}};
    for (const auto& [entry, code] : entries) {
        const std::vector<std::uint8_t> bytes = HexBytes(std::string(entry) + "|");
        EXPECT_EQ(FunctionCodeOfEntry(std::span(bytes).first<kReportEntrySize>()), code) << entry;
    }
}

TEST(DecodeButtonMacroReport, EveryFixedCodeComesBack) {
    for (int code = 0; code <= 0xFF; ++code) {
        const auto c = std::uint8_t(code);
        ButtonAssignments buttons = kDefaults;
        const std::size_t button = std::size_t(code) % 7;
        buttons[button].FunctionCode = c;
        if (c == kPlainMacroCode || c == kBulletMacroCode) {
            continue;
        }
        const DecodedButtons decoded =
            DecodeButtonMacroReport(BuildButtonMacroReport(buttons), buttons);
        const bool fixed = IsValidFunctionCode(c) && (c < 0xA6 || c > 0xAB);
        EXPECT_EQ(FixedEntriesOf(c).count, fixed ? (c == kDoubleClickCode ? 4u : 1u) : 0u) << code;
        EXPECT_EQ(decoded.buttons[button].FunctionCode, fixed ? c : kNoEntriesCode) << code;
        EXPECT_EQ(decoded.buttons[7].FunctionCode, 0xA1);
    }
}

TEST(DecodeButtonMacroReport, MacrosComeBackWhereTheWireCarriesThem) {
    // Each macro is encoded (unless only its entries are given) and read back as button 1.
    const struct {
        ButtonAssignment sent;  // FunctionCode 0: the wire alone, as a mouse could hold it
        std::string_view wire;
        ButtonAssignment readBack;
    } cases[] = {
        // a kind 0xC entry anywhere makes a bullet macro, not only in the third entry
        {Macro(kBulletMacroCode, {{3, 1}, {12, 0x3705}, {12, 0}}),
         "20 01 00 00 00 00 00 10 | C0 05 05 02 00 00 00 10 | A0 05 05 00 00 00 00 10",
         Macro(kBulletMacroCode, {{3, 1}, {12, 0x3705}, {12, 0}})},
        {Macro(kBulletMacroCode, {{12, 0x3705}, {0xFF, 40}, {12, 0}}),
         "C0 05 05 0B 00 00 00 10 28 00 | A0 05 05 00 00 00 00 10",
         Macro(kBulletMacroCode, {{12, 0x3705}, {0xFF, 40}, {12, 0}})},
        // a mode past 14 goes out as 0x10, not as mode byte 0 that read back as a double click
        {Macro(kPlainMacroCode, {{1, 1}, {1, 0}, {1, 1}, {1, 0}}, 0xFF, 5),
         "20 01 00 00 00 00 00 10 | A0 01 00 00 00 00 00 10 | 20 01 00 00 00 00 00 10 |"
         "A0 01 00 00 00 00 00 10",
         Macro(kPlainMacroCode, {{1, 1}, {1, 0}, {1, 1}, {1, 0}})},
        // kind 0xA is a release: of the latest bullet when it repeats its bytes 1 and 2, of 12
        // when byte 1 is 12, else of the code in byte 1
        {Macro(kBulletMacroCode,
               {{2, 1}, {2, 0}, {12, 0x3301}, {0xFF, 9}, {12, 0}, {2, 1}, {2, 0}}),
         "20 01 00 00 00 00 00 10 | A0 01 00 00 00 00 00 10 | C0 01 01 01 00 00 00 10 09 00 |"
         "A0 01 01 00 00 00 00 10 | 20 01 00 00 00 00 00 10 | A0 01 00 00 00 00 00 10",
         Macro(kBulletMacroCode,
               {{2, 1}, {2, 0}, {12, 0x3301}, {0xFF, 9}, {12, 0}, {2, 1}, {2, 0}})},
        {{},
         "C0 05 05 02 00 00 00 10 | A0 0C 00 00 00 00 00 10",
         Macro(kBulletMacroCode, {{12, 0x3705}, {12, 0}})},
        // usages above 0xFF go out as their low byte and find their key again; a keyboard entry
        // holds one key, so every release names the latest key
        {Macro(kPlainMacroCode, {{0x88, 1},
                                 {0x90, 1},
                                 {0xFF, 20},
                                 {0x90, 0},
                                 {0x88, 0},
                                 {0x95, 1},
                                 {0x95, 0},
                                 {0x9B, 1}}),
         "60 00 E0 00 00 00 00 10 | 60 00 83 00 00 00 00 10 14 00 | 60 00 00 00 00 00 00 10 |"
         "60 00 00 00 00 00 00 10 | 60 00 C9 00 00 00 00 10 | 60 00 00 00 00 00 00 10 |"
         "60 00 C8 00 00 00 00 10",
         Macro(kPlainMacroCode, {{0x88, 1},
                                 {0x90, 1},
                                 {0xFF, 20},
                                 {0x90, 0},
                                 {0x90, 0},
                                 {0x95, 1},
                                 {0x95, 0},
                                 {0x9B, 0}})},
        // a usage no key has makes no event (a Code 0 would end the list and leave Ctrl held)
        {{},
         "60 00 E0 00 00 00 00 10 | 60 00 64 00 00 00 00 10 14 00 | 60 00 00 00 00 00 00 10",
         Macro(kPlainMacroCode, {{0x88, 1}, {0xFF, 20}, {0x88, 0}})},
        // a release with a delay of its own, right after a press without one, releases that key
        {Macro(kPlainMacroCode, {{1, 1}, {1, 0}, {0x14, 1}, {0x14, 0}, {0xFF, 30}, {4, 1}}),
         "20 01 00 00 00 00 00 10 | A0 01 00 00 00 00 00 10 | 60 00 04 00 00 00 00 10 |"
         "60 00 00 00 00 00 00 10 1E 00 | 20 04 00 00 00 00 00 10",
         Macro(kPlainMacroCode, {{1, 1}, {1, 0}, {0x14, 1}, {0x14, 0}, {0xFF, 30}, {4, 0}})},
    };
    for (const auto& c : cases) {
        const std::vector<std::uint8_t> wire = HexBytes(c.wire);
        if (c.sent.FunctionCode != 0) {
            EntryBuffer entries{};
            const bool plain = c.sent.FunctionCode == kPlainMacroCode;
            const std::int32_t n = (plain ? EncodePlainMacro : EncodeBulletMacro)(c.sent, entries);
            EXPECT_EQ(std::vector(entries.begin(), entries.begin() + n * 10), wire) << c.wire;
        }
        const auto next = std::uint16_t(48 + wire.size());
        const ButtonMacroReport report =
            ReportWith({48, next, kNone, kNone, kNone, kNone, kNone, kNone}, c.wire);
        ButtonAssignment expected = c.readBack;
        expected.ButtonNo = 1;
        expected.MacroIndex = kNoMacroIndex;
        EXPECT_EQ(DecodeButtonMacroReport(report, kDefaults).buttons[0], expected) << c.wire;
    }
}

TEST(DecodeButtonMacroReport, MacrosAgainstTheHeldRecords) {
    ButtonAssignments held = kDefaults;
    held[0] = Macro(kPlainMacroCode, {{0x14, 1}, {0xFF, 8}, {0x14, 0}, {0xFF, 500}}, 1, 3);
    held[1] = Macro(kBulletMacroCode, {{4, 1}, {4, 0}, {12, 0x3705}, {0xFF, 30}, {12, 0x3600}});
    held[4] = Macro(kPlainMacroCode, {{0x14, 1}});
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        held[b].MacroIndex = std::int32_t(10 + b);
    }
    ButtonAssignments sent = held;  // 0, 1 and 4 the same; 2, 3 and 5 different
    sent[2] = Macro(kBulletMacroCode, {{5, 1}, {5, 0}, {12, 0x3705}, {0xFF, 9}, {12, 0x3706}});
    sent[3] = Macro(kBulletMacroCode, {{1, 1}, {1, 0}, {12, 0x3705}});
    sent[5] = Macro(kBulletMacroCode, {{3, 1}, {3, 0}, {12, 0x3705}});

    const DecodedButtons decoded = DecodeButtonMacroReport(BuildButtonMacroReport(sent), held);
    const std::int32_t expected[][3] = {
        // FunctionCode, EventCount, MacroIndex
        {0xA6, 4, 10},  // the trailing delay comes back as 0 and still matches
        {0xA7, 5, 11}, {0xA7, 5, 12}, {0xA7, 3, -1},  // first Code 1: no library entry
        {0xA6, 1, -1},                                // a trailing press comes back released
        {0xA7, 3, 15}};
    for (std::size_t b = 0; b < 6; ++b) {
        const ButtonAssignment& r = decoded.buttons[b];
        EXPECT_EQ(std::tuple(int{r.FunctionCode}, int{r.EventCount}, r.MacroIndex, r.ButtonNo - b),
                  std::tuple(expected[b][0], expected[b][1], expected[b][2], 1u));
    }
    EXPECT_EQ(decoded.buttons[0].Events[3], (MacroEvent{0xFF, 0, 0}));
    EXPECT_EQ(decoded.buttons[1].Events, held[1].Events);  // a bullet's last event stays
    EXPECT_EQ(decoded.buttons[4].Events[0], (MacroEvent{0x14, 0, 0}));

    ASSERT_EQ(decoded.libraryEntries.size(), 2u);  // in button order
    const LibraryEntry& third = decoded.libraryEntries[0];
    EXPECT_EQ(std::tuple(third.buttonIndex, third.number, third.bulletCount), std::tuple(2u, 3, 2));
    EXPECT_EQ(third.events, MacroEventsToBytes(sent[2].Events));
    const LibraryEntry& sixth = decoded.libraryEntries[1];
    EXPECT_EQ(std::tuple(sixth.buttonIndex, sixth.number, sixth.bulletCount), std::tuple(5u, 1, 1));
    std::vector<std::uint8_t> bytes = HexBytes("03 00 01 00 03 00 00 00 0C 00 05 37");
    bytes.resize(kMacroEventsSize);
    EXPECT_EQ(std::vector(sixth.events.begin(), sixth.events.end()), bytes);
}

}  // namespace
}  // namespace t47
