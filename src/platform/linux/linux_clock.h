#pragma once

// Time from the boot clock, which keeps counting while the machine sleeps, as the Windows tick
// count does.

#include "platform/clock.h"

namespace t47 {

class LinuxClock final : public Clock {
  public:
    std::uint32_t TickCount() override;
    void Sleep(std::uint32_t milliseconds) override;
};

}  // namespace t47
