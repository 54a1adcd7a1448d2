#include <gtest/gtest.h>

#include <algorithm>

#include "protocol/function_code_table.h"
#include "protocol/key_usage_table.h"
#include "protocol/macro_decoding.h"
#include "protocol/macro_encoding.h"
#include "protocol/macro_matching.h"
#include "protocol_test_support.h"

namespace t47 {
namespace {

EntryBuffer Entries(std::string_view hex) {
    EntryBuffer entries{};
    const std::vector<std::uint8_t> bytes = HexBytes(hex);
    std::copy(bytes.begin(), bytes.end(), entries.begin());
    return entries;
}

TEST(KeyUsageTable, Lookups) {
    const std::int32_t keyToUsage[][2] = {{0x14, 0x04}, {0x88, 0xE0}, {0x90, 0x183},
                                          {0xA0, 0xE7}, {0x0F, 0},    {0xA1, 0}};
    for (const auto& [key, usage] : keyToUsage) {
        EXPECT_EQ(KeyCodeToUsage(key), usage) << key;
    }
    // Of usages listed twice the later key code wins; usage 0 is the last of fifteen.
    const std::int32_t usageToKey[][2] = {{0xE2, 0x8F}, {0xE9, 0x96},  {0xEA, 0x97},
                                          {0x00, 0x7E}, {0x183, 0x90}, {0x83, 0}};
    for (const auto& [usage, key] : usageToKey) {
        EXPECT_EQ(UsageToKeyCode(usage), key) << usage;
    }
    // A usage byte from the mouse: a usage of the table first (0x23 is 0x30's, not the low
    // byte of 0x99's 0x223), else the low byte of a longer usage, else no key.
    const std::int32_t byteToKey[][2] = {{0x04, 0x14}, {0xE2, 0x8F}, {0x23, 0x30}, {0x83, 0x90},
                                         {0xC9, 0x95}, {0xC8, 0x9B}, {0x64, 0},    {0x03, 0}};
    for (const auto& [byte, key] : byteToKey) {
        EXPECT_EQ(UsageByteToKeyCode(std::uint8_t(byte)), key) << byte;
    }
}

TEST(MacroModeByte, RepeatFields) {
    // Past mode 14 the high nibble would wrap to 0, which marks no macro: sent as mode 0.
    const std::uint8_t cases[][3] = {{0, 9, 0x10}, {1, 0, 0x21},  {1, 7, 0x27},  {1, 20, 0x2F},
                                     {2, 9, 0x30}, {14, 3, 0xF0}, {15, 3, 0x10}, {0xFF, 5, 0x10}};
    for (const auto& [mode, count, byte] : cases) {
        EXPECT_EQ(MacroModeByte(mode, count), byte) << int{mode} << " " << int{count};
    }
}

TEST(EncodeMacro, Entries) {
    const std::pair<ButtonAssignment, std::string_view> cases[] = {
        {Macro(kPlainMacroCode, {{0x14, 1}, {0xFF, 50}, {0x14, 0}}),  // key, delay, release
         "60 00 04 00 00 00 00 10 32 00 | 60 00 00 00 00 00 00 10 00 00"},
        // a release repeats the byte 1 before it; the press is bit 0
        {Macro(kPlainMacroCode, {{16, 1}, {4, 0}, {0x26, 0x0101}, {2, 0x0102}}, 1, 3),
         "20 10 00 00 00 00 00 23 | A0 10 00 00 00 00 00 23 | 60 00 06 00 00 00 00 23 |"
         "A0 00 00 00 00 00 00 23"},
        // a first 0xFF event is no delay; of two delays the second stays; usage 0x183 is sent
        // as 0x83; the list ends at Code 0
        {Macro(kPlainMacroCode,
               {{0xFF, 500}, {0xFF, 1}, {0xFF, 0xABCD}, {0x90, 1}, {0, 1}, {1, 1}}),
         "60 00 00 00 00 00 00 10 CD AB | 60 00 83 00 00 00 00 10"},
        // bullet: every button the first, selector 3 - 1, byte 1 = 0x37 - 50; a release
        // repeats bytes 1 and 2 before it
        {Macro(kBulletMacroCode, {{3, 1}, {12, 0x3705}, {0xFF, 40}, {12, 0}, {3, 0}, {0x14, 1}}),
         "20 01 00 00 00 00 00 10 | C0 05 05 02 00 00 00 10 28 00 | A0 05 05 00 00 00 00 10 |"
         "A0 05 00 00 00 00 00 10 | 60 00 00 00 00 00 00 10"},
    };
    for (const auto& [macro, expected] : cases) {
        EntryBuffer out{};
        const bool plain = macro.FunctionCode == kPlainMacroCode;
        const std::int32_t n = (plain ? EncodePlainMacro : EncodeBulletMacro)(macro, out);
        EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + n * 10), HexBytes(expected));
    }
}

TEST(DecodeMacro, Events) {
    const struct {
        decltype(&DecodePlainMacro) decode;
        std::string_view entries;
        EventList events;
    } cases[] = {
        // kind 0xA and keyboard releases take the latest event that is no delay, also when they
        // carry a delay of their own; a first entry without key adds no event
        {DecodePlainMacro,
         "60 00 00 00 00 00 00 21 | 60 00 04 | 60 00 00 00 00 00 00 00 1E |"
         "20 10 00 00 00 00 00 00 64 | A0 10 | 60 00 E2 | A0",
         {{0x14, 1},
          {0x14, 0},
          {0xFF, 30},
          {0x10, 1},
          {0xFF, 100},
          {0x10, 0},
          {0x8F, 1},
          {0x8F, 0}}},
        // with no event that is no delay a release has nothing to release
        {DecodePlainMacro,
         "60 00 00 00 00 00 00 10 05 | A0 00 00 00 00 00 00 00 06",
         {{0xFF, 5}, {0xFF, 6}}},
        {DecodePlainMacro, "60 00 04 | 60 00 04 00 00 00 00 10", {}},  // mode byte 0: none
        // the selector gives the first button its Code back; kind 0xA gives its byte 1; a raw
        // key 12 of any kind takes the latest bullet value
        {DecodeBulletMacro,
         "20 01 00 00 00 00 00 10 | C0 05 05 02 | A0 10 | 21 0C | 60 00 0C",
         {{3, 1}, {12, 0x3705}, {0x10, 0}, {12, 0x3705}, {0x3A, 0x3705}}},
    };
    for (const auto& c : cases) {
        ButtonAssignment record{};
        const auto count = std::int32_t(std::count(c.entries.begin(), c.entries.end(), '|') + 1);
        const std::int32_t n = c.decode(record, Entries(c.entries), count);
        EXPECT_EQ(Macro(0, c.events).Events, record.Events) << c.entries;
        EXPECT_EQ(n, std::int32_t(c.events.size()));
    }
}

TEST(DecodeMacro, StopsAtTheNinetySecondEvent) {
    // A press, then presses with a delay: the 92nd event is a press whose delay has no room.
    EntryBuffer entries = Entries("20 01 00 00 00 00 00 10");
    for (std::size_t at = 10; at < entries.size(); at += 10) {
        entries[at] = 0x20, entries[at + 1] = 1, entries[at + 8] = 7;
    }
    for (auto decode : {DecodePlainMacro, DecodeBulletMacro}) {
        for (std::int32_t count : {46, 47, 1000}) {
            ButtonAssignment record{};
            const std::int32_t n = decode(record, entries, count);
            EXPECT_EQ(n, std::min(92, 2 * count - 1));
            EXPECT_EQ(record.Events[91], (MacroEvent{n == 92, 0, n == 92}));
            EXPECT_EQ(record.RepeatMode, 0);  // the field right after the events
        }
    }
}

TEST(DecodeMacro, EncodedMacrosComeBack) {
    // A keyboard entry holds one key, and a release names the latest event that is no delay:
    // macros that keep to this come back whole, repeat fields included.
    const ButtonAssignment macros[] = {
        Macro(kPlainMacroCode,
              {{0x88, 1},
               {0xFF, 20},
               {0x88, 0},
               {0xFF, 300},
               {4, 1},
               {0xFF, 15},
               {4, 0},
               {0x9A, 1},
               {0x9A, 0},
               {16, 1},
               {16, 0}},
              1, 9),
        Macro(kBulletMacroCode,
              {{5, 1}, {5, 0}, {12, 0x3705}, {0xFF, 60}, {12, 0x40FF}, {0xFF, 60}, {5, 1}, {5, 0}},
              2),
    };
    for (const ButtonAssignment& macro : macros) {
        const bool plain = macro.FunctionCode == kPlainMacroCode;
        EntryBuffer entries{};
        const std::int32_t count = (plain ? EncodePlainMacro : EncodeBulletMacro)(macro, entries);
        ButtonAssignment record = macro;
        record.Events = {};
        EXPECT_EQ((plain ? DecodePlainMacro : DecodeBulletMacro)(record, entries, count),
                  macro.EventCount);
        EXPECT_EQ(record, macro);
    }
}

TEST(MacroAssignmentsEqual, Cases) {
    const ButtonAssignment base = Macro(kBulletMacroCode, {{3, 1}, {0xFF, 50}, {3, 0}}, 1, 4);
    const std::pair<void (*)(ButtonAssignment&), bool> cases[] = {
        {[](ButtonAssignment& r) {
             r.Events[1] = {0x14, 0, 1};
         },
         true},  // delay: anything
        {[](ButtonAssignment& r) { r.RepeatCount = 9, r.MacroIndex = 4, r.ButtonNo = 5; }, true},
        {[](ButtonAssignment& r) { r.Events[2].Value = 1; }, false},  // press against release
        {[](ButtonAssignment& r) { r.EventCount = 2; }, false},
        {[](ButtonAssignment& r) {
             r.Events[91] = {1, 0, 0};
         },
         false},  // past the count too
    };
    for (const auto& [change, equal] : cases) {
        ButtonAssignment other = base;
        change(other);
        EXPECT_EQ(MacroAssignmentsEqual(base, other), equal);
        EXPECT_EQ(MacroAssignmentsEqual(other, base), equal);
    }
}

}  // namespace
}  // namespace t47
