#include "settings/settings_validation.h"

#include <gtest/gtest.h>

#include <climits>

#include "settings/settings_defaults.h"

namespace t47 {
namespace {

struct HeaderCase {
    std::int32_t totle, current, active;
    std::int32_t expectedTotle, expectedCurrent, expectedActive;
};

TEST(ValidateSettings, SlotCountAndSlotIndexes) {
    const HeaderCase cases[] = {
        {0, 0, 0, 1, 0, 0},        // no slot: one slot, not the default six
        {7, 3, 4, 1, 0, 0},        // too many slots
        {-2, 0, 0, 1, 0, 0},       //
        {INT_MIN, 0, 0, 1, 0, 0},  //
        {3, 3, 2, 3, 0, 2},        // Current judged against the count in force
        {3, -1, 3, 3, 0, 0},       //
        {6, 5, 5, 6, 5, 5},        // the largest valid values stay
        {1, 0, 0, 1, 0, 0},        //
        {9, 0, 5, 1, 0, 0},        // Active checked against the repaired count
    };
    for (const HeaderCase& c : cases) {
        SettingData settings = DefaultSettings();
        settings.Totle = c.totle;
        settings.Current = c.current;
        settings.Active = c.active;
        ValidateSettings(settings);
        EXPECT_EQ(settings.Totle, c.expectedTotle) << "Totle " << c.totle;
        EXPECT_EQ(settings.Current, c.expectedCurrent) << "Totle " << c.totle;
        EXPECT_EQ(settings.Active, c.expectedActive) << "Totle " << c.totle;
    }
}

TEST(ValidateSettings, SwitchesAreEachRepairedOnTheirOwn) {
    struct Case {
        std::int32_t lan, tray, osd;
        std::int32_t expectedLan, expectedTray, expectedOsd;
    };
    const Case cases[] = {
        {-1, 2, 5, 1, 1, 1}, {2, 0, 1, 1, 0, 1}, {0, 1, 0, 0, 1, 0},
        {1, -1, 0, 1, 1, 0}, {0, 0, 7, 0, 0, 1},
    };
    for (const Case& c : cases) {
        SettingData settings = DefaultSettings();
        settings.lan_id = c.lan;
        settings.Show_TrayIcon = c.tray;
        settings.Show_OSD = c.osd;
        ValidateSettings(settings);
        EXPECT_EQ(settings.lan_id, c.expectedLan);
        EXPECT_EQ(settings.Show_TrayIcon, c.expectedTray);
        EXPECT_EQ(settings.Show_OSD, c.expectedOsd);
    }
}

TEST(ValidateSettings, OnlySlotsInUseAreValidated) {
    SettingData settings = DefaultSettings();
    settings.Totle = 2;
    settings.ProfileGroup = {-1, 6, 9, -4, 100, 5};
    for (ProfileData& profile : settings.Profiles) {
        profile.light_speed = 0;
    }
    ValidateSettings(settings);

    EXPECT_EQ(settings.ProfileGroup, (std::array<std::int32_t, 6>{0, 0, 9, -4, 100, 5}));
    EXPECT_EQ(settings.Profiles[0].light_speed, 3);
    EXPECT_EQ(settings.Profiles[1].light_speed, 3);
    for (std::size_t slot = 2; slot < 6; ++slot) {
        EXPECT_EQ(settings.Profiles[slot].light_speed, 0) << "slot " << slot;
    }
}

TEST(ValidateSettings, InvalidCountValidatesSlotZeroOnly) {
    SettingData settings = DefaultSettings();
    settings.Totle = 0;
    settings.ProfileGroup[1] = 7;
    settings.Profiles[0].DBClick_Speed = 11;
    settings.Profiles[1].DBClick_Speed = 11;
    ValidateSettings(settings);
    EXPECT_EQ(settings.Profiles[0].DBClick_Speed, 4);
    EXPECT_EQ(settings.Profiles[1].DBClick_Speed, 11);
    EXPECT_EQ(settings.ProfileGroup[1], 7);
}

TEST(ValidateSettings, SecondValidationChangesNothing) {
    SettingData settings = DefaultSettings();
    settings.Totle = 4;
    settings.Current = 8;
    settings.lan_id = 3;
    settings.ProfileGroup[2] = -9;
    settings.Profiles[1].light_type = 12;
    settings.Profiles[3].ButtonAssigned[5].FunctionCode = 0x13;
    settings.Profiles[3].ButtonAssigned[7] = ButtonAssignment{};
    ValidateSettings(settings);
    const SettingData once = settings;
    ValidateSettings(settings);
    EXPECT_EQ(settings, once);
}

// Every integer field of a profile with its valid range and replacement.
struct FieldRule {
    const char* name;
    std::int32_t ProfileData::*field;
    std::int32_t min, max, replacement;
};

const FieldRule kFieldRules[] = {
    {"GroupID", &ProfileData::GroupID, 0, 20, 0},
    {"DPI_Cur", &ProfileData::DPI_Cur, 0, 7, 3},
    {"POLLRATE_VALUE", &ProfileData::POLLRATE_VALUE, 0, 3, 2},
    {"Enable_light", &ProfileData::Enable_light, 0, 1, 1},
    {"Cycle_enable", &ProfileData::Cycle_enable, 0, 1, 0},
    {"light_type", &ProfileData::light_type, 0, 6, 0},
    {"light_bright_colorID", &ProfileData::light_bright_colorID, 0, 6, 0},
    {"light_bright", &ProfileData::light_bright, 0, 5, 5},
    {"light_speed", &ProfileData::light_speed, 1, 5, 3},
    {"DBClick_Speed", &ProfileData::DBClick_Speed, 1, 10, 4},
    {"Scroll_Speed", &ProfileData::Scroll_Speed, 1, 10, 3},
    {"Mouse_Speed", &ProfileData::Mouse_Speed, 1, 10, 5},
    {"scroll_page", &ProfileData::scroll_page, 0, 1, 0},
    {"mouse_enhance", &ProfileData::mouse_enhance, 0, 1, 0},
};

TEST(ValidateProfile, EachFieldKeepsItsBoundsAndReplacesWhatLiesOutside) {
    for (const FieldRule& rule : kFieldRules) {
        const struct {
            std::int32_t value, expected;
        } probes[] = {{rule.min, rule.min},
                      {rule.max, rule.max},
                      {rule.min - 1, rule.replacement},
                      {rule.max + 1, rule.replacement},
                      {INT_MIN, rule.replacement},
                      {INT_MAX, rule.replacement}};
        for (const auto& probe : probes) {
            ProfileData profile = DefaultProfile();
            profile.*rule.field = probe.value;
            ValidateProfile(profile);
            EXPECT_EQ(profile.*rule.field, probe.expected) << rule.name << " = " << probe.value;

            // No other field moves.
            ProfileData expected = DefaultProfile();
            expected.*rule.field = probe.expected;
            EXPECT_EQ(profile, expected) << rule.name << " = " << probe.value;
        }
    }
}

TEST(ValidateProfile, DpiValueOfStageIIsReplacedByIPlusOne) {
    ProfileData profile = DefaultProfile();
    profile.DPI_Value = {0, 8, 9, -1, 4, 100, INT_MIN};
    ValidateProfile(profile);
    EXPECT_EQ(profile.DPI_Value, (std::array<std::int32_t, 7>{0, 8, 3, 4, 4, 6, 7}));
}

TEST(ValidateProfile, ColoursAndTextsAreNotTested) {
    ProfileData profile = DefaultProfile();
    profile.DPI_Color = {-1, INT_MIN, INT_MAX, 0x7F000000, 0, 1, 2};
    profile.light_Color.fill(-5);
    profile.light_Cycle.fill(0x12345678);
    SetText(profile.Profil_Name, u"name");
    const ProfileData before = profile;
    ValidateProfile(profile);
    EXPECT_EQ(profile, before);
}

TEST(ValidateProfile, FunctionCodesAtTheEdgesOfTheValidRanges) {
    const std::uint8_t kept[] = {0xA0, 0xAB, 0xB0, 0xBA, 0xC0, 0xC7, 0xD0, 0xD6, 0xA6, 0xA7};
    const std::uint8_t replaced[] = {0x00, 0x9F, 0xAC, 0xAF, 0xBB, 0xBF,
                                     0xC8, 0xCF, 0xD7, 0xE0, 0xFF};
    for (std::uint8_t code : kept) {
        EXPECT_TRUE(IsValidFunctionCode(code)) << std::hex << int{code};
    }
    for (std::uint8_t code : replaced) {
        EXPECT_FALSE(IsValidFunctionCode(code)) << std::hex << int{code};
        ProfileData profile = DefaultProfile();
        profile.ButtonAssigned[2].FunctionCode = code;
        profile.ButtonAssigned[2].ButtonNo = 9;
        ValidateProfile(profile);
        EXPECT_EQ(profile.ButtonAssigned[2], DefaultButtonAssignment(2)) << std::hex << int{code};
    }
}

TEST(ValidateProfile, ReplacedButtonKeepsItsCarriedBytesAndLosesEverythingElse) {
    ProfileData profile = DefaultProfile();
    ButtonAssignment& record = profile.ButtonAssigned[4];
    record.ButtonNo = 0x77;
    record.FunctionCode = 0xAC;
    record.EventCount = 3;
    record.carriedByte3 = 0x5A;
    record.Events[0] = {0x14, 0x33, 1};
    record.Events[91] = {0xFF, 0x00, 500};
    record.RepeatMode = 1;
    record.RepeatCount = 9;
    record.carriedBytes374 = {0xC3, 0x3C};
    record.MacroIndex = 12;
    ValidateProfile(profile);

    ButtonAssignment expected = DefaultButtonAssignment(4);
    expected.carriedByte3 = 0x5A;
    expected.carriedBytes374 = {0xC3, 0x3C};
    EXPECT_EQ(profile.ButtonAssigned[4], expected);
    EXPECT_EQ(profile.ButtonAssigned[4].FunctionCode, 0xA4);
    EXPECT_EQ(profile.ButtonAssigned[4].ButtonNo, 5);
    EXPECT_EQ(profile.ButtonAssigned[4].MacroIndex, -1);
}

TEST(ValidateProfile, ValidCodeIsTakenAsItIsEvenWhenInconsistent) {
    ProfileData profile = DefaultProfile();
    ButtonAssignment& record = profile.ButtonAssigned[1];
    record.ButtonNo = 0;
    record.FunctionCode = 0xA6;
    record.EventCount = 17;  // no events at all
    record.RepeatMode = 200;
    record.MacroIndex = -77;
    const ButtonAssignment before = record;
    ValidateProfile(profile);
    EXPECT_EQ(profile.ButtonAssigned[1], before);
}

TEST(ValidateProfile, EighthButtonDefaultIsReplacedByItself) {
    ProfileData profile = DefaultProfile();
    ASSERT_EQ(profile.ButtonAssigned[7].FunctionCode, 0x00);
    ValidateProfile(profile);
    EXPECT_EQ(profile.ButtonAssigned[7], DefaultButtonAssignment(7));
    EXPECT_EQ(profile, DefaultProfile());
}

TEST(ValidateProfile, AllZeroProfile) {
    ProfileData profile{};
    ValidateProfile(profile);

    ProfileData expected{};
    expected.light_speed = 3;
    expected.DBClick_Speed = 4;
    expected.Scroll_Speed = 3;
    expected.Mouse_Speed = 5;
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        expected.ButtonAssigned[b] = DefaultButtonAssignment(b);
    }
    EXPECT_EQ(profile, expected);
}

TEST(DefaultProfile, IsAlreadyValid) {
    ProfileData profile = DefaultProfile();
    ValidateProfile(profile);
    EXPECT_EQ(profile, DefaultProfile());

    SettingData settings = DefaultSettings();
    ValidateSettings(settings);
    EXPECT_EQ(settings, DefaultSettings());
}

}  // namespace
}  // namespace t47
