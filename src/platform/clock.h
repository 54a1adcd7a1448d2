#pragma once

// Time as the agent sees it: a millisecond tick count and a pause.

#include <cstdint>

namespace t47 {

class Clock {
  public:
    virtual ~Clock() = default;

    // Milliseconds since some start; wraps at 2^32, so differences are taken unsigned.
    virtual std::uint32_t TickCount() = 0;

    // Blocks the calling thread for about that long.
    virtual void Sleep(std::uint32_t milliseconds) = 0;
};

}  // namespace t47
