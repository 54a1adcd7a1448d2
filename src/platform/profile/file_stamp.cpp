#include "platform/profile/file_stamp.h"

namespace t47 {
namespace {

constexpr std::int64_t kMillisecond = 1'000'000;
constexpr std::int64_t kSecond = 1000 * kMillisecond;

// Covers the file-system clock's tick (Linux 1-10 ms, Windows up to 15.6 ms) and a coarse clock
// lagging a fine one by a tick.
constexpr std::int64_t kTickMargin = 20 * kMillisecond;

// Times without a fraction of a second come from file systems that keep whole or even seconds
// (FAT, ext3, HFS+, some network shares).
constexpr std::int64_t kCoarseMargin = 2 * kSecond + kTickMargin;

}  // namespace

bool IsSettled(const FileStamp& stamp, std::int64_t readStart, std::int64_t now) {
    auto safe = [readStart, now](std::int64_t time) {
        const std::int64_t margin = time % kSecond == 0 ? kCoarseMargin : kTickMargin;
        return time < readStart - margin || time > now + margin;
    };
    return safe(stamp.modified) && safe(stamp.changed);
}

}  // namespace t47
