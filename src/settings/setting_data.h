#pragma once

// The whole settings record: the global header and six profile slots. A plain value, copied
// whole; fields bear their settings-file keys. Fields are in record order.

#include <array>
#include <cstddef>
#include <cstdint>

#include "settings/profile_data.h"
#include "settings/text_field.h"

namespace t47 {

inline constexpr std::size_t kProfileSlotCount = 6;

struct SettingData {
    std::int32_t lan_id = 0;
    std::int32_t Show_TrayIcon = 0;
    std::int32_t Show_OSD = 0;
    std::int32_t Totle = 0;  // profile slots in use
    std::int32_t Current = 0;
    std::int32_t Active = 0;
    TextField<kPathLength> BGFilesPath{};
    std::array<std::int32_t, kProfileSlotCount> ProfileGroup{};  // section number of each slot
    std::array<ProfileData, kProfileSlotCount> Profiles{};

    friend bool operator==(const SettingData&, const SettingData&) = default;
};

}  // namespace t47
