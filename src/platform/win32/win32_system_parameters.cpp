#include "platform/win32/win32_system_parameters.h"

#include <windows.h>

#include <cstdint>

namespace t47 {

bool Win32SystemParameters::SetDoubleClickTime(std::uint32_t milliseconds) {
    return ::SetDoubleClickTime(milliseconds) != FALSE;
}

bool Win32SystemParameters::SetMouse(const MouseAcceleration& values, std::uint32_t updateFlags) {
    int numbers[3] = {values.threshold1, values.threshold2, values.acceleration};
    return SystemParametersInfoW(SPI_SETMOUSE, 0, numbers, updateFlags) != FALSE;
}

bool Win32SystemParameters::SetMouseSpeed(std::uint32_t speed, std::uint32_t updateFlags) {
    return SystemParametersInfoW(SPI_SETMOUSESPEED, 0,
                                 reinterpret_cast<void*>(static_cast<std::uintptr_t>(speed)),
                                 updateFlags) != FALSE;
}

bool Win32SystemParameters::SetWheelScrollLines(std::uint32_t lines, std::uint32_t updateFlags) {
    return SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, lines, nullptr, updateFlags) != FALSE;
}

}  // namespace t47
