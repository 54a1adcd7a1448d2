#pragma once

// The pointer settings over SystemParametersInfoW and SetDoubleClickTime.

#include "platform/system_parameters.h"

namespace t47 {

class Win32SystemParameters final : public SystemParameters {
  public:
    bool SetDoubleClickTime(std::uint32_t milliseconds) override;
    bool SetMouse(const MouseAcceleration& values, std::uint32_t updateFlags) override;
    // As Windows documents it: the speed is the value of the pointer argument itself. (Wine 8
    // reads it from the integer argument instead, and so keeps 0.)
    bool SetMouseSpeed(std::uint32_t speed, std::uint32_t updateFlags) override;
    bool SetWheelScrollLines(std::uint32_t lines, std::uint32_t updateFlags) override;
};

}  // namespace t47
