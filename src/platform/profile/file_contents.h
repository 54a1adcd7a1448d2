#pragma once

// Whole files read and written at once. A file is written by writing a new copy beside it and
// renaming that over the old one, so that nobody ever sees half of it, even when the program
// dies mid-write. The copy is not forced to disk: that would cost milliseconds per write.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace t47 {

// None when the file cannot be opened. `sizeHint` saves growing the buffer.
std::optional<std::string> ReadFileContents(const std::filesystem::path& path,
                                            std::size_t sizeHint);

// False, leaving everything as it was, when the folder is missing, the file is read-only or
// the copy cannot be written or renamed (on Windows also while another program holds the file
// open without sharing its deletion). A symbolic link keeps pointing at the file it names,
// which is replaced; the new file keeps the old one's permissions.
bool ReplaceFileContents(const std::filesystem::path& path, std::string_view bytes);

}  // namespace t47
