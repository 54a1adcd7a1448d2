#include "protocol/macro_encoding.h"

#include <gtest/gtest.h>

#include "protocol/function_code_table.h"
#include "protocol_test_support.h"

namespace t47 {
namespace {

using EntryBytes = std::vector<std::vector<std::uint8_t>>;

EntryBytes Expected(std::initializer_list<std::string_view> entries) {
    EntryBytes list;
    for (std::string_view entry : entries) {
        list.push_back(HexBytes(entry));
    }
    return list;
}

EntryBytes Plain(const ButtonAssignment& macro) {
    EntryBuffer out{};
    return EntryList(out, EncodePlainMacro(macro, out));
}

EntryBytes Bullet(const ButtonAssignment& macro) {
    EntryBuffer out{};
    return EntryList(out, EncodeBulletMacro(macro, out));
}

TEST(MacroModeByte, RepeatFields) {
    const struct {
        std::uint8_t mode, count, expected;
    } cases[] = {
        {0, 0, 0x10},  {0, 9, 0x10},  {1, 0, 0x21}, {1, 1, 0x21},  {1, 7, 0x27},
        {1, 15, 0x2F}, {1, 20, 0x2F}, {2, 9, 0x30}, {14, 3, 0xF0}, {15, 3, 0x00},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MacroModeByte(c.mode, c.count), c.expected)
            << "mode " << int{c.mode} << " count " << int{c.count};
    }
}

TEST(EncodePlainMacro, Entries) {
    const struct {
        const char* what;
        ButtonAssignment macro;
        EntryBytes expected;
    } cases[] = {
        {"key, delay, release", Macro(kPlainMacroCode, {{0x14, 1}, {0xFF, 50}, {0x14, 0}}),
         Expected({"60 00 04 00 00 00 00 10 32 00", "60 00 00 00 00 00 00 10 00 00"})},
        {"mouse button", Macro(kPlainMacroCode, {{1, 1}, {1, 0}}, 1, 3),
         Expected({"20 01 00 00 00 00 00 23 00 00", "A0 01 00 00 00 00 00 23 00 00"})},
        {"release of the button in the previous entry",
         Macro(kPlainMacroCode, {{16, 1}, {4, 0}, {0x14, 1}, {2, 0}}),
         Expected({"20 10 00 00 00 00 00 10 00 00", "A0 10 00 00 00 00 00 10 00 00",
                   "60 00 04 00 00 00 00 10 00 00", "A0 00 00 00 00 00 00 10 00 00"})},
        {"press is bit 0 of the value", Macro(kPlainMacroCode, {{0x26, 0x0102}, {8, 3}}),
         Expected({"60 00 00 00 00 00 00 10 00 00", "20 08 00 00 00 00 00 10 00 00"})},
        {"only the second of two delays stays",
         Macro(kPlainMacroCode, {{0x88, 1}, {0xFF, 0x1234}, {0xFF, 0xABCD}}),
         Expected({"60 00 E0 00 00 00 00 10 CD AB"})},
        {"a first 0xFF event is no delay", Macro(kPlainMacroCode, {{0xFF, 500}, {0xFF, 7}}),
         Expected({"60 00 00 00 00 00 00 10 07 00"})},
        {"usage above 0xFF goes out as its low byte; no usage as 0",
         Macro(kPlainMacroCode, {{0x90, 1}, {0x17, 1}}),
         Expected({"60 00 83 00 00 00 00 10 00 00", "60 00 00 00 00 00 00 10 00 00"})},
        {"the list ends at the first Code 0",
         Macro(kPlainMacroCode, {{0x14, 1}, {0, 1}, {0x14, 0}}),
         Expected({"60 00 04 00 00 00 00 10 00 00"})},
        {"empty list", Macro(kPlainMacroCode, {}), Expected({})},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Plain(c.macro), c.expected) << c.what;
    }
}

TEST(EncodeBulletMacro, Entries) {
    const struct {
        const char* what;
        ButtonAssignment macro;
        EntryBytes expected;
    } cases[] = {
        {"selector is the first Code - 1; bullet byte 1 is the high byte - 50",
         Macro(kBulletMacroCode, {{3, 1}, {12, 0x3705}, {0xFF, 40}, {3, 0}}),
         Expected({"20 01 00 00 00 00 00 10 00 00", "C0 05 05 02 00 00 00 10 28 00",
                   "A0 05 00 00 00 00 00 10 00 00"})},
        {"every button goes out as the first; released bullet repeats the previous bytes",
         Macro(kBulletMacroCode, {{11, 2}, {12, 0x0001}, {12, 0}, {7, 0}}, 1, 0),
         Expected({"20 01 00 00 00 00 00 21 00 00", "C0 CE 01 0A 00 00 00 21 00 00",
                   "A0 CE 01 00 00 00 00 21 00 00", "A0 CE 00 00 00 00 00 21 00 00"})},
        {"first Code 1 or above 11 gives selector 0 or no button",
         Macro(kBulletMacroCode, {{1, 1}, {12, 0x3300}, {0x14, 1}}),
         Expected({"20 01 00 00 00 00 00 10 00 00", "C0 01 00 00 00 00 00 10 00 00",
                   "60 00 00 00 00 00 00 10 00 00"})},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Bullet(c.macro), c.expected) << c.what;
    }
}

TEST(EncodePlainMacro, NinetyTwoEventsGiveNinetyTwoEntries) {
    ButtonAssignment macro;
    macro.FunctionCode = kPlainMacroCode;
    for (std::size_t i = 0; i < kMaxMacroEvents; ++i) {
        macro.Events[i] = MacroEvent{static_cast<std::uint8_t>(i % 2 ? 2 : 0x14), 0, 1};
    }
    const EntryBytes entries = Plain(macro);
    ASSERT_EQ(entries.size(), kMaxMacroEvents);
    EXPECT_EQ(entries.back(), HexBytes("20 02 00 00 00 00 00 10 00 00"));
}

}  // namespace
}  // namespace t47
