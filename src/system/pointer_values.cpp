#include "system/pointer_values.h"

namespace t47 {

std::uint32_t DoubleClickTimeOf(std::int32_t dbClickSpeed) {
    return static_cast<std::uint32_t>(1000 - 80 * dbClickSpeed);
}

std::uint32_t PointerSpeedOf(std::int32_t mouseSpeed) {
    return static_cast<std::uint32_t>(2 * mouseSpeed);
}

std::uint32_t WheelScrollLinesOf(std::int32_t scrollPage, std::int32_t scrollSpeed) {
    return scrollPage != 0 ? kScrollPage : static_cast<std::uint32_t>(scrollSpeed);
}

MouseAcceleration AccelerationOf(std::int32_t mouseEnhance) {
    return mouseEnhance == 1 ? MouseAcceleration{6, 10, 1} : MouseAcceleration{0, 0, 0};
}

std::array<RegistryText, 3> AccelerationRegistryTexts(std::int32_t mouseEnhance) {
    const MouseAcceleration values = AccelerationOf(mouseEnhance);
    return {{
        {u"MouseSpeed", DecimalDigits(static_cast<std::uint32_t>(values.acceleration))},
        {u"MouseThreshold1", DecimalDigits(static_cast<std::uint32_t>(values.threshold1))},
        {u"MouseThreshold2", DecimalDigits(static_cast<std::uint32_t>(values.threshold2))},
    }};
}

std::u16string DecimalDigits(std::uint32_t value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

std::vector<std::uint8_t> RegistryStringBytes(std::u16string_view text) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(2 * (text.size() + 1));
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<std::uint8_t>(unit));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

}  // namespace t47
