#pragma once

// The running system's pointer settings.

#include <cstdint>

namespace t47 {

// Update flags, by their Windows values: store in the user's profile, tell every program.
inline constexpr std::uint32_t kSpifUpdateIniFile = 1;
inline constexpr std::uint32_t kSpifSendChange = 2;

// SPI_SETMOUSE's three numbers, in its order.
struct MouseAcceleration {
    std::int32_t threshold1 = 0;
    std::int32_t threshold2 = 0;
    std::int32_t acceleration = 0;

    friend bool operator==(const MouseAcceleration&, const MouseAcceleration&) = default;
};

// Each false when the system refused.
class SystemParameters {
  public:
    virtual ~SystemParameters() = default;

    virtual bool SetDoubleClickTime(std::uint32_t milliseconds) = 0;

    // SPI_SETMOUSE.
    virtual bool SetMouse(const MouseAcceleration& values, std::uint32_t updateFlags) = 0;

    // SPI_SETMOUSESPEED, 1 to 20.
    virtual bool SetMouseSpeed(std::uint32_t speed, std::uint32_t updateFlags) = 0;

    // SPI_SETWHEELSCROLLLINES; 0xFFFFFFFF scrolls a page.
    virtual bool SetWheelScrollLines(std::uint32_t lines, std::uint32_t updateFlags) = 0;
};

}  // namespace t47
