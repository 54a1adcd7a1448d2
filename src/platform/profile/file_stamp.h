#pragma once

// What tells cheaply whether a file still holds the bytes read from it before.
//
// A stamp is the file's size, its modification time and, from the operating system, what else
// changes when the file is replaced: on Linux the device, inode and inode change time (which
// no program can set back), on Windows the creation time. A file rewritten in place in the same
// tick of the file-system clock as the bytes read before can still keep its stamp, so a stamp is
// trusted only once it has settled: when each of its times lay a safe margin before the moment
// the file was read, or lies a safe margin after now (a file from another machine, a clock set
// back). Until then every call reads the file again and compares the bytes; any write after
// the moment of the read gets a time between that moment and now, so a settled stamp that has
// not changed means unchanged bytes. A time in the future is checked against now at every call,
// as now comes closer to it.
//
// Limits: times set by a program (on Windows; Linux sees the change time), a clock stepped
// backwards, and network file systems, whose times come from another clock and may be cached.

#include <cstdint>
#include <filesystem>
#include <optional>

namespace t47 {

struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t fileId = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // nanoseconds since 1970
    std::int64_t changed = 0;   // nanoseconds since 1970

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// None when the path names no regular file (missing, a folder, unreachable).
std::optional<FileStamp> ReadFileStamp(const std::filesystem::path& path);

// Now on the clock file times are taken from, in nanoseconds since 1970.
std::int64_t FileClockNow();

// Whether the stamp of bytes read no earlier than `readStart` can be trusted at `now`.
bool IsSettled(const FileStamp& stamp, std::int64_t readStart, std::int64_t now);

}  // namespace t47
