#include "platform/linux/user_folders.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

namespace t47 {
namespace {

std::optional<std::filesystem::path> AbsolutePath(const char* value) {
    if (value == nullptr || value[0] != '/') {
        return std::nullopt;
    }
    return std::filesystem::path(value);
}

}  // namespace

UserFolders UserFoldersFrom(const Environment& environment, unsigned userId) {
    UserFolders folders;
    if (const auto runtime = AbsolutePath(environment("XDG_RUNTIME_DIR"))) {
        folders.runtime = *runtime / "norvane-t47";
    } else {
        folders.runtime = "/tmp/norvane-t47-" + std::to_string(userId);
    }
    if (const auto config = AbsolutePath(environment("XDG_CONFIG_HOME"))) {
        folders.config = *config;
    } else if (const auto home = AbsolutePath(environment("HOME"))) {
        folders.config = *home / ".config";
    }
    return folders;
}

UserFolders UserFoldersFromEnvironment() {
    return UserFoldersFrom([](const char* name) { return std::getenv(name); }, ::geteuid());
}

}  // namespace t47
