#include "platform/profile/file_stamp.h"

#include <windows.h>

namespace t47 {
namespace {

// FILETIME counts 100 ns from 1601.
constexpr std::int64_t kFileTimeOf1970 = 116444736000000000;

std::int64_t Nanoseconds(const FILETIME& time) {
    const auto ticks = static_cast<std::int64_t>(
        static_cast<std::uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime);
    return (ticks - kFileTimeOf1970) * 100;
}

}  // namespace

// Without opening the file: opening costs many times more, and would get in the way of other
// programs replacing it.
std::optional<FileStamp> ReadFileStamp(const std::filesystem::path& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::nullopt;
    }
    FileStamp stamp;
    stamp.size = static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    stamp.modified = Nanoseconds(data.ftLastWriteTime);
    stamp.changed = Nanoseconds(data.ftCreationTime);
    return stamp;
}

// The system time as the file system stamps files with it (updated once a tick).
std::int64_t FileClockNow() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return Nanoseconds(now);
}

}  // namespace t47
