#pragma once

// A profile file being built in memory: the profile-file services over one document that no
// file holds yet, whatever path a call names. A new file is written here key by key first, so
// that it can appear on disk whole and at once; the report tool prints settings from one.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/profile/profile_document.h"
#include "platform/profile_files.h"

namespace t47 {

class ProfileFileDraft final : public ProfileFiles {
  public:
    explicit ProfileFileDraft(NewFileFormat format);

    // The file's bytes as written so far; empty before the first write.
    const std::string& Bytes() const;

    std::int32_t GetProfileInt(std::u16string_view section, std::u16string_view key,
                               std::int32_t defaultValue, std::u16string_view path) override;
    std::u16string GetProfileString(std::u16string_view section, std::u16string_view key,
                                    std::u16string_view defaultText, std::size_t bufferUnits,
                                    std::u16string_view path) override;
    bool GetProfileStruct(std::u16string_view section, std::u16string_view key,
                          std::span<std::uint8_t> bytes, std::u16string_view path) override;
    bool WriteProfileString(std::u16string_view section, std::u16string_view key,
                            std::u16string_view value, std::u16string_view path) override;
    bool WriteProfileStruct(std::u16string_view section, std::u16string_view key,
                            std::span<const std::uint8_t> bytes, std::u16string_view path) override;
    // True once something was written.
    bool FileExists(std::u16string_view path) override;
    // A draft holds one file only: false.
    bool CreateProfileFile(std::u16string_view path,
                           const std::function<void(ProfileFiles& newFile)>& write) override;

  private:
    std::optional<std::u16string> RawValue(std::u16string_view section,
                                           std::u16string_view key) const;

    NewFileFormat format;
    std::optional<ProfileDocument> document;  // none before the first write
};

}  // namespace t47
