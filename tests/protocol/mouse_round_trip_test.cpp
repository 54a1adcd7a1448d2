#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <utility>

#include "protocol/button_macro_report.h"
#include "protocol/button_macro_report_decoding.h"
#include "protocol/settings_report.h"
#include "settings/settings_defaults.h"
#include "settings/settings_validation.h"
#include "support/mouse_read_back.h"
#include "support/profile_differences.h"
#include "support/random_valid_profile.h"

namespace t47 {
namespace {

using test::MouseReadBack;

// The codecs' part of an upload and a download: the two reports built from `uploaded` and read
// back into the agent's profile, against the buttons it holds.
MouseReadBack ThroughTheCodecs(const ProfileData& uploaded, const ProfileData& agent) {
    MouseReadBack result{agent, {}};
    DecodeSettingsReport(BuildSettingsReport(uploaded), result.profile);
    DecodedButtons decoded = DecodeButtonMacroReport(
        BuildButtonMacroReport(uploaded.ButtonAssigned), agent.ButtonAssigned);
    result.profile.ButtonAssigned = decoded.buttons;
    result.libraryEntries = std::move(decoded.libraryEntries);
    return result;
}

// What the generated profiles held: the test fails when the generator stops making what the
// property needs.
struct Seen {
    std::set<int> codes;  // function codes of buttons 1 to 7
    int plainMacros = 0;
    int bulletMacros = 0;
    int fullMacros = 0;       // of 92 events
    int leftOutProfiles = 0;  // whose macros overflow report 4
    int modesPast14 = 0;
    int keptIndexes = 0;  // MacroIndex kept from the held macro
    int libraryEntries = 0;

    void Count(const ProfileData& uploaded, const MouseReadBack& asHeld) {
        const auto left = MacrosLeftOut(uploaded.ButtonAssigned);
        leftOutProfiles += std::count(left.begin(), left.end(), true) > 0;
        for (std::size_t b = 0; b + 1 < kButtonCount; ++b) {
            const ButtonAssignment& button = uploaded.ButtonAssigned[b];
            codes.insert(button.FunctionCode);
            if (button.FunctionCode != 0xA6 && button.FunctionCode != 0xA7) {
                continue;
            }
            (button.FunctionCode == 0xA6 ? plainMacros : bulletMacros)++;
            fullMacros += button.Events.back().Code != 0;
            modesPast14 += button.RepeatMode > 14;
            keptIndexes += !left[b] && button.MacroIndex >= 0 &&
                           asHeld.profile.ButtonAssigned[b].MacroIndex == button.MacroIndex;
        }
        libraryEntries += static_cast<int>(asHeld.libraryEntries.size());
    }
};

TEST(MouseRoundTrip, RandomValidProfilesReadBackAsTheModelSays) {
    const ProfileData defaults = DefaultProfile();
    Seen seen;
    for (std::uint32_t seed = 1; seed <= 2000; ++seed) {
        const ProfileData uploaded = test::RandomValidProfile(seed);
        ProfileData validated = uploaded;
        ValidateProfile(validated);
        const std::string invalid = test::ProfileDifferences(uploaded, validated);
        ASSERT_TRUE(invalid.empty()) << "seed " << seed << ", validation changes:\n" << invalid;
        // The agent's profile as uploaded, at the defaults, or another one altogether.
        const ProfileData other = test::RandomValidProfile(~seed);
        for (const ProfileData* agent : {&uploaded, &defaults, &other}) {
            const char* held = agent == &uploaded   ? "held as uploaded"
                               : agent == &defaults ? "held at the defaults"
                                                    : "held as RandomValidProfile(~seed)";
            const MouseReadBack expected = test::ReadBackThroughMouse(uploaded, *agent);
            const MouseReadBack actual = ThroughTheCodecs(uploaded, *agent);
            const std::string differences =
                test::ProfileDifferences(expected.profile, actual.profile);
            ASSERT_TRUE(differences.empty()) << "seed " << seed << ", " << held << ":\n"
                                             << differences;
            ASSERT_TRUE(actual.libraryEntries == expected.libraryEntries)
                << "seed " << seed << ", " << held << ": library entries";
            if (agent == &uploaded) {
                seen.Count(uploaded, actual);
            }
        }
    }
    // Every valid code: 0xA0-0xAB, 0xB0-0xBA, 0xC0-0xC7, 0xD0-0xD6.
    EXPECT_EQ(seen.codes.size(), 12u + 11u + 8u + 7u);
    EXPECT_TRUE(std::all_of(seen.codes.begin(), seen.codes.end(),
                            [](int code) { return IsValidFunctionCode(std::uint8_t(code)); }));
    for (int count : {seen.plainMacros, seen.bulletMacros, seen.fullMacros, seen.leftOutProfiles,
                      seen.modesPast14, seen.keptIndexes, seen.libraryEntries}) {
        EXPECT_GE(count, 20);
    }
}

}  // namespace
}  // namespace t47
