#include "settings/ini_file.h"

#include <string>

namespace t47 {

IniFile::IniFile(ProfileFiles& profileFiles, std::u16string_view filePath)
    : files(profileFiles), path(filePath) {}

void IniFile::SetPath(std::u16string_view newPath) {
    path = newPath;
}

bool IniFile::WriteString(std::u16string_view section, std::u16string_view key,
                          std::u16string_view text) {
    // An unresolved path must never send a write to some other file.
    if (path.empty()) {
        return false;
    }
    return files.WriteProfileString(section, key, text, path);
}

bool IniFile::WriteInt(std::u16string_view section, std::u16string_view key, std::int32_t value) {
    return WriteString(section, key, DecimalText(value));
}

bool IniFile::WriteStruct(std::u16string_view section, std::u16string_view key,
                          std::span<const std::uint8_t> bytes) {
    if (path.empty()) {
        return false;
    }
    return files.WriteProfileStruct(section, key, bytes, path);
}

std::int32_t IniFile::ReadInt(std::u16string_view section, std::u16string_view key,
                              std::int32_t defaultValue) {
    return files.GetProfileInt(section, key, defaultValue, path);
}

std::u16string IniFile::ReadString(std::u16string_view section, std::u16string_view key,
                                   std::u16string_view defaultText) {
    return files.GetProfileString(section, key, defaultText, kTextBufferUnits, path);
}

bool IniFile::ReadStruct(std::u16string_view section, std::u16string_view key,
                         std::span<std::uint8_t> bytes) {
    return files.GetProfileStruct(section, key, bytes, path);
}

std::u16string DecimalText(std::int32_t value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace t47
