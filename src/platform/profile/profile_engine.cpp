#include "platform/profile/profile_engine.h"

#include <algorithm>
#include <filesystem>

#include "platform/profile/file_contents.h"
#include "platform/profile/file_stamp.h"
#include "platform/profile/profile_values.h"
#include "platform/text_encoding.h"

namespace t47 {
namespace {

// The agent keeps three files (settings, macro library, language); a few more cost little.
constexpr std::size_t kCachedFiles = 6;

// Arguments end at a zero unit, as the C strings of the Windows functions do.
std::u16string_view UpToZero(std::u16string_view text) {
    return text.substr(0, text.find(u'\0'));
}

}  // namespace

struct ProfileEngine::CachedFile {
    std::u16string pathText;
    std::filesystem::path path;
    std::optional<FileStamp> stamp;  // none: no file
    bool settled = false;
    std::optional<ProfileDocument> document;  // none: no file, or it cannot be read
};

ProfileEngine::ProfileEngine(NewFileFormat format) : newFileFormat(format) {}

ProfileEngine::~ProfileEngine() = default;

ProfileEngine::CachedFile& ProfileEngine::Current(std::u16string_view path) {
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
    CachedFile& entry = *cache.front();

    // The moment is taken before the stamp, the stamp before the bytes.
    const std::int64_t readStart = FileClockNow();
    std::optional<FileStamp> stamp = ReadFileStamp(entry.path);
    if (stamp && entry.stamp == stamp && entry.settled) {
        return entry;
    }
    std::optional<std::string> bytes;
    if (stamp) {
        bytes = ReadFileContents(entry.path, static_cast<std::size_t>(stamp->size));
    }
    if (!bytes) {
        entry.document.reset();
    } else if (!entry.document || entry.document->Bytes() != *bytes) {
        entry.document.emplace(std::move(*bytes), newFileFormat.lineEnd);
    }
    entry.settled = bytes && IsSettled(*stamp, readStart);
    entry.stamp = stamp;
    return entry;
}

std::optional<std::u16string> ProfileEngine::RawValue(std::u16string_view section,
                                                      std::u16string_view key,
                                                      std::u16string_view path) {
    path = UpToZero(path);
    if (path.empty()) {
        return std::nullopt;
    }
    std::lock_guard lock(mutex);
    const CachedFile& file = Current(path);
    if (!file.document) {
        return std::nullopt;
    }
    return file.document->Value(UpToZero(section), UpToZero(key));
}

std::int32_t ProfileEngine::GetProfileInt(std::u16string_view section, std::u16string_view key,
                                          std::int32_t defaultValue, std::u16string_view path) {
    const std::optional<std::u16string> value = RawValue(section, key, path);
    if (!value) {
        return defaultValue;
    }
    const std::u16string text = CopyToBuffer(*value, kProfileIntBufferUnits);
    return text.empty() ? defaultValue : ParseProfileInt(text);
}

std::u16string ProfileEngine::GetProfileString(std::u16string_view section, std::u16string_view key,
                                               std::u16string_view defaultText,
                                               std::size_t bufferUnits, std::u16string_view path) {
    if (const std::optional<std::u16string> value = RawValue(section, key, path)) {
        return CopyToBuffer(*value, bufferUnits);
    }
    return CopyDefaultToBuffer(UpToZero(defaultText), bufferUnits);
}

bool ProfileEngine::GetProfileStruct(std::u16string_view section, std::u16string_view key,
                                     std::span<std::uint8_t> bytes, std::u16string_view path) {
    const std::optional<std::u16string> value = RawValue(section, key, path);
    return value && DecodeProfileStruct(*value, bytes);
}

bool ProfileEngine::WriteProfileString(std::u16string_view section, std::u16string_view key,
                                       std::u16string_view value, std::u16string_view path) {
    path = UpToZero(path);
    section = UpToZero(section);
    key = UpToZero(key);
    value = UpToZero(value);
    if (path.empty()) {
        return false;
    }
    std::lock_guard lock(mutex);
    CachedFile& file = Current(path);
    std::string bytes;
    if (file.document) {
        std::optional<std::string> edited = file.document->BytesWithValue(section, key, value);
        if (!edited) {
            return true;  // the same value: the file is not rewritten
        }
        bytes = std::move(*edited);
    } else if (file.stamp) {
        return false;  // there is a file, but it cannot be read: never overwrite it blind
    } else {
        bytes = ProfileDocument::NewFileBytes(newFileFormat, section, key, value);
    }
    if (!ReplaceFileContents(file.path, bytes)) {
        file.stamp.reset();
        file.document.reset();
        return false;
    }
    // Another program may write right after us in the same clock tick; until the new stamp
    // settles, the next calls compare the bytes.
    file.stamp = ReadFileStamp(file.path);
    file.settled = false;
    file.document.emplace(std::move(bytes), newFileFormat.lineEnd);
    return true;
}

bool ProfileEngine::WriteProfileStruct(std::u16string_view section, std::u16string_view key,
                                       std::span<const std::uint8_t> bytes,
                                       std::u16string_view path) {
    return WriteProfileString(section, key, EncodeProfileStruct(bytes), path);
}

bool ProfileEngine::FileExists(std::u16string_view path) {
    path = UpToZero(path);
    return !path.empty() && ReadFileStamp(PathFromUtf16(path)).has_value();
}

}  // namespace t47
