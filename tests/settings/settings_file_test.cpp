#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "settings/ini_file.h"
#include "settings/settings_defaults.h"
#include "support/profile_files_implementations.h"
#include "support/temp_folder.h"

namespace t47 {
namespace {

using test::ProfileFilesImplementation;

class SettingsFileTest : public testing::TestWithParam<ProfileFilesImplementation> {
  protected:
    std::unique_ptr<ProfileFiles> files = GetParam().make();
    test::TempFolder folder;
    std::u16string path = folder.File(u"GamingMouse");

    std::string FileText() const { return test::ReadFileText(std::filesystem::path(path)); }

    // Writes a file as the companion UI might, in UTF-8 with the given lines.
    void WriteFile(std::string_view text) const {
        test::WriteFileBytes(std::filesystem::path(path), text);
    }

    // Loads like the agent does, from records holding leftovers of an earlier load.
    struct Loaded {
        SettingData working;
        SettingData applied;
        ProfileData current;
    };
    Loaded Load() {
        Loaded loaded;
        loaded.working = Leftovers();
        loaded.applied = Leftovers();
        loaded.current = Leftovers().Profiles[5];
        LoadSettings(*files, path, loaded.working, loaded.applied, loaded.current);
        return loaded;
    }

    // A record no load would produce, so that untouched slots show.
    static SettingData Leftovers() {
        SettingData settings = DefaultSettings();
        for (std::size_t slot = 0; slot < kProfileSlotCount; ++slot) {
            settings.ProfileGroup[slot] = 40 + static_cast<std::int32_t>(slot);
            settings.Profiles[slot].GroupID = 90 + static_cast<std::int32_t>(slot);
            SetText(settings.Profiles[slot].Profil_Name, u"leftover");
        }
        return settings;
    }
};

// The struct value of a default button record: ButtonNo, code, 374 zero bytes, MacroIndex -1
// (FF FF FF FF), then the checksum worked out by hand.
std::string DefaultButtonValue(int buttonNo, const char* code, const char* checksum) {
    return "0" + std::to_string(buttonNo) + code + std::string(374 * 2, '0') + "FFFFFFFF" +
           checksum;
}

std::string DefaultProfileSection(int number) {
    std::string text = "[Profile" + std::to_string(number) + "Setting]\n";
    text +=
        "GroupID=0\n"
        "DPI_Cur=3\n"
        "DPI_Value0=1\nDPI_Color0=255\n"
        "DPI_Value1=2\nDPI_Color1=65280\n"
        "DPI_Value2=3\nDPI_Color2=16711680\n"
        "DPI_Value3=4\nDPI_Color3=16776960\n"
        "DPI_Value4=5\nDPI_Color4=16711935\n"
        "DPI_Value5=6\nDPI_Color5=65535\n"
        "DPI_Value6=7\nDPI_Color6=16777215\n"
        "POLLRATE_VALUE=2\n"
        "Enable_light=1\n"
        "Cycle_enable=0\n"
        "light_type=0\n"
        "light_bright=5\n"
        "light_speed=3\n"
        "light_bright_colorID=0\n"
        "light_Color0=255\nlight_Color1=255\nlight_Color2=255\nlight_Color3=255\n"
        "light_Color4=255\nlight_Color5=255\nlight_Color6=255\n"
        "light_Cycle0=255\nlight_Cycle1=65280\nlight_Cycle2=16711680\nlight_Cycle3=65535\n"
        "light_Cycle4=16776960\nlight_Cycle5=16711935\nlight_Cycle6=16777215\n"
        "DBClick_Speed=4\n"
        "Scroll_Speed=3\n"
        "scroll_page=0\n"
        "Mouse_Speed=5\n"
        "mouse_enhance=0\n"
        "Profil_Name=\n"
        "SYNCFilesPath=\n";
    const struct {
        const char* code;
        const char* checksum;
    } buttons[8] = {{"A0", "9D"}, {"A1", "9F"}, {"A2", "A1"}, {"C0", "C0"},
                    {"A4", "A5"}, {"A3", "A5"}, {"C1", "C4"}, {"00", "04"}};
    for (int b = 0; b < 8; ++b) {
        text += "ExePath" + std::to_string(b) + "=\n";
        text += "ExeName" + std::to_string(b) + "=\n";
        text += "ButtonAssigned" + std::to_string(b) + "=" +
                DefaultButtonValue(b + 1, buttons[b].code, buttons[b].checksum) + "\n";
    }
    return text;
}

// What a load writes into a missing file: the defaults of six slots.
std::string DefaultFileText() {
    std::string text =
        "[Setting]\n"
        "Totle=6\n"
        "Current=0\n"
        "Active=0\n"
        "Show_TrayIcon=1\n"
        "Show_OSD=1\n"
        "lan_id=1\n"
        "BGFilesPath=\n"
        "0=0\n1=1\n2=2\n3=3\n4=4\n5=5\n";
    for (int section = 0; section < 6; ++section) {
        text += DefaultProfileSection(section);
    }
    return text;
}

// Stands for a program killed at one of its writes: that write and every later one never
// happen. Writes into a file being created count too.
struct SimulatedCrash {};

class CrashingProfileFiles final : public ProfileFiles {
  public:
    CrashingProfileFiles(ProfileFiles& inner, int& writesLeft) : files(inner), left(writesLeft) {}

    std::int32_t GetProfileInt(std::u16string_view section, std::u16string_view key,
                               std::int32_t defaultValue, std::u16string_view path) override {
        return files.GetProfileInt(section, key, defaultValue, path);
    }
    std::u16string GetProfileString(std::u16string_view section, std::u16string_view key,
                                    std::u16string_view defaultText, std::size_t bufferUnits,
                                    std::u16string_view path) override {
        return files.GetProfileString(section, key, defaultText, bufferUnits, path);
    }
    bool GetProfileStruct(std::u16string_view section, std::u16string_view key,
                          std::span<std::uint8_t> bytes, std::u16string_view path) override {
        return files.GetProfileStruct(section, key, bytes, path);
    }
    bool WriteProfileString(std::u16string_view section, std::u16string_view key,
                            std::u16string_view value, std::u16string_view path) override {
        Count();
        return files.WriteProfileString(section, key, value, path);
    }
    bool WriteProfileStruct(std::u16string_view section, std::u16string_view key,
                            std::span<const std::uint8_t> bytes,
                            std::u16string_view path) override {
        Count();
        return files.WriteProfileStruct(section, key, bytes, path);
    }
    bool FileExists(std::u16string_view path) override { return files.FileExists(path); }
    bool CreateProfileFile(std::u16string_view path,
                           const std::function<void(ProfileFiles&)>& write) override {
        return files.CreateProfileFile(path, [&](ProfileFiles& newFile) {
            CrashingProfileFiles counted(newFile, left);
            write(counted);
        });
    }

  private:
    void Count() {
        if (left-- == 0) {
            throw SimulatedCrash{};
        }
    }

    ProfileFiles& files;
    int& left;
};

TEST_P(SettingsFileTest, MissingFileLoadsTheDefaultsAndIsCreatedWithThem) {
    const Loaded loaded = Load();
    EXPECT_EQ(loaded.working, DefaultSettings());
    EXPECT_EQ(loaded.applied, DefaultSettings());
    EXPECT_EQ(loaded.current, DefaultProfile());
    EXPECT_EQ(FileText(), DefaultFileText());
}

// A file cut short would stay short for good: loads never write into an existing file.
TEST_P(SettingsFileTest, ACrashWhileTheFileIsCreatedLeavesNoFileAtAll) {
    for (int writes : {0, 1, 200, 420}) {
        CrashingProfileFiles crashing(*files, writes);
        SettingData working;
        SettingData applied;
        ProfileData current;
        try {
            LoadSettings(crashing, path, working, applied, current);
        } catch (const SimulatedCrash&) {
            // The program would be gone here.
        }
        EXPECT_EQ(folder.Names(), std::vector<std::string>{}) << writes << " writes";
    }
    Load();
    EXPECT_EQ(FileText(), DefaultFileText());
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"GamingMouse"});
}

TEST_P(SettingsFileTest, SlotsReadFromTheSectionsTheirGroupsName) {
    WriteFile(
        "[Setting]\nTotle=2\n0=4\n1=1\n"
        "[Profile1Setting]\nGroupID=11\n"
        "[Profile4Setting]\nGroupID=14\nDPI_Cur=6\n");
    const Loaded loaded = Load();
    EXPECT_EQ(loaded.working.Totle, 2);
    EXPECT_EQ(loaded.working.ProfileGroup[0], 4);
    EXPECT_EQ(loaded.working.ProfileGroup[1], 1);
    EXPECT_EQ(loaded.working.Profiles[0].GroupID, 14);
    EXPECT_EQ(loaded.working.Profiles[0].DPI_Cur, 6);
    EXPECT_EQ(loaded.working.Profiles[1].GroupID, 11);
    EXPECT_EQ(loaded.working.Profiles[1].DPI_Cur, 3);
    // Slots 2 to 5 are not read and keep what they held.
    for (std::size_t slot = 2; slot < 6; ++slot) {
        EXPECT_EQ(loaded.working.ProfileGroup[slot], Leftovers().ProfileGroup[slot]);
        EXPECT_EQ(loaded.working.Profiles[slot], Leftovers().Profiles[slot]);
    }
    EXPECT_EQ(loaded.current, loaded.working.Profiles[0]);
}

TEST_P(SettingsFileTest, TooManySlotsReadsSixAndValidatesDownToOne) {
    const std::string text =
        "[Setting]\nTotle=9\nCurrent=4\nActive=5\n0=0\n1=1\n2=2\n3=3\n4=4\n5=5\n6=1\n"
        "[Profile5Setting]\nGroupID=5\nlight_speed=0\n";
    WriteFile(text);
    const Loaded loaded = Load();
    EXPECT_EQ(loaded.working.Totle, 1);
    EXPECT_EQ(loaded.working.Current, 0);
    EXPECT_EQ(loaded.working.Active, 0);
    // All six were read (slot 5 from its own section), but only slot 0 is validated.
    EXPECT_EQ(loaded.working.Profiles[5].GroupID, 5);
    EXPECT_EQ(loaded.working.Profiles[5].light_speed, 0);
    EXPECT_EQ(test::ReadFileBytes(std::filesystem::path(path)), text);
}

TEST_P(SettingsFileTest, ActiveSlotBecomesTheCurrentProfile) {
    const struct {
        int active;
        std::int32_t expectedGroupId;
    } cases[] = {{2, 12}, {5, 10}, {-1, 10}, {1, 11}};
    for (const auto& c : cases) {
        WriteFile("[Setting]\nTotle=3\nActive=" + std::to_string(c.active) +
                  "\n[Profile0Setting]\nGroupID=10\n[Profile1Setting]\nGroupID=11\n"
                  "[Profile2Setting]\nGroupID=12\n");
        const Loaded loaded = Load();
        EXPECT_EQ(loaded.current.GroupID, c.expectedGroupId) << "Active=" << c.active;
        EXPECT_EQ(loaded.applied, loaded.working);
    }
}

TEST_P(SettingsFileTest, NoSlotAtAllReadsNoProfile) {
    WriteFile("[Setting]\nTotle=0\n[Profile0Setting]\nGroupID=7\n");
    const Loaded loaded = Load();
    EXPECT_EQ(loaded.working.Totle, 1);
    // Slot 0 was not read: it keeps what it held, validated.
    EXPECT_EQ(loaded.working.Profiles[0].GroupID, 0);  // 90 is out of range
    EXPECT_EQ(loaded.working.ProfileGroup[0], 0);      // 40 is out of range
    EXPECT_EQ(TextOf(loaded.working.Profiles[0].Profil_Name), u"leftover");
}

TEST_P(SettingsFileTest, UndecodableButtonRecordGivesTheDefaultRecordAndStaysInTheFile) {
    ProfileData profile = DefaultProfile();
    profile.ButtonAssigned[3].FunctionCode = 0xB2;
    {
        SettingData settings = DefaultSettings();
        settings.Totle = 1;
        settings.Profiles[0] = profile;
        WriteAllSettings(*files, settings, path);
    }
    // One digit of button index 3's value changed: the checksum no longer matches.
    std::string text = FileText();
    const std::size_t at = text.find("ButtonAssigned3=") + std::string("ButtonAssigned3=").size();
    ASSERT_EQ(text.substr(at, 4), "04B2");
    text[at + 3] = '3';
    WriteFile(text);

    const Loaded loaded = Load();
    EXPECT_EQ(loaded.current.ButtonAssigned[3], DefaultButtonAssignment(3));
    EXPECT_EQ(FileText(), text);
}

TEST_P(SettingsFileTest, MissingButtonRecordGivesTheDefaultRecord) {
    WriteFile("[Setting]\nTotle=1\n[Profile0Setting]\nButtonAssigned1=00\n");
    const Loaded loaded = Load();
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        EXPECT_EQ(loaded.current.ButtonAssigned[b], DefaultButtonAssignment(b)) << b;
    }
}

TEST_P(SettingsFileTest, FileHoldingOnlyTheDeviceKeyCountsAsExisting) {
    WriteDeviceFlag(*files, path, 1);
    const std::string before = test::ReadFileBytes(std::filesystem::path(path));
    EXPECT_EQ(FileText(), "[Setting]\nDevice=1\n");

    const Loaded loaded = Load();
    EXPECT_EQ(loaded.working, DefaultSettings());
    EXPECT_EQ(test::ReadFileBytes(std::filesystem::path(path)), before);
}

TEST_P(SettingsFileTest, ReplacedValuesLiveInMemoryOnly) {
    const std::string text =
        "[Setting]\nTotle=2\nlan_id=7\n0=0\n1=9\n"
        "[Profile0Setting]\nDBClick_Speed=11\nButtonAssigned0=00\n";
    WriteFile(text);
    const Loaded loaded = Load();
    EXPECT_EQ(loaded.working.lan_id, 1);
    EXPECT_EQ(loaded.working.ProfileGroup[1], 0);
    EXPECT_EQ(loaded.working.Profiles[0].DBClick_Speed, 4);
    EXPECT_EQ(loaded.applied, loaded.working);
    EXPECT_EQ(test::ReadFileBytes(std::filesystem::path(path)), text);
}

TEST_P(SettingsFileTest, WriteDpiCurChangesOnlyThatKey) {
    WriteFile("[Setting]\nTotle=3\n[Profile2Setting]\nGroupID=1\nDPI_Cur=1\nPOLLRATE_VALUE=3\n");
    WriteDpiCur(*files, path, 2, 4);
    EXPECT_EQ(FileText(),
              "[Setting]\nTotle=3\n[Profile2Setting]\nGroupID=1\nDPI_Cur=4\nPOLLRATE_VALUE=3\n");

    // A missing key and section are created.
    WriteDpiCur(*files, path, 5, 7);
    EXPECT_EQ(FileText(),
              "[Setting]\nTotle=3\n[Profile2Setting]\nGroupID=1\nDPI_Cur=4\nPOLLRATE_VALUE=3\n"
              "[Profile5Setting]\nDPI_Cur=7\n");
}

TEST_P(SettingsFileTest, NegativeSectionNumberKeepsItsSign) {
    WriteDpiCur(*files, path, -1, 2);
    EXPECT_EQ(FileText(), "[Profile-1Setting]\nDPI_Cur=2\n");
}

TEST_P(SettingsFileTest, IntegerAndStructValueForms) {
    IniFile ini(*files, path);
    ini.WriteInt(u"S", u"minus", -1);
    ini.WriteInt(u"S", u"lowest", INT32_MIN);
    ini.WriteStruct(u"S", u"zero", ButtonAssignmentToBytes(ButtonAssignment{}));
    EXPECT_EQ(FileText(),
              "[S]\nminus=-1\nlowest=-2147483648\nzero=" + std::string(762, '0') + "\n");
    EXPECT_EQ(ini.ReadInt(u"S", u"minus", 5), -1);
    EXPECT_EQ(ini.ReadInt(u"S", u"lowest", 5), INT32_MIN);
}

TEST_P(SettingsFileTest, EveryFieldSurvivesAWriteAndARead) {
    SettingData settings = DefaultSettings();
    settings.Totle = 3;
    settings.Current = 2;
    settings.Active = 1;
    settings.lan_id = 0;
    settings.Show_TrayIcon = 0;
    settings.Show_OSD = 0;
    SetText(settings.BGFilesPath, u"C:\\Users\\Zoë\\bg.png");
    settings.ProfileGroup = {2, 0, 5, 3, 4, 1};
    for (std::size_t slot = 0; slot < 3; ++slot) {
        ProfileData& p = settings.Profiles[slot];
        const auto s = static_cast<std::int32_t>(slot);
        p.GroupID = 20 - s;
        SetText(p.Profil_Name, u"Профиль " + DecimalText(s));
        p.DPI_Cur = 7 - s;
        for (std::size_t i = 0; i < kDpiStageCount; ++i) {
            p.DPI_Color[i] = 0x010203 * static_cast<std::int32_t>(i + 1) + s;
            p.DPI_Value[i] = 8 - static_cast<std::int32_t>(i);
            p.light_Color[i] = -static_cast<std::int32_t>(i) - s;
            p.light_Cycle[i] = 0x7FFFFFFF - static_cast<std::int32_t>(i);
        }
        p.POLLRATE_VALUE = 3;
        p.Enable_light = 0;
        p.Cycle_enable = 1;
        p.light_type = 6;
        p.light_bright_colorID = 4;
        p.light_bright = 1;
        p.light_speed = 5;
        p.DBClick_Speed = 10;
        p.Scroll_Speed = 9;
        p.Mouse_Speed = 1;
        p.scroll_page = 1;
        p.mouse_enhance = 1;
        SetText(p.SYNCFilesPath, u"D:\\sync");
        for (std::size_t b = 0; b < kButtonCount; ++b) {
            SetText(p.ExePath[b], u"C:\\Games\\game" + DecimalText(static_cast<std::int32_t>(b)));
            SetText(p.ExeName[b], u"game" + DecimalText(static_cast<std::int32_t>(b)) + u".exe");
            ButtonAssignment& button = p.ButtonAssigned[b];
            button.ButtonNo = static_cast<std::uint8_t>(b + 1);
            button.FunctionCode = 0xA6;
            button.EventCount = 2;
            button.carriedByte3 = 0x5A;
            button.Events[0] = {0x14, 0x01, 1};
            button.Events[1] = {0xFF, 0x00, 0xFFFF};
            button.RepeatMode = 1;
            button.RepeatCount = 3;
            button.carriedBytes374 = {0xAB, 0xCD};
            button.MacroIndex = static_cast<std::int32_t>(b) - 4;
        }
    }
    WriteAllSettings(*files, settings, path);

    SettingData read = Leftovers();
    ReadAllSettings(*files, read, path);
    for (std::size_t slot = 3; slot < 6; ++slot) {
        read.ProfileGroup[slot] = settings.ProfileGroup[slot];
        read.Profiles[slot] = settings.Profiles[slot];
    }
    EXPECT_EQ(read, settings);
}

TEST_P(SettingsFileTest, LongTextsAreCutToTheirFields) {
    const std::u16string longName(70, u'n');
    const std::u16string longPath(3000, u'p');
    IniFile ini(*files, path);
    ini.WriteString(u"Setting", u"Totle", u"1");
    ini.WriteString(u"Setting", u"BGFilesPath", longPath);
    ini.WriteString(u"Profile0Setting", u"Profil_Name", longName);
    // 258 units, then a surrogate pair that would straddle the end of the 260-unit field.
    ini.WriteString(u"Profile0Setting", u"SYNCFilesPath",
                    std::u16string(258, u's') + u"\U0001F600");

    EXPECT_EQ(ini.ReadString(u"Setting", u"BGFilesPath", u"").size(), 2047u);
    const Loaded loaded = Load();
    EXPECT_EQ(TextOf(loaded.working.BGFilesPath), longPath.substr(0, 259));
    EXPECT_EQ(TextOf(loaded.current.Profil_Name), longName.substr(0, 49));
    EXPECT_EQ(TextOf(loaded.current.SYNCFilesPath), std::u16string(258, u's'));
}

TEST_P(SettingsFileTest, MissingFolderWritesNothingAndLoadsTheDefaults) {
    path = folder.File(u"Norvane/T47/GamingMouse");
    const Loaded loaded = Load();
    EXPECT_EQ(loaded.working, DefaultSettings());
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "Norvane"));
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

TEST_P(SettingsFileTest, EmptyPathWritesNothingAnywhere) {
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    path.clear();
    const Loaded loaded = Load();
    WriteDeviceFlag(*files, path, 1);
    WriteDpiCur(*files, path, 0, 2);
    std::filesystem::current_path(before);

    EXPECT_EQ(loaded.working, DefaultSettings());
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

INSTANTIATE_TEST_SUITE_P(, SettingsFileTest, testing::ValuesIn(test::ProfileFilesImplementations()),
                         [](const auto& implementation) { return implementation.param.name; });

}  // namespace
}  // namespace t47
