#include "platform/linux/linux_system_parameters.h"

#include "platform/text_encoding.h"

namespace t47 {

LinuxSystemParameters::LinuxSystemParameters(ProfileFiles& profileFiles, DebugOutput& debugOutput,
                                             std::u16string path)
    : files(profileFiles), debug(debugOutput), filePath(std::move(path)) {}

bool LinuxSystemParameters::Keep(std::u16string_view name, std::int64_t value) {
    const std::u16string text = Utf16FromUtf8(std::to_string(value));
    debug.Write(u"System parameter: " + std::u16string(name) + u" = " + text + u"\n");
    return files.WriteProfileString(u"SystemParameters", name, text, filePath);
}

bool LinuxSystemParameters::SetDoubleClickTime(std::uint32_t milliseconds) {
    return Keep(u"DoubleClickTime", milliseconds);
}

bool LinuxSystemParameters::SetMouse(const MouseAcceleration& values, std::uint32_t) {
    const bool first = Keep(u"MouseThreshold1", values.threshold1);
    const bool second = Keep(u"MouseThreshold2", values.threshold2);
    const bool acceleration = Keep(u"MouseAcceleration", values.acceleration);
    return first && second && acceleration;
}

bool LinuxSystemParameters::SetMouseSpeed(std::uint32_t speed, std::uint32_t) {
    return speed >= 1 && speed <= 20 && Keep(u"MouseSpeed", speed);
}

bool LinuxSystemParameters::SetWheelScrollLines(std::uint32_t lines, std::uint32_t) {
    return Keep(u"WheelScrollLines", static_cast<std::int32_t>(lines));
}

}  // namespace t47
