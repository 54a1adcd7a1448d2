#pragma once

// The profile-file services over the Windows profile functions themselves.
//
// An empty path never reaches them (Windows would then use win.ini): reads give the defaults,
// writes fail. A file that a write is about to create is first created holding only a UTF-16LE
// byte-order mark, which makes the functions keep it in UTF-16LE; otherwise they would write it
// in the ANSI code page and turn every character outside it into '?'. A whole new file
// (CreateProfileFile) is built in memory as the functions write one, in UTF-16LE with CR LF,
// and appears at once. Nothing is thrown: a failure gives the default or false.

#include "platform/profile_files.h"

namespace t47 {

class Win32ProfileFiles final : public ProfileFiles {
  public:
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
    bool FileExists(std::u16string_view path) override;
    bool CreateProfileFile(std::u16string_view path,
                           const std::function<void(ProfileFiles& newFile)>& write) override;
};

}  // namespace t47
