#pragma once

// The in-memory platform's pointer settings: each call recorded in order, with the clock's tick
// count when a clock is given, the values held.

#include <mutex>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/system_parameters.h"

namespace t47 {

class MemorySystemParameters final : public SystemParameters {
  public:
    MemorySystemParameters() = default;
    explicit MemorySystemParameters(Clock& ticks) : clock(&ticks) {}

    bool SetDoubleClickTime(std::uint32_t milliseconds) override;
    bool SetMouse(const MouseAcceleration& values, std::uint32_t updateFlags) override;
    bool SetMouseSpeed(std::uint32_t speed, std::uint32_t updateFlags) override;
    bool SetWheelScrollLines(std::uint32_t lines, std::uint32_t updateFlags) override;

    // Every call, as "SPI_SETMOUSESPEED 10 flags 2", in order.
    std::vector<std::string> Calls() const;
    // The tick count of each call, in the same order; empty without a clock.
    std::vector<std::uint32_t> CallTicks() const;
    std::uint32_t DoubleClickTime() const;
    MouseAcceleration Mouse() const;
    std::uint32_t MouseSpeed() const;
    std::uint32_t WheelScrollLines() const;

  private:
    void Record(std::string call);  // the lock is held

    Clock* const clock = nullptr;
    mutable std::mutex mutex;
    std::vector<std::string> calls;
    std::vector<std::uint32_t> callTicks;
    std::uint32_t doubleClickTime = 500;
    MouseAcceleration mouse{6, 10, 1};
    std::uint32_t mouseSpeed = 10;
    std::uint32_t wheelScrollLines = 3;
};

}  // namespace t47
