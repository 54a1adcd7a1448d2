#include "protocol/key_usage_table.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace t47 {
namespace {

TEST(KeyUsageTable, Lookups) {
    const std::pair<std::int32_t, std::int32_t> keyToUsage[] = {
        {0x14, 0x04},  {0x26, 0x06}, {0x15, 0x29}, {0x88, 0xE0},  {0x10, 0x35},
        {0x90, 0x183}, {0xA0, 0xE7}, {0x7E, 0x00}, {0x9F, 0x231}, {0x0F, 0},
        {0xA1, 0},     {-1, 0},      {0x114, 0},
    };
    for (const auto& [key, usage] : keyToUsage) {
        EXPECT_EQ(KeyCodeToUsage(key), usage) << "key " << key;
    }
    const std::pair<std::int32_t, std::int32_t> usageToKey[] = {
        {0xE2, 0x8F}, {0xE9, 0x96},  {0xEA, 0x97},  // listed twice: the later key code
        {0x00, 0x7E},                               // the last of the fifteen without usage
        {0x04, 0x14}, {0x183, 0x90}, {0xE7, 0xA0}, {0x83, 0}, {0x999, 0}, {-1, 0},
    };
    for (const auto& [usage, key] : usageToKey) {
        EXPECT_EQ(UsageToKeyCode(usage), key) << "usage " << usage;
    }
}

TEST(KeyUsageTable, ShapeOfTheTable) {
    std::map<std::int32_t, int> uses;
    for (std::int32_t key = kFirstKeyCode; key <= kLastKeyCode; ++key) {
        ++uses[KeyCodeToUsage(key)];
    }
    EXPECT_EQ(uses[0], 15);
    std::set<std::int32_t> twice, aboveByte;
    for (const auto& [usage, count] : uses) {
        if (usage != 0 && count > 1) {
            twice.insert(usage);
        }
        if (usage > 0xFF) {
            aboveByte.insert(usage);
        }
    }
    EXPECT_EQ(twice, (std::set<std::int32_t>{0xE2, 0xE9, 0xEA}));
    EXPECT_EQ(aboveByte.size(), 7u);
    // Every other key code is found again from its usage.
    for (std::int32_t key = kFirstKeyCode; key <= kLastKeyCode; ++key) {
        const std::int32_t usage = KeyCodeToUsage(key);
        if (usage != 0 && uses[usage] == 1) {
            EXPECT_EQ(UsageToKeyCode(usage), key);
        }
    }
}

}  // namespace
}  // namespace t47
