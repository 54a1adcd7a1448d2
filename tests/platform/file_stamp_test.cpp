#include "platform/profile/file_stamp.h"

#include <gtest/gtest.h>

namespace t47 {
namespace {

constexpr std::int64_t kMs = 1'000'000;

// Where file times are coarse (older kernels, FAT, Windows ticks), a stamp can only be trusted
// once no later write can share its time; on this machine every later write gets a new time
// anyway, so the rule cannot be seen from the engine's reads.
TEST(FileStamp, SettlesOnceItsNewestTimeLiesSafelyBeforeTheRead) {
    struct Case {
        std::int64_t modified;
        std::int64_t changed;
        std::int64_t readStart;
        bool settled;
    };
    const std::int64_t t = 1'700'000'000'123'456'789;  // a time with a fraction of a second
    const std::int64_t second = 1'700'000'000'000'000'000;
    const Case cases[] = {
        {t, t, t, false},
        {t, t, t + 5 * kMs, false},  // within a tick of the file-system clock
        {t, t, t + 100 * kMs, true},
        {t - 100 * kMs, t, t + 5 * kMs, false},  // the change time counts too
        {t, t - 100 * kMs, t + 100 * kMs, true},
        {second, second, second + 1000 * kMs, false},  // whole seconds: a coarse file system
        {second, second, second + 3000 * kMs, true},
    };
    for (const Case& c : cases) {
        FileStamp stamp;
        stamp.modified = c.modified;
        stamp.changed = c.changed;
        EXPECT_EQ(IsSettled(stamp, c.readStart), c.settled)
            << (c.modified % 1'000'000'000) << " read " << (c.readStart - c.modified) / kMs
            << " ms";
    }
}

}  // namespace
}  // namespace t47
