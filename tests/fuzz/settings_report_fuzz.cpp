// Report 3 read back over a profile of any field values, and built from such a profile.
//
// Input: the 40 report bytes, then the profile's fields as 32-bit little-endian numbers in
// the order of ProfileFields below; missing bytes read as 0.

#include <array>
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "protocol/settings_report.h"
#include "settings/settings_defaults.h"

namespace t47 {
namespace {

ProfileData ProfileFrom(FuzzInput& input) {
    ProfileData profile = DefaultProfile();
    for (std::int32_t* field :
         {&profile.DPI_Cur, &profile.POLLRATE_VALUE, &profile.Enable_light, &profile.Cycle_enable,
          &profile.light_type, &profile.light_bright_colorID, &profile.light_bright,
          &profile.light_speed}) {
        *field = input.Int32();
    }
    for (std::size_t i = 0; i < kLightColorCount; ++i) {
        profile.light_Color[i] = input.Int32();
        profile.DPI_Value[i] = input.Int32();
        profile.DPI_Color[i] = input.Int32();
    }
    return profile;
}

void CheckBuilt(const SettingsReport& report) {
    FuzzCheck(report[0] == kSettingsReportId, "report id");
    FuzzCheck(report[15] == 0 && report[37] == 0 && report[38] == 0 && report[39] == 0,
              "unused bytes are 0");
}

}  // namespace
}  // namespace t47

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace t47;
    FuzzInput input(data, size);
    const SettingsReport report = input.Bytes<kSettingsReportSize>();
    const ProfileData before = ProfileFrom(input);
    CheckBuilt(BuildSettingsReport(before));

    ProfileData profile = before;
    DecodeSettingsReport(report, profile);
    FuzzCheck(profile.DPI_Cur == report[1] && profile.POLLRATE_VALUE == report[2], "stage, rate");
    FuzzCheck(profile.light_type == report[3] >> 4 && profile.Cycle_enable == (report[3] & 15),
              "lighting mode");
    FuzzCheck(profile.light_speed == 5 - report[4], "speed");
    for (std::size_t i = 0; i < kDpiStageCount; ++i) {
        FuzzCheck(profile.DPI_Color[i] >= 0 && profile.DPI_Color[i] <= 0xFFFFFF, "stage colour");
    }
    FuzzCheck(profile.Enable_light == before.Enable_light || profile.Enable_light == 0,
              "the light is never switched on");
    FuzzCheck(profile.light_bright == before.light_bright || profile.light_bright == 0 ||
                  profile.light_bright == 5,
              "brightness");
    std::size_t coloursChanged = 0;
    for (std::size_t i = 0; i < kLightColorCount; ++i) {
        coloursChanged += profile.light_Color[i] != before.light_Color[i];
    }
    FuzzCheck(coloursChanged <= (profile.light_type <= 7 ? 1u : 0u), "one colour at most");

    // Nothing else changes.
    ProfileData expected = before;
    expected.DPI_Cur = profile.DPI_Cur;
    expected.POLLRATE_VALUE = profile.POLLRATE_VALUE;
    expected.light_type = profile.light_type;
    expected.Cycle_enable = profile.Cycle_enable;
    expected.light_speed = profile.light_speed;
    expected.DPI_Color = profile.DPI_Color;
    expected.light_Color = profile.light_Color;
    expected.Enable_light = profile.Enable_light;
    expected.light_bright = profile.light_bright;
    FuzzCheck(profile == expected, "only the fields the report carries change");

    CheckBuilt(BuildSettingsReport(profile));
    return 0;
}
