#pragma once

// Feature report 3, 40 bytes: DPI stages, polling rate and lighting.
//
//   byte   content
//      0   3, the report id
//      1   DPI_Cur
//      2   POLLRATE_VALUE
//      3   lighting mode: light_type in the high nibble; in the low nibble Cycle_enable (types
//          0 and 5), light_bright_colorID (type 1) or 0. The whole byte is 0 with the light off
//      4   5 - light_speed
//    5-7   lighting colour, low byte first, scaled by light_bright / 5; 0 with the light off
//   8-14   DPI_Value of stages 1..7
//     15   0
//  16-36   DPI_Color of stages 1..7, three bytes each, low byte first
//  37-39   0

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "settings/profile_data.h"

namespace t47 {

namespace settings_report_layout {
inline constexpr std::size_t kId = 0;
inline constexpr std::size_t kDpiCur = 1;
inline constexpr std::size_t kPollRate = 2;
inline constexpr std::size_t kLightMode = 3;
inline constexpr std::size_t kLightSpeed = 4;
inline constexpr std::size_t kLightColor = 5;  // 3 bytes
inline constexpr std::size_t kDpiValues = 8;   // kDpiStageCount bytes
inline constexpr std::size_t kDpiColors = 16;  // kDpiStageCount x 3 bytes
inline constexpr std::size_t kSize = 40;

static_assert(kDpiValues + kDpiStageCount == 15);
static_assert(kDpiColors + 3 * kDpiStageCount == 37);
}  // namespace settings_report_layout

inline constexpr std::uint8_t kSettingsReportId = 3;
inline constexpr std::size_t kSettingsReportSize = settings_report_layout::kSize;

using SettingsReport = std::array<std::uint8_t, kSettingsReportSize>;

// The report the upload sends for this profile.
SettingsReport BuildSettingsReport(const ProfileData& profile);

// The download's reading of the report: DPI_Cur, POLLRATE_VALUE, light_type, Cycle_enable,
// light_speed, DPI_Color, and by the colour rule one light_Color entry, Enable_light (never
// set to 1) and light_bright. Every other field keeps its value; DPI_Value is not read back.
void DecodeSettingsReport(std::span<const std::uint8_t, kSettingsReportSize> report,
                          ProfileData& profile);

}  // namespace t47
