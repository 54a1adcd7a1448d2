#pragma once

// One profile: what the mouse holds (DPI stages, polling rate, lighting, eight buttons), the
// pointer options carried into the system, and values carried for the companion UI. A plain
// value, copied whole; fields bear their settings-file keys. Fields are in record order.

#include <array>
#include <cstddef>
#include <cstdint>

#include "settings/button_assignment.h"
#include "settings/text_field.h"

namespace t47 {

inline constexpr std::size_t kDpiStageCount = 7;
inline constexpr std::size_t kLightColorCount = 7;
inline constexpr std::size_t kProfileNameLength = 50;
inline constexpr std::size_t kPathLength = 260;
inline constexpr std::size_t kProgramSlotCount = 8;

using ColorList = std::array<std::int32_t, kLightColorCount>;

struct ProfileData {
    std::int32_t GroupID = 0;
    TextField<kProfileNameLength> Profil_Name{};
    std::int32_t DPI_Cur = 0;
    std::array<std::int32_t, kDpiStageCount> DPI_Color{};  // low three bytes: the colour
    std::array<std::int32_t, kDpiStageCount> DPI_Value{};
    std::int32_t POLLRATE_VALUE = 0;
    std::int32_t Enable_light = 0;
    std::int32_t Cycle_enable = 0;
    std::int32_t light_type = 0;
    ColorList light_Color{};
    ColorList light_Cycle{};
    std::int32_t light_bright_colorID = 0;
    std::int32_t light_bright = 0;
    std::int32_t light_speed = 0;
    std::int32_t DBClick_Speed = 0;
    std::int32_t Scroll_Speed = 0;
    std::int32_t Mouse_Speed = 0;
    std::int32_t scroll_page = 0;
    std::int32_t mouse_enhance = 0;
    TextField<kPathLength> SYNCFilesPath{};
    std::array<TextField<kPathLength>, kProgramSlotCount> ExePath{};
    std::array<TextField<kPathLength>, kProgramSlotCount> ExeName{};
    std::array<ButtonAssignment, kButtonCount> ButtonAssigned{};

    friend bool operator==(const ProfileData&, const ProfileData&) = default;
};

}  // namespace t47
