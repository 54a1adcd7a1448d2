#include "platform/profile/profile_file_draft.h"

#include "platform/profile/profile_values.h"

namespace t47 {

ProfileFileDraft::ProfileFileDraft(NewFileFormat newFileFormat) : format(newFileFormat) {}

const std::string& ProfileFileDraft::Bytes() const {
    static const std::string kNothing;
    return document ? document->Bytes() : kNothing;
}

std::optional<std::u16string> ProfileFileDraft::RawValue(std::u16string_view section,
                                                         std::u16string_view key) const {
    if (!document) {
        return std::nullopt;
    }
    return document->Value(UpToZero(section), UpToZero(key));
}

std::int32_t ProfileFileDraft::GetProfileInt(std::u16string_view section, std::u16string_view key,
                                             std::int32_t defaultValue,
                                             std::u16string_view /*path*/) {
    return ProfileIntOf(RawValue(section, key), defaultValue);
}

std::u16string ProfileFileDraft::GetProfileString(std::u16string_view section,
                                                  std::u16string_view key,
                                                  std::u16string_view defaultText,
                                                  std::size_t bufferUnits,
                                                  std::u16string_view /*path*/) {
    return ProfileStringOf(RawValue(section, key), defaultText, bufferUnits);
}

bool ProfileFileDraft::GetProfileStruct(std::u16string_view section, std::u16string_view key,
                                        std::span<std::uint8_t> bytes,
                                        std::u16string_view /*path*/) {
    return ProfileStructOf(RawValue(section, key), bytes);
}

bool ProfileFileDraft::WriteProfileString(std::u16string_view section, std::u16string_view key,
                                          std::u16string_view value, std::u16string_view /*path*/) {
    section = UpToZero(section);
    key = UpToZero(key);
    value = UpToZero(value);
    if (!document) {
        document.emplace(ProfileDocument::NewFileBytes(format, section, key, value),
                         format.lineEnd);
    } else if (std::optional<std::string> edited = document->BytesWithValue(section, key, value)) {
        document.emplace(std::move(*edited), format.lineEnd);
    }
    return true;
}

bool ProfileFileDraft::WriteProfileStruct(std::u16string_view section, std::u16string_view key,
                                          std::span<const std::uint8_t> bytes,
                                          std::u16string_view path) {
    return WriteProfileString(section, key, EncodeProfileStruct(bytes), path);
}

bool ProfileFileDraft::FileExists(std::u16string_view /*path*/) {
    return document.has_value();
}

bool ProfileFileDraft::CreateProfileFile(std::u16string_view /*path*/,
                                         const std::function<void(ProfileFiles&)>& /*write*/) {
    return false;
}

}  // namespace t47
