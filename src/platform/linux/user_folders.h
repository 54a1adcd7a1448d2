#pragma once

// Where the Linux platform keeps things, from the user's environment (XDG base directories).

#include <filesystem>
#include <functional>
#include <optional>

namespace t47 {

struct UserFolders {
    // Window sockets and lock files: "norvane-t47" in $XDG_RUNTIME_DIR, or, without one,
    // /tmp/norvane-t47-<uid> (which must then be the user's own, see EnsurePrivateFolder).
    std::filesystem::path runtime;
    // The application-data folder: $XDG_CONFIG_HOME, or ~/.config; none without either.
    std::optional<std::filesystem::path> config;
    std::filesystem::path sysfs = "/sys";
    std::filesystem::path dev = "/dev";
};

// A variable's value, or null when it is not set.
using Environment = std::function<const char*(const char* name)>;

// Relative or empty paths in the variables count as unset, as the XDG rules say.
UserFolders UserFoldersFrom(const Environment& environment, unsigned userId);

// Of this process.
UserFolders UserFoldersFromEnvironment();

}  // namespace t47
