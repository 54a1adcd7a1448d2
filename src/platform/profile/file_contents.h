#pragma once

// Whole files read and written at once. A file is written by writing a new copy beside it and
// renaming that over the old one, so that nobody ever sees half of it, even when the program
// dies mid-write. The copy is not forced to disk: that would cost milliseconds per write.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace t47 {

// Far more than any profile file of ours holds (a full settings file is well under 1 MiB): a
// larger file is taken for one that cannot be read, so that a stray or hostile file never makes
// us read gigabytes.
inline constexpr std::uintmax_t kMaxProfileFileBytes = 16 * 1024 * 1024;

// None when the file cannot be opened or holds more than kMaxProfileFileBytes. `sizeHint` saves
// growing the buffer.
std::optional<std::string> ReadFileContents(const std::filesystem::path& path,
                                            std::size_t sizeHint);

// False, leaving everything as it was, when the folder is missing, the file is read-only or
// the copy cannot be written or renamed (on Windows also while another program holds the file
// open without sharing its deletion). Where no copy can be made beside the file (a folder that
// only the file is writable in, a name too long for the copy's) the file is written in place,
// as the Windows functions write it; then a reader may see it half written. A symbolic link
// keeps pointing at the file it names, which is replaced; the new file keeps the old one's
// permissions.
//
// `folderLocked`: the caller holds the lock of the file's folder (folder_lock.h), and so does
// every other writer through these functions, so the copy takes the one name that is ours,
// "<file>.t47.tmp", and a copy that a killed writer left behind is taken away by the next
// write. Otherwise the copy takes a random name of its own.
bool ReplaceFileContents(const std::filesystem::path& path, std::string_view bytes,
                         bool folderLocked);

// Creates the file holding `bytes` as above, all at once; false, changing nothing, when
// anything of that name exists or appears meanwhile, or the copy cannot be written or renamed.
// A regular file of zero bytes counts as missing and is replaced.
bool CreateFileContents(const std::filesystem::path& path, std::string_view bytes,
                        bool folderLocked);

// The two steps that the standard library cannot take, from the folder of each system.
enum class NewFileResult {
    kWritten,
    kNotCreated,  // the name is taken, or the folder takes no new file of that name
    kFailed,      // no room, or the bytes could not be written; nothing is left behind
};
// A new file holding `bytes`; an existing file of that name, or a link, is never opened.
NewFileResult WriteNewFile(const std::filesystem::path& path, std::string_view bytes);
// Gives `from` the name `to` unless something of that name exists, checked in the same step.
bool RenameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace t47
