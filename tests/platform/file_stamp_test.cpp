#include "platform/profile/file_stamp.h"

#include <gtest/gtest.h>

namespace t47 {
namespace {

constexpr std::int64_t kMs = 1'000'000;

// Where file times are coarse (older kernels, FAT, Windows ticks), a stamp can only be trusted
// once no later write can share its time; on this machine every later write gets a new time
// anyway, so the rule cannot be seen from the engine's reads. A time in the future (a file from
// another machine, a clock set back) is as safe as one in the past, for as long as now stays a
// margin before it.
TEST(FileStamp, SettlesOnceEachTimeLiesSafelyBeforeTheReadOrAfterNow) {
    struct Case {
        std::int64_t modified;
        std::int64_t changed;
        std::int64_t readStart;
        std::int64_t now;
        bool settled;
    };
    const std::int64_t t = 1'700'000'000'123'456'789;  // a time with a fraction of a second
    const std::int64_t second = 1'700'000'000'000'000'000;
    const std::int64_t hour = 3600'000 * kMs;
    const Case cases[] = {
        {t, t, t, t, false},
        {t, t, t + 5 * kMs, t + 5 * kMs, false},  // within a tick of the file-system clock
        {t, t, t + 100 * kMs, t + 100 * kMs, true},
        {t - 100 * kMs, t, t + 5 * kMs, t + 5 * kMs, false},  // the change time counts too
        {t, t - 100 * kMs, t + 100 * kMs, t + 100 * kMs, true},
        {second, second, second + 1000 * kMs, second + 1000 * kMs, false},  // whole seconds
        {second, second, second + 3000 * kMs, second + 3000 * kMs, true},
        // Dated in the future: trusted once the other time has settled.
        {t + hour, t, t + 5 * kMs, t + 5 * kMs, false},
        {t + hour, t, t + 100 * kMs, t + 100 * kMs, true},
        {t + hour, t + hour, t, t, true},
        {t + 100 * kMs, t - hour, t, t + 50 * kMs, true},
        {t + 100 * kMs, t - hour, t, t + 90 * kMs, false},  // now has come within a tick of it
        {second + hour, t - hour, t, second + hour - 1000 * kMs, false},  // whole seconds
        {second + hour, t - hour, t, second + hour - 3000 * kMs, true},
    };
    for (const Case& c : cases) {
        FileStamp stamp;
        stamp.modified = c.modified;
        stamp.changed = c.changed;
        EXPECT_EQ(IsSettled(stamp, c.readStart, c.now), c.settled)
            << (c.modified % 1'000'000'000) << " read " << (c.readStart - c.modified) / kMs
            << " ms after, now " << (c.now - c.modified) / kMs << " ms after";
    }
}

}  // namespace
}  // namespace t47
