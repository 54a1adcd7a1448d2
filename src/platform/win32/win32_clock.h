#pragma once

// Time from the system's tick count, which wraps after 49.7 days as the agent expects.

#include "platform/clock.h"

namespace t47 {

class Win32Clock final : public Clock {
  public:
    std::uint32_t TickCount() override;
    void Sleep(std::uint32_t milliseconds) override;
};

}  // namespace t47
