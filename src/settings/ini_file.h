#pragma once

// Accessor for one INI-style file (the settings file, the macro library, the language files).
// It holds only the file's path: every operation is one call of the profile-file services, so
// each sees what the companion UI wrote before it. With an empty path (no application-data
// folder) nothing is ever written and every read gives its default.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/profile_files.h"

namespace t47 {

class IniFile {
  public:
    // Texts are read into a buffer of this many UTF-16 units, the terminating zero included.
    static constexpr std::size_t kTextBufferUnits = 2048;

    explicit IniFile(ProfileFiles& files, std::u16string_view path = {});

    void SetPath(std::u16string_view newPath);
    const std::u16string& Path() const { return path; }

    // Writers: nonzero (true) on success; no caller in the agent looks at it.
    bool WriteString(std::u16string_view section, std::u16string_view key,
                     std::u16string_view text);
    bool WriteInt(std::u16string_view section, std::u16string_view key, std::int32_t value);
    bool WriteStruct(std::u16string_view section, std::u16string_view key,
                     std::span<const std::uint8_t> bytes);

    std::int32_t ReadInt(std::u16string_view section, std::u16string_view key,
                         std::int32_t defaultValue);
    // The key's text, at most kTextBufferUnits - 1 units.
    std::u16string ReadString(std::u16string_view section, std::u16string_view key,
                              std::u16string_view defaultText);
    // True when the value decoded into exactly bytes.size() bytes with a matching checksum.
    bool ReadStruct(std::u16string_view section, std::u16string_view key,
                    std::span<std::uint8_t> bytes);

  private:
    ProfileFiles& files;
    std::u16string path;
};

// The decimal text of a signed 32-bit integer, as "%d" writes it.
std::u16string DecimalText(std::int32_t value);

}  // namespace t47
