#pragma once

// The portable profile-file engine: the Windows profile functions' behaviour (see
// profile_document.h) over files read and written with the standard library.
//
// Each file is kept parsed between calls and checked at every call against its stamp
// (file_stamp.h), so a call sees what another program wrote before it while a lookup in an
// unchanged file costs one file-status query. Writes replace the whole file (file_contents.h)
// while holding the lock of its folder (folder_lock.h), so that no write of a program using the
// engine is lost to another's. A file that does not exist yet is written in the given format;
// an existing one keeps its encoding (UTF-16LE files start with FF FE; others are UTF-8) and its
// line ends. A file larger than kMaxProfileFileBytes reads as missing and is never written.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile/profile_document.h"
#include "platform/profile_files.h"

namespace t47 {

// As the platform's own programs write text files: UTF-16LE with CR LF on Windows, where the
// profile functions keep non-ASCII text only in such files; UTF-8 with LF elsewhere.
#ifdef _WIN32
inline constexpr NewFileFormat kPlatformNewFileFormat{TextEncoding::kUtf16LeWithBom,
                                                      LineEnd::kCrLf};
#else
inline constexpr NewFileFormat kPlatformNewFileFormat{TextEncoding::kUtf8, LineEnd::kLf};
#endif

// One key's new value, for a change of several keys at once.
struct ProfileKeyValue {
    std::u16string section;
    std::u16string key;
    std::u16string value;
};

class ProfileEngine final : public ProfileFiles {
  public:
    explicit ProfileEngine(NewFileFormat newFileFormat = kPlatformNewFileFormat);
    ~ProfileEngine() override;

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
    // Several keys written as WriteProfileString writes each, in order, but as one change: one
    // replacement of the file under one hold of the folder lock, so the file holds all of them
    // or none, and no other writer's key is lost between them. A single write is this with one.
    bool WriteProfileStrings(std::span<const ProfileKeyValue> values, std::u16string_view path);
    bool CreateProfileFile(std::u16string_view path,
                           const std::function<void(ProfileFiles& newFile)>& write) override;

  private:
    struct CachedFile;

    // The key's value as the file holds it now (blanks trimmed, quotes kept).
    std::optional<std::u16string> RawValue(std::u16string_view section, std::u16string_view key,
                                           std::u16string_view path);
    // The cache entry of the path, brought up to date with the file.
    CachedFile& Current(std::u16string_view path);
    CachedFile& Entry(std::u16string_view path);
    void Refresh(CachedFile& file);
    // After a failure that may have left the cache half updated: the files are read anew.
    void ForgetFiles() noexcept;

    NewFileFormat newFileFormat;
    std::mutex mutex;                                // the cache is shared by every caller
    std::vector<std::unique_ptr<CachedFile>> cache;  // most recently used first
};

}  // namespace t47
