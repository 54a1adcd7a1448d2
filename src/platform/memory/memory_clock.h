#pragma once

// The in-memory platform's clock: a tick count that only moves when told to, so that tests
// see exact times and never wait for a pause.
//
// The thread that made the clock drives it: its sleeps move the tick count on at once. Sleeps
// of other threads (the input report listener's pauses) pass in real time and leave the tick
// count alone, so they never disturb the times the driving thread sees. Every sleep is
// recorded.

#include <cstdint>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "platform/clock.h"

namespace t47 {

class MemoryClock final : public Clock {
  public:
    explicit MemoryClock(std::uint32_t startTick = 0);

    std::uint32_t TickCount() override;
    void Sleep(std::uint32_t milliseconds) override;

    void Advance(std::uint32_t milliseconds);
    void SetTickCount(std::uint32_t tick);

    // The driving thread's sleeps, in order; how many sleeps other threads made, and of which
    // lengths.
    std::vector<std::uint32_t> Sleeps() const;
    std::size_t OtherThreadSleepCount() const;
    std::set<std::uint32_t> OtherThreadSleepLengths() const;

  private:
    const std::thread::id drivingThread;
    mutable std::mutex mutex;
    std::uint32_t tick;
    std::vector<std::uint32_t> sleeps;
    std::size_t otherThreadSleeps = 0;
    std::set<std::uint32_t> otherThreadSleepLengths;
};

}  // namespace t47
