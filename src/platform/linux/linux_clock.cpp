#include "platform/linux/linux_clock.h"

#include <time.h>

#include <cerrno>

namespace t47 {

std::uint32_t LinuxClock::TickCount() {
    timespec now{};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    const auto milliseconds = static_cast<std::uint64_t>(now.tv_sec) * 1000 +
                              static_cast<std::uint64_t>(now.tv_nsec) / 1'000'000;
    return static_cast<std::uint32_t>(milliseconds);
}

void LinuxClock::Sleep(std::uint32_t milliseconds) {
    timespec left{static_cast<time_t>(milliseconds / 1000),
                  static_cast<long>(milliseconds % 1000) * 1'000'000};
    // A signal handled meanwhile does not cut the pause short.
    while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

}  // namespace t47
