#include "platform/profile/profile_engine.h"

#include <algorithm>
#include <filesystem>

#include "platform/profile/file_contents.h"
#include "platform/profile/file_stamp.h"
#include "platform/profile/folder_lock.h"
#include "platform/profile/profile_file_draft.h"
#include "platform/profile/profile_values.h"
#include "platform/text_encoding.h"

namespace t47 {
namespace {

// The agent keeps three files (settings, macro library, language); a few more cost little.
constexpr std::size_t kCachedFiles = 6;

std::filesystem::path FolderOf(const std::filesystem::path& file) {
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

}  // namespace

struct ProfileEngine::CachedFile {
    std::u16string pathText;
    std::filesystem::path path;
    std::optional<FileStamp> stamp;           // none: no file
    std::int64_t readAt = 0;                  // when the bytes of `document` were last read
    std::optional<ProfileDocument> document;  // none: no file, or it cannot be read
};

ProfileEngine::ProfileEngine(NewFileFormat format) : newFileFormat(format) {}

ProfileEngine::~ProfileEngine() = default;

ProfileEngine::CachedFile& ProfileEngine::Entry(std::u16string_view path) {
    auto found = std::find_if(cache.begin(), cache.end(),
                              [path](const auto& entry) { return entry->pathText == path; });
    if (found == cache.end()) {
        if (cache.size() == kCachedFiles) {
            cache.pop_back();
        }
        auto entry = std::make_unique<CachedFile>();
        entry->pathText = path;
        entry->path = PathFromUtf16(path);
        cache.insert(cache.begin(), std::move(entry));
    } else {
        std::rotate(cache.begin(), found, found + 1);
    }
    return *cache.front();
}

void ProfileEngine::Refresh(CachedFile& entry) {
    // The moment is taken before the stamp, the stamp before the bytes.
    const std::int64_t readStart = FileClockNow();
    std::optional<FileStamp> stamp = ReadFileStamp(entry.path);
    if (stamp && entry.stamp == stamp &&
        (stamp->size > kMaxProfileFileBytes ||
         (entry.document && IsSettled(*stamp, entry.readAt, readStart)))) {
        return;
    }
    std::optional<std::string> bytes;
    if (stamp && stamp->size <= kMaxProfileFileBytes) {
        bytes = ReadFileContents(entry.path, static_cast<std::size_t>(stamp->size));
    }
    if (!bytes) {
        entry.document.reset();
    } else if (!entry.document || entry.document->Bytes() != *bytes) {
        entry.document.emplace(std::move(*bytes), newFileFormat.lineEnd);
    }
    entry.stamp = stamp;
    entry.readAt = readStart;
}

ProfileEngine::CachedFile& ProfileEngine::Current(std::u16string_view path) {
    CachedFile& entry = Entry(path);
    Refresh(entry);
    return entry;
}

void ProfileEngine::ForgetFiles() noexcept {
    try {
        std::lock_guard lock(mutex);
        cache.clear();
    } catch (...) {
        // Nothing was cached that a later call could trust.
    }
}

std::optional<std::u16string> ProfileEngine::RawValue(std::u16string_view section,
                                                      std::u16string_view key,
                                                      std::u16string_view path) {
    path = UpToZero(path);
    if (path.empty()) {
        return std::nullopt;
    }
    try {
        std::lock_guard lock(mutex);
        const CachedFile& file = Current(path);
        if (!file.document) {
            return std::nullopt;
        }
        return file.document->Value(UpToZero(section), UpToZero(key));
    } catch (...) {
        // Out of memory or a file-system error: the key reads as missing.
        ForgetFiles();
        return std::nullopt;
    }
}

std::int32_t ProfileEngine::GetProfileInt(std::u16string_view section, std::u16string_view key,
                                          std::int32_t defaultValue, std::u16string_view path) {
    try {
        return ProfileIntOf(RawValue(section, key, path), defaultValue);
    } catch (...) {
        return defaultValue;
    }
}

std::u16string ProfileEngine::GetProfileString(std::u16string_view section, std::u16string_view key,
                                               std::u16string_view defaultText,
                                               std::size_t bufferUnits, std::u16string_view path) {
    try {
        return ProfileStringOf(RawValue(section, key, path), defaultText, bufferUnits);
    } catch (...) {
        return {};
    }
}

bool ProfileEngine::GetProfileStruct(std::u16string_view section, std::u16string_view key,
                                     std::span<std::uint8_t> bytes, std::u16string_view path) {
    try {
        return ProfileStructOf(RawValue(section, key, path), bytes);
    } catch (...) {
        return false;
    }
}

bool ProfileEngine::WriteProfileString(std::u16string_view section, std::u16string_view key,
                                       std::u16string_view value, std::u16string_view path) {
    try {
        const ProfileKeyValue one{std::u16string(UpToZero(section)), std::u16string(UpToZero(key)),
                                  std::u16string(UpToZero(value))};
        return WriteProfileStrings(std::span(&one, 1), path);
    } catch (...) {
        return false;
    }
}

bool ProfileEngine::WriteProfileStrings(std::span<const ProfileKeyValue> values,
                                        std::u16string_view path) {
    path = UpToZero(path);
    if (path.empty()) {
        return false;
    }
    try {
        std::lock_guard lock(mutex);
        CachedFile& file = Entry(path);
        // From reading the file to replacing it, no other program using the engine writes it.
        const FolderLock folderLock(FolderOf(file.path));
        // A second time only when a program that does not take the lock created the file
        // meanwhile: the keys then go into that file.
        for (int attempt = 0; attempt < 2; ++attempt) {
            Refresh(file);
            const bool created = !file.document;
            if (created && file.stamp) {
                return false;  // there is a file, but it cannot be read: never overwrite it blind
            }
            // Each key is written into the text the keys before it made.
            std::optional<ProfileDocument> edited;
            for (const ProfileKeyValue& change : values) {
                const ProfileDocument* base = edited          ? &*edited
                                              : file.document ? &*file.document
                                                              : nullptr;
                std::optional<std::string> bytes =
                    base ? base->BytesWithValue(change.section, change.key, change.value)
                         : ProfileDocument::NewFileBytes(newFileFormat, change.section, change.key,
                                                         change.value);
                if (bytes) {
                    edited.emplace(std::move(*bytes), newFileFormat.lineEnd);
                }
            }
            if (!edited) {
                return true;  // the same values: the file is not rewritten
            }
            const std::string& bytes = edited->Bytes();
            const std::int64_t writeStart = FileClockNow();
            const bool written = created ? CreateFileContents(file.path, bytes, folderLock.Held())
                                         : ReplaceFileContents(file.path, bytes, folderLock.Held());
            file.stamp.reset();
            file.document.reset();
            if (written) {
                // Another program may write right after us in the same clock tick; until the
                // new stamp settles, the next calls compare the bytes.
                file.stamp = ReadFileStamp(file.path);
                file.readAt = writeStart;
                file.document = std::move(edited);
                return true;
            }
            if (!created || !ReadFileStamp(file.path)) {
                return false;
            }
        }
        return false;
    } catch (...) {
        ForgetFiles();
        return false;
    }
}

bool ProfileEngine::WriteProfileStruct(std::u16string_view section, std::u16string_view key,
                                       std::span<const std::uint8_t> bytes,
                                       std::u16string_view path) {
    try {
        return WriteProfileString(section, key, EncodeProfileStruct(bytes), path);
    } catch (...) {
        return false;
    }
}

bool ProfileEngine::FileExists(std::u16string_view path) {
    path = UpToZero(path);
    try {
        if (path.empty()) {
            return false;
        }
        // A file of no bytes counts as missing: only a writer killed at its start leaves one.
        const std::optional<FileStamp> stamp = ReadFileStamp(PathFromUtf16(path));
        return stamp && stamp->size > 0;
    } catch (...) {
        return false;
    }
}

bool ProfileEngine::CreateProfileFile(std::u16string_view path,
                                      const std::function<void(ProfileFiles&)>& write) {
    path = UpToZero(path);
    if (path.empty()) {
        return false;
    }
    try {
        ProfileFileDraft draft(newFileFormat);
        write(draft);
        std::lock_guard lock(mutex);
        CachedFile& file = Entry(path);
        const FolderLock folderLock(FolderOf(file.path));
        const std::int64_t writeStart = FileClockNow();
        file.stamp.reset();
        file.document.reset();
        if (!CreateFileContents(file.path, draft.Bytes(), folderLock.Held())) {
            return false;
        }
        file.stamp = ReadFileStamp(file.path);
        file.readAt = writeStart;
        file.document.emplace(draft.Bytes(), newFileFormat.lineEnd);
        return true;
    } catch (...) {
        ForgetFiles();
        return false;
    }
}

}  // namespace t47
