#include "settings/settings_file.h"

#include <algorithm>
#include <cstddef>
#include <string>

#include "settings/button_assignment.h"
#include "settings/ini_file.h"
#include "settings/settings_file_keys.h"
#include "settings/settings_validation.h"
#include "settings/text_field.h"

namespace t47 {
namespace {

class KeyReader {
  public:
    KeyReader(IniFile& file, std::u16string_view sectionName) : ini(file), section(sectionName) {}

    void Int(std::u16string_view key, std::int32_t& field, std::int32_t defaultValue) {
        field = ini.ReadInt(section, key, defaultValue);
    }

    template <std::size_t N>
    void Text(std::u16string_view key, TextField<N>& field) {
        SetText(field, ini.ReadString(section, key, u""));
    }

    void Button(std::u16string_view key, ButtonAssignment& field) {
        ButtonAssignmentBytes bytes{};
        field = ini.ReadStruct(section, key, bytes) ? ButtonAssignmentFromBytes(bytes)
                                                    : ButtonAssignment{};
    }

  private:
    IniFile& ini;
    std::u16string_view section;
};

class KeyWriter {
  public:
    KeyWriter(IniFile& file, std::u16string_view sectionName) : ini(file), section(sectionName) {}

    void Int(std::u16string_view key, std::int32_t field, std::int32_t /*defaultValue*/) {
        ini.WriteInt(section, key, field);
    }

    template <std::size_t N>
    void Text(std::u16string_view key, const TextField<N>& field) {
        ini.WriteString(section, key, TextOf(field));
    }

    void Button(std::u16string_view key, const ButtonAssignment& field) {
        ini.WriteStruct(section, key, ButtonAssignmentToBytes(field));
    }

  private:
    IniFile& ini;
    std::u16string_view section;
};

// Slots a count stands for, never more than the record holds.
std::size_t SlotsOf(std::int32_t count) {
    return static_cast<std::size_t>(
        std::clamp<std::int32_t>(count, 0, static_cast<std::int32_t>(kProfileSlotCount)));
}

std::u16string SlotKey(std::size_t slot) {
    return DecimalText(static_cast<std::int32_t>(slot));
}

}  // namespace

void ReadSettingHeader(ProfileFiles& files, SettingData& settings, std::u16string_view path) {
    IniFile ini(files, path);
    KeyReader reader(ini, kSettingSection);
    ForEachHeaderKey(settings, reader);
    // A count above six reads six slots; validation then brings the count down to one.
    for (std::size_t slot = 0; slot < SlotsOf(settings.Totle); ++slot) {
        reader.Int(SlotKey(slot), settings.ProfileGroup[slot], static_cast<std::int32_t>(slot));
    }
}

void WriteSettingHeader(ProfileFiles& files, const SettingData& settings,
                        std::u16string_view path) {
    IniFile ini(files, path);
    KeyWriter writer(ini, kSettingSection);
    ForEachHeaderKey(settings, writer);
    for (std::size_t slot = 0; slot < SlotsOf(settings.Totle); ++slot) {
        writer.Int(SlotKey(slot), settings.ProfileGroup[slot], 0);
    }
}

void ReadProfile(ProfileFiles& files, ProfileData& profile, std::int32_t section,
                 std::u16string_view path) {
    IniFile ini(files, path);
    const std::u16string sectionName = ProfileSectionName(section);
    KeyReader reader(ini, sectionName);
    ForEachProfileKey(profile, reader);
}

void WriteProfile(ProfileFiles& files, const ProfileData& profile, std::int32_t section,
                  std::u16string_view path) {
    IniFile ini(files, path);
    const std::u16string sectionName = ProfileSectionName(section);
    KeyWriter writer(ini, sectionName);
    ForEachProfileKey(profile, writer);
}

void ReadAllSettings(ProfileFiles& files, SettingData& settings, std::u16string_view path) {
    ReadSettingHeader(files, settings, path);
    // Section numbers as read, not yet validated.
    for (std::size_t slot = 0; slot < SlotsOf(settings.Totle); ++slot) {
        ReadProfile(files, settings.Profiles[slot], settings.ProfileGroup[slot], path);
    }
}

void WriteAllSettings(ProfileFiles& files, const SettingData& settings, std::u16string_view path) {
    WriteSettingHeader(files, settings, path);
    for (std::size_t slot = 0; slot < SlotsOf(settings.Totle); ++slot) {
        WriteProfile(files, settings.Profiles[slot], settings.ProfileGroup[slot], path);
    }
}

void WriteDpiCur(ProfileFiles& files, std::u16string_view path, std::int32_t section,
                 std::int32_t value) {
    IniFile(files, path).WriteInt(ProfileSectionName(section), u"DPI_Cur", value);
}

void WriteDeviceFlag(ProfileFiles& files, std::u16string_view path, std::int32_t value) {
    IniFile(files, path).WriteInt(kSettingSection, kDeviceKey, value);
}

void ReadValidatedSettings(ProfileFiles& files, std::u16string_view path, SettingData& settings) {
    ReadAllSettings(files, settings, path);
    ValidateSettings(settings);
}

void LoadSettings(ProfileFiles& files, std::u16string_view path, SettingData& working,
                  SettingData& applied, ProfileData& current) {
    ReadValidatedSettings(files, path, working);
    // Values that validation replaced in an existing file stay replaced in memory only: the
    // file belongs to the companion UI. A missing file appears whole or not at all: one cut
    // short by a crash would stay short for good, and the companion UI would fill the gaps with
    // defaults of its own.
    if (!files.FileExists(path)) {
        files.CreateProfileFile(
            path, [&](ProfileFiles& newFile) { WriteAllSettings(newFile, working, path); });
    }
    applied = working;
    current = working.Profiles[static_cast<std::size_t>(working.Active)];
}

}  // namespace t47
