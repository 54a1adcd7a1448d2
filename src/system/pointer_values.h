#pragma once

// The profile's pointer options as the system takes them: pure arithmetic and text.
//
//   option         profile field    system value
//   double click   DBClick_Speed    1000 - 80 x step ms (920 ... 200)
//   speed          Mouse_Speed      2 x step (2 ... 20)
//   acceleration   mouse_enhance    thresholds 6 and 10 with acceleration 1, or all 0
//   wheel          Scroll_Speed     lines; scroll_page set: 0xFFFFFFFF, a page

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system_parameters.h"

namespace t47 {

inline constexpr std::uint32_t kScrollPage = 0xFFFFFFFF;

std::uint32_t DoubleClickTimeOf(std::int32_t dbClickSpeed);
std::uint32_t PointerSpeedOf(std::int32_t mouseSpeed);
std::uint32_t WheelScrollLinesOf(std::int32_t scrollPage, std::int32_t scrollSpeed);
MouseAcceleration AccelerationOf(std::int32_t mouseEnhance);

// The registry's values for the acceleration, in the order they are written.
struct RegistryText {
    std::u16string_view name;
    std::u16string value;

    friend bool operator==(const RegistryText&, const RegistryText&) = default;
};
std::array<RegistryText, 3> AccelerationRegistryTexts(std::int32_t mouseEnhance);

// "%u" of the number, as the registry keeps numbers in text values.
std::u16string DecimalDigits(std::uint32_t value);

// A REG_SZ value's bytes: the text in UTF-16LE with its terminating zero, 2 x (length + 1).
std::vector<std::uint8_t> RegistryStringBytes(std::u16string_view text);

}  // namespace t47
