#include "platform/memory/memory_clock.h"

#include <chrono>

namespace t47 {

MemoryClock::MemoryClock(std::uint32_t startTick)
    : drivingThread(std::this_thread::get_id()), tick(startTick) {}

std::uint32_t MemoryClock::TickCount() {
    const std::lock_guard lock(mutex);
    return tick;
}

void MemoryClock::Sleep(std::uint32_t milliseconds) {
    if (std::this_thread::get_id() == drivingThread) {
        const std::lock_guard lock(mutex);
        sleeps.push_back(milliseconds);
        tick += milliseconds;  // wraps, as the system's tick count does
        return;
    }
    {
        const std::lock_guard lock(mutex);
        ++otherThreadSleeps;
        otherThreadSleepLengths.insert(milliseconds);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void MemoryClock::Advance(std::uint32_t milliseconds) {
    const std::lock_guard lock(mutex);
    tick += milliseconds;
}

void MemoryClock::SetTickCount(std::uint32_t newTick) {
    const std::lock_guard lock(mutex);
    tick = newTick;
}

std::vector<std::uint32_t> MemoryClock::Sleeps() const {
    const std::lock_guard lock(mutex);
    return sleeps;
}

std::set<std::uint32_t> MemoryClock::OtherThreadSleepLengths() const {
    const std::lock_guard lock(mutex);
    return otherThreadSleepLengths;
}

std::size_t MemoryClock::OtherThreadSleepCount() const {
    const std::lock_guard lock(mutex);
    return otherThreadSleeps;
}

}  // namespace t47
