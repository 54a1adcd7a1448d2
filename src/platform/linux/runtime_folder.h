#pragma once

// The folder of the user's runtime files (window sockets, lock files): private to the user,
// and named so that any text can name a file in it.

#include <filesystem>
#include <string>
#include <string_view>

namespace t47 {

// What keeps a folder from being the user's private runtime folder; empty when nothing does.
// One short phrase naming the cause: "does not exist", "is a symbolic link", "is not a
// folder", "belongs to user 1001", "is open to others (mode 0755)", "cannot be entered (...)".
std::string PrivateFolderProblem(const std::filesystem::path& folder);

// Creates the folder (not its parents) when missing, readable and writable by the user alone;
// false unless it is then a real folder (not a link) that belongs to this user and that nobody
// else can enter, so that another user who made it first cannot see or reach its files.
bool EnsurePrivateFolder(const std::filesystem::path& folder);

// A file name for a window title or a mutex name: the UTF-8 text with every byte other than
// letters, digits, space, '-' and '_' written as %XX, then the extension (".window").
std::string RuntimeFileName(std::u16string_view name, std::string_view extension);

}  // namespace t47
