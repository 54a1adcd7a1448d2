#include "platform/memory/memory_system_parameters.h"

#include <utility>

namespace t47 {
namespace {

std::string Flags(std::uint32_t updateFlags) {
    return " flags " + std::to_string(updateFlags);
}

}  // namespace

void MemorySystemParameters::Record(std::string call) {
    calls.push_back(std::move(call));
    if (clock != nullptr) {
        callTicks.push_back(clock->TickCount());
    }
}

bool MemorySystemParameters::SetDoubleClickTime(std::uint32_t milliseconds) {
    const std::lock_guard lock(mutex);
    Record("SetDoubleClickTime " + std::to_string(milliseconds));
    doubleClickTime = milliseconds;
    return true;
}

bool MemorySystemParameters::SetMouse(const MouseAcceleration& values, std::uint32_t updateFlags) {
    const std::lock_guard lock(mutex);
    Record("SPI_SETMOUSE " + std::to_string(values.threshold1) + " " +
           std::to_string(values.threshold2) + " " + std::to_string(values.acceleration) +
           Flags(updateFlags));
    mouse = values;
    return true;
}

bool MemorySystemParameters::SetMouseSpeed(std::uint32_t speed, std::uint32_t updateFlags) {
    const std::lock_guard lock(mutex);
    Record("SPI_SETMOUSESPEED " + std::to_string(speed) + Flags(updateFlags));
    mouseSpeed = speed;
    return true;
}

bool MemorySystemParameters::SetWheelScrollLines(std::uint32_t lines, std::uint32_t updateFlags) {
    const std::lock_guard lock(mutex);
    Record("SPI_SETWHEELSCROLLLINES " + std::to_string(lines) + Flags(updateFlags));
    wheelScrollLines = lines;
    return true;
}

std::vector<std::string> MemorySystemParameters::Calls() const {
    const std::lock_guard lock(mutex);
    return calls;
}

std::vector<std::uint32_t> MemorySystemParameters::CallTicks() const {
    const std::lock_guard lock(mutex);
    return callTicks;
}

std::uint32_t MemorySystemParameters::DoubleClickTime() const {
    const std::lock_guard lock(mutex);
    return doubleClickTime;
}

MouseAcceleration MemorySystemParameters::Mouse() const {
    const std::lock_guard lock(mutex);
    return mouse;
}

std::uint32_t MemorySystemParameters::MouseSpeed() const {
    const std::lock_guard lock(mutex);
    return mouseSpeed;
}

std::uint32_t MemorySystemParameters::WheelScrollLines() const {
    const std::lock_guard lock(mutex);
    return wheelScrollLines;
}

}  // namespace t47
