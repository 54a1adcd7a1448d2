#include "protocol/macro_decoding.h"

#include <gtest/gtest.h>

#include "protocol/function_code_table.h"
#include "protocol/macro_encoding.h"
#include "protocol/macro_matching.h"
#include "protocol_test_support.h"

namespace t47 {
namespace {

using Events = std::vector<std::pair<std::uint8_t, std::uint16_t>>;

Events EventsOf(const ButtonAssignment& record, std::int32_t n) {
    Events events;
    for (std::int32_t i = 0; i < n; ++i) {
        events.emplace_back(record.Events[static_cast<std::size_t>(i)].Code,
                            record.Events[static_cast<std::size_t>(i)].Value);
    }
    return events;
}

struct DecodeCase {
    const char* what;
    EntryBuffer entries;
    std::int32_t count;
    Events expected;
};

TEST(DecodePlainMacro, Events) {
    const DecodeCase cases[] = {
        {"key, delay, release",
         Entries({"60 00 04 00 00 00 00 10 32 00", "60 00 00 00 00 00 00 10 00 00"}),
         2,
         {{0x14, 1}, {0xFF, 50}, {0x14, 0}}},
        {"mouse button",
         Entries({"20 01 00 00 00 00 00 10", "A0 01 00 00 00 00 00 10"}),
         2,
         {{1, 1}, {1, 0}}},
        {"a release with its own delay takes the code two events back",
         Entries({"60 00 04 00 00 00 00 10 00 00", "60 00 00 00 00 00 00 10 1E 00"}),
         2,
         {{0x14, 1}, {0, 0}, {0xFF, 30}}},
        {"a first entry without key or delay adds nothing",
         Entries({"60 00 00 00 00 00 00 10", "60 00 04"}),
         2,
         {{0x14, 1}}},
        {"a first entry without key adds only its delay",
         Entries({"60 00 00 00 00 00 00 10 05 00", "60 00 00"}),
         2,
         {{0xFF, 5}, {0, 0}}},
        {"kind 0xA and keyboard releases both take the last pressed",
         Entries({"20 10 00 00 00 00 00 10 64 00", "A0 10 00 00 00 00 00 10",
                  "60 00 E2 00 00 00 00 10", "A0 00 00 00 00 00 00 10"}),
         4,
         {{0x10, 1}, {0xFF, 100}, {0x10, 0}, {0x8F, 1}, {0x8F, 0}}},
        {"only count entries are read",
         Entries({"60 00 04 00 00 00 00 10", "60 00 05"}),
         1,
         {{0x14, 1}}},
        {"no count, no events", Entries({"60 00 04 00 00 00 00 10"}), 0, {}},
        {"mode byte 0 is no macro", Entries({"60 00 04"}), 1, {}},
    };
    for (const DecodeCase& c : cases) {
        ButtonAssignment record{};
        const std::int32_t n = DecodePlainMacro(record, c.entries, c.count);
        EXPECT_EQ(EventsOf(record, n), c.expected) << c.what;
        EXPECT_EQ(record.Events[static_cast<std::size_t>(n)], MacroEvent{}) << c.what;
    }
}

TEST(DecodeBulletMacro, Events) {
    const DecodeCase cases[] = {
        {"bullet value and selector",
         Entries({"20 01 00 00 00 00 00 10", "C0 05 05 02 00 00 00 10"}),
         2,
         {{3, 1}, {12, 0x3705}}},
        {"without a bullet entry buttons stay the first",
         Entries({"20 01 00 00 00 00 00 10", "A0 01 00 00 00 00 00 10"}),
         2,
         {{1, 1}, {1, 0}}},
        {"kind 0xA gives its byte 1 released",
         Entries({"20 01 00 00 00 00 00 10", "A0 10 00 00 00 00 00 10"}),
         2,
         {{1, 1}, {0x10, 0}}},
        {"a raw key 12 of another kind takes the latest bullet value",
         Entries({"21 0C 00 00 00 00 00 10", "C1 CE 01 00 00 00 00 10 02 00",
                  "21 0C 00 00 00 00 00 10", "60 00 0C 00 00 00 00 10"}),
         4,
         {{12, 0}, {12, 0x0001}, {0xFF, 2}, {12, 0x0001}, {0x3A, 0x0001}}},
        {"releases follow the release rule",
         Entries({"C0 00 11 00 00 00 00 10 0A 00", "60 00 00 00 00 00 00 10",
                  "20 01 00 00 00 00 00 10", "A0 00 00 00 00 00 00 10 0B 00"}),
         4,
         {{12, 0x3211}, {0xFF, 10}, {12, 0}, {1, 1}, {12, 0}, {0xFF, 11}}},
    };
    for (const DecodeCase& c : cases) {
        ButtonAssignment record{};
        const std::int32_t n = DecodeBulletMacro(record, c.entries, c.count);
        EXPECT_EQ(EventsOf(record, n), c.expected) << c.what;
    }
}

TEST(DecodeMacro, RepeatFieldsFromTheFirstModeByte) {
    const struct {
        std::string_view modeByte;
        std::uint8_t mode, count;
    } cases[] = {{"21", 1, 1}, {"30", 2, 0}, {"05", 0xFF, 5}, {"10", 0, 0}, {"FF", 14, 15}};
    for (const auto& c : cases) {
        const EntryBuffer entries = Entries({"20 01 00 00 00 00 00 " + std::string(c.modeByte)});
        for (auto decode : {DecodePlainMacro, DecodeBulletMacro}) {
            ButtonAssignment record{};
            decode(record, entries, -3);  // written even when no entry is read
            EXPECT_EQ(record.RepeatMode, c.mode) << c.modeByte;
            EXPECT_EQ(record.RepeatCount, c.count) << c.modeByte;
        }
    }
}

TEST(DecodeMacro, NeverWritesPastTheNinetySecondEvent) {
    // Every entry a press with a delay: 92 entries would give 184 events.
    EntryBuffer entries{};
    const std::vector<std::uint8_t> entry = HexBytes("20 01 00 00 00 00 00 10 07 00");
    for (std::size_t i = 0; i < kEntryBufferEntries; ++i) {
        std::copy(entry.begin(), entry.end(),
                  entries.begin() + static_cast<std::ptrdiff_t>(i * 10));
    }
    for (auto decode : {DecodePlainMacro, DecodeBulletMacro}) {
        for (std::int32_t count : {10, 46, 47, 92, 1000}) {
            ButtonAssignment record{};
            const std::int32_t n = decode(record, entries, count);
            EXPECT_EQ(n, std::min(92, 2 * count)) << count;
            const bool full = n == 92;
            EXPECT_EQ(record.Events[91], (MacroEvent{full ? std::uint8_t{0xFF} : std::uint8_t{0}, 0,
                                                     full ? std::uint16_t{7} : std::uint16_t{0}}));
        }
    }
}

TEST(DecodeMacro, EncodedMacrosComeBack) {
    const struct {
        ButtonAssignment macro;
        std::int32_t (*encode)(const ButtonAssignment&, std::span<std::uint8_t, kEntryBufferSize>);
        std::int32_t (*decode)(ButtonAssignment&, std::span<const std::uint8_t, kEntryBufferSize>,
                               std::int32_t);
    } cases[] = {
        // A keyboard entry holds one key, and a release with a delay of its own finds its key
        // two events back: these macros keep to what the entries can say.
        {Macro(kPlainMacroCode,
               {{0x88, 1},
                {0xFF, 20},
                {0x88, 0},
                {0xFF, 300},
                {4, 1},
                {0xFF, 15},
                {4, 0},
                {0x9A, 1},
                {0x9A, 0},
                {0x26, 1},
                {0xFF, 1},
                {0x26, 0},
                {0xFF, 2}},
               1, 9),
         EncodePlainMacro, DecodePlainMacro},
        {Macro(kPlainMacroCode, {{16, 1}, {0xFF, 1}, {16, 0}, {2, 1}, {0xFF, 65535}, {2, 0}}, 3),
         EncodePlainMacro, DecodePlainMacro},
        {Macro(kBulletMacroCode,
               {{5, 1}, {5, 0}, {12, 0x3705}, {0xFF, 60}, {12, 0x40FF}, {0xFF, 60}, {5, 1}, {5, 0}},
               2),
         EncodeBulletMacro, DecodeBulletMacro},
        {Macro(kBulletMacroCode, {{1, 1}, {0xFF, 9}, {1, 0}, {12, 0x3200}}, 1, 15),
         EncodeBulletMacro, DecodeBulletMacro},
    };
    for (const auto& c : cases) {
        EntryBuffer entries{};
        const std::int32_t count = c.encode(c.macro, entries);
        ButtonAssignment record{};
        record.FunctionCode = c.macro.FunctionCode;
        record.EventCount = static_cast<std::uint8_t>(c.decode(record, entries, count));
        EXPECT_EQ(record.EventCount, c.macro.EventCount);
        EXPECT_EQ(record.Events, c.macro.Events);
        EXPECT_EQ(record.RepeatMode, c.macro.RepeatMode);
        EXPECT_EQ(record.RepeatCount, c.macro.RepeatMode == 1 ? c.macro.RepeatCount : 0);
    }
}

TEST(MacroAssignmentsEqual, Cases) {
    const ButtonAssignment base =
        Macro(kBulletMacroCode, {{3, 1}, {0xFF, 50}, {12, 0x3705}, {3, 0}}, 1, 4);
    const auto changed = [&base](auto change) {
        ButtonAssignment other = base;
        change(other);
        return other;
    };
    const struct {
        const char* what;
        ButtonAssignment other;
        bool equal;
    } cases[] = {
        {"itself", base, true},
        {"delay length", changed([](auto& r) { r.Events[1].Value = 7; }), true},
        {"a delay matches any event", changed([](auto& r) {
             r.Events[1] = {0x14, 0, 1};
         }),
         true},
        {"repeat fields, number, index, carried bytes", changed([](auto& r) {
             r.RepeatMode = 0;
             r.RepeatCount = 9;
             r.ButtonNo = 5;
             r.MacroIndex = 4;
             r.carriedByte3 = 1;
             r.Events[0].carriedByte1 = 2;
             r.carriedBytes374 = {3, 4};
         }),
         true},
        {"press against release", changed([](auto& r) { r.Events[3].Value = 1; }), false},
        {"code", changed([](auto& r) { r.Events[0].Code = 4; }), false},
        {"function code", changed([](auto& r) { r.FunctionCode = kPlainMacroCode; }), false},
        {"event count", changed([](auto& r) { r.EventCount = 3; }), false},
        {"slots past the count", changed([](auto& r) {
             r.Events[91] = {1, 0, 0};
         }),
         false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MacroAssignmentsEqual(base, c.other), c.equal) << c.what;
        EXPECT_EQ(MacroAssignmentsEqual(c.other, base), c.equal) << c.what;
    }
}

}  // namespace
}  // namespace t47
