#include "protocol/function_code_table.h"

#include <gtest/gtest.h>

#include "protocol_test_support.h"
#include "settings/settings_validation.h"

namespace t47 {
namespace {

ConstReportEntry First(const EntryBuffer& buffer) {
    return std::span(buffer).first<kReportEntrySize>();
}

TEST(FunctionCodeTable, EveryValidCodeWithoutMacroHasFixedEntries) {
    for (int code = 0; code <= 0xFF; ++code) {
        const auto c = static_cast<std::uint8_t>(code);
        const bool macroOrNone = c >= kPlainMacroCode && c <= kNoEntriesCode;
        const std::size_t expected =
            !IsValidFunctionCode(c) || macroOrNone ? 0 : (c == kDoubleClickCode ? 4 : 1);
        EXPECT_EQ(FixedEntriesOf(c).count, expected) << "code " << code;
    }
}

TEST(FunctionCodeTable, EverySingleEntryReadsBackAsItsCode) {
    // Both directions come from one table; precedence must not let one row shadow another.
    for (int code = 0; code <= 0xFF; ++code) {
        const FixedEntries fixed = FixedEntriesOf(static_cast<std::uint8_t>(code));
        if (fixed.count == 1) {
            EXPECT_EQ(FunctionCodeOfEntry(std::span(fixed.bytes).first<kReportEntrySize>()), code);
        }
    }
}

TEST(FunctionCodeTable, EntriesOnTheWire) {
    const struct {
        std::uint8_t code;
        std::string_view bytes;
    } cases[] = {
        {0xA0, "20 01 00 00 00 00 00 00 FF FF"},
        {0xA4, "20 10 00 00 00 00 00 00 FF FF"},
        {0xB8, "60 01 1D 00 00 00 00 00 00 00"},
        {0xB9, "80 00 00 02 00 00 00 00 00 00"},
        {0xBA, "60 08 00 00 00 00 00 00 00 00"},
        {0xC2, "40 00 00 00 00 00 00 00 00 00"},
        {0xC4, "60 04 3D 00 00 00 00 00 00 00"},
        {0xD6, "80 10 00 00 00 00 00 00 00 00"},
        {0xA5,
         "20 01 00 00 00 00 00 00 41 00 A0 01 00 00 00 00 00 00 41 00"
         " 20 01 00 00 00 00 00 00 41 00 A0 01 00 00 00 00 00 00 41 00"},
    };
    for (const auto& c : cases) {
        const FixedEntries fixed = FixedEntriesOf(c.code);
        EXPECT_EQ(std::vector<std::uint8_t>(
                      fixed.bytes.begin(),
                      fixed.bytes.begin() + static_cast<std::ptrdiff_t>(fixed.count * 10)),
                  HexBytes(c.bytes))
            << "code " << int{c.code};
    }
}

TEST(FunctionCodeTable, ReadBackOfSingleEntries) {
    const struct {
        std::string_view entry;
        std::uint8_t expected;
    } cases[] = {
        {"61 01 1D", 0xB8},
        {"6F 01 1D 07 07 07 07 00 12 34", 0xB8},  // button number, unused bytes, duration ignored
        {"85 08 00 02", 0xB9},                    // 0xB9 is tested before byte 1
        {"85 08 00 00", 0xD0},
        {"85 FF 00 02", 0xB9},
        {"85 FF 01 02", 0},
        {"83 00 00 00", 0},
        {"62 08 00", 0xBA},  // kind 0x60 told apart by byte 2
        {"62 08 0F", 0xC7},
        {"62 08 09", 0},
        {"62 01 00", 0},
        {"21 10 77 77", 0xA4},  // mouse buttons by byte 1 alone
        {"21 03", 0},
        {"48 00 05", 0xC2},
        {"48 03", 0},
        {"A1 01", 0},  // no row of kind 0xA0, 0xC0 or 0x00
        {"C1 01", 0},
        {"01 01", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FunctionCodeOfEntry(First(Entries({c.entry}))), c.expected) << c.entry;
    }
}

}  // namespace
}  // namespace t47
