#pragma once

// The operating system's profile-file services: integer, text and byte-block values in
// INI-style files, read and written one key per call. Windows has them as functions; elsewhere
// the portable engine gives them the same behaviour. Every call sees what another process
// wrote to the file before it. Arguments follow the Windows functions, the file last. No call
// throws: a failure is a default read or a write that gives false.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace t47 {

class ProfileFiles {
  public:
    virtual ~ProfileFiles() = default;

    // The key's value as an integer; `defaultValue` when the file, the section or the key is
    // missing, or the value is empty.
    virtual std::int32_t GetProfileInt(std::u16string_view section, std::u16string_view key,
                                       std::int32_t defaultValue, std::u16string_view path) = 0;

    // The key's text, without the blanks around it and one pair of quotes, cut to
    // `bufferUnits` - 1 units as a buffer of that size with its terminating zero would hold it;
    // `defaultText` (without trailing spaces and quotes) when the file, section or key is missing.
    virtual std::u16string GetProfileString(std::u16string_view section, std::u16string_view key,
                                            std::u16string_view defaultText,
                                            std::size_t bufferUnits, std::u16string_view path) = 0;

    // Fills `bytes` from the key's struct value (two hex digits a byte, then two of the low
    // byte of their sum); false, leaving `bytes` untouched, unless the value holds exactly that
    // many digits and the checksum matches. (The Windows functions also take some values with
    // more characters.)
    virtual bool GetProfileStruct(std::u16string_view section, std::u16string_view key,
                                  std::span<std::uint8_t> bytes, std::u16string_view path) = 0;

    // Creates the file and the section when missing; replaces an existing key's value where it
    // stands, else appends the key at the end of its section (a new section at the end of the
    // file). False when the file cannot be written (empty path, missing folder).
    virtual bool WriteProfileString(std::u16string_view section, std::u16string_view key,
                                    std::u16string_view value, std::u16string_view path) = 0;

    // Writes `bytes` in the struct encoding (upper-case digits), as WriteProfileString does.
    virtual bool WriteProfileStruct(std::u16string_view section, std::u16string_view key,
                                    std::span<const std::uint8_t> bytes,
                                    std::u16string_view path) = 0;

    // A file of zero bytes counts as missing: only a writer killed at its start leaves one.
    virtual bool FileExists(std::u16string_view path) = 0;

    // Creates the file at `path` holding what `write` writes into `newFile` (naming `path`), as
    // the writers above would write it key by key into a file that does not exist. The file
    // appears whole or not at all: it is written under another name beside it and then given
    // its own, and a file of that name that exists, or appears meanwhile, is never replaced
    // (but one of zero bytes, which counts as missing).
    // False when the file was not created.
    virtual bool CreateProfileFile(std::u16string_view path,
                                   const std::function<void(ProfileFiles& newFile)>& write) = 0;
};

}  // namespace t47
