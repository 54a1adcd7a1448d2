#include "protocol/settings_report.h"

#include <optional>

namespace t47 {
namespace {

namespace layout = settings_report_layout;

std::uint8_t ByteOf(std::int32_t value, int index) {
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * index));
}

// The light_Color entry a lighting type uses: type - 1, and entry 0 for type 0. A type whose
// entry would lie outside the seven colours has none.
std::optional<std::size_t> LightColorIndex(std::int32_t lightType) {
    if (lightType < 0 || lightType > static_cast<std::int32_t>(kLightColorCount)) {
        return std::nullopt;
    }
    return lightType == 0 ? 0 : static_cast<std::size_t>(lightType - 1);
}

std::uint8_t LightModeByte(const ProfileData& profile) {
    std::int32_t low = 0;
    if (profile.light_type == 0 || profile.light_type == 5) {
        low = profile.Cycle_enable;
    } else if (profile.light_type == 1) {
        low = profile.light_bright_colorID;
    }
    return static_cast<std::uint8_t>((static_cast<std::uint32_t>(profile.light_type) << 4) +
                                     static_cast<std::uint32_t>(low));
}

void WriteLighting(const ProfileData& profile, SettingsReport& report) {
    report[layout::kLightSpeed] =
        static_cast<std::uint8_t>(5u - static_cast<std::uint32_t>(profile.light_speed));
    if (profile.Enable_light == 0) {
        return;
    }
    report[layout::kLightMode] = LightModeByte(profile);
    // A type without a colour entry (never so after validation) sends black.
    const std::optional<std::size_t> index = LightColorIndex(profile.light_type);
    const std::int32_t color = index ? profile.light_Color[*index] : 0;
    for (int i = 0; i < 3; ++i) {
        const std::int64_t scaled = std::int64_t{ByteOf(color, i)} * profile.light_bright / 5;
        report[layout::kLightColor + static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(scaled);
    }
}

void ReadLighting(std::span<const std::uint8_t, kSettingsReportSize> report, ProfileData& profile) {
    profile.light_type = report[layout::kLightMode] >> 4;
    profile.Cycle_enable = report[layout::kLightMode] & 0x0F;
    profile.light_speed = 5 - std::int32_t{report[layout::kLightSpeed]};

    const auto bytes = report.subspan<layout::kLightColor, 3>();
    const std::int32_t raw = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16);
    // A type beyond the seven colours stores no colour; the rule's other effects still apply.
    const std::optional<std::size_t> index = LightColorIndex(profile.light_type);
    if (raw == 0) {
        if (index) {
            profile.light_Color[*index] = 0;
        }
        profile.Enable_light = 0;
        profile.light_bright = 0;
    } else if (profile.light_bright <= 0) {
        if (index) {
            profile.light_Color[*index] = raw;
        }
        profile.light_bright = 5;
    } else if (index) {
        // The mouse holds the colour scaled by light_bright / 5; the report does not carry the
        // brightness, so the one the profile holds undoes the scaling.
        std::int32_t color = 0;
        for (int i = 0; i < 3; ++i) {
            const auto unscaled = static_cast<std::uint8_t>(bytes[i] * 5 / profile.light_bright);
            color |= std::int32_t{unscaled} << (8 * i);
        }
        profile.light_Color[*index] = color;
    }
}

}  // namespace

SettingsReport BuildSettingsReport(const ProfileData& profile) {
    SettingsReport report{};
    report[layout::kId] = kSettingsReportId;
    report[layout::kDpiCur] = ByteOf(profile.DPI_Cur, 0);
    report[layout::kPollRate] = ByteOf(profile.POLLRATE_VALUE, 0);
    WriteLighting(profile, report);
    for (std::size_t i = 0; i < kDpiStageCount; ++i) {
        report[layout::kDpiValues + i] = ByteOf(profile.DPI_Value[i], 0);
        for (int b = 0; b < 3; ++b) {
            report[layout::kDpiColors + 3 * i + static_cast<std::size_t>(b)] =
                ByteOf(profile.DPI_Color[i], b);
        }
    }
    return report;
}

void DecodeSettingsReport(std::span<const std::uint8_t, kSettingsReportSize> report,
                          ProfileData& profile) {
    profile.DPI_Cur = report[layout::kDpiCur];
    profile.POLLRATE_VALUE = report[layout::kPollRate];
    ReadLighting(report, profile);
    for (std::size_t i = 0; i < kDpiStageCount; ++i) {
        const std::size_t at = layout::kDpiColors + 3 * i;
        profile.DPI_Color[i] = report[at] | (report[at + 1] << 8) | (report[at + 2] << 16);
    }
}

}  // namespace t47
