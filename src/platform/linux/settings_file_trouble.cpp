#include "platform/linux/settings_file_trouble.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/profile/file_contents.h"

namespace t47 {
namespace {

std::string Because(const char* what) {
    return std::string(what) + " (" + std::strerror(errno) + ")";
}

}  // namespace

std::string SettingsFileTrouble(const std::filesystem::path& file) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) {
        if (errno != ENOENT && errno != ENOTDIR) {
            return Because("cannot be looked at");
        }
        const std::filesystem::path folder = file.parent_path();
        if (::stat(folder.c_str(), &status) != 0 && errno != ENOTDIR) {
            return Because(
                ("cannot be created: its folder " + folder.string() + " is missing").c_str());
        }
        if (!S_ISDIR(status.st_mode)) {
            return "cannot be created: " + folder.string() + " is not a folder";
        }
        if (::access(folder.c_str(), W_OK | X_OK) != 0) {
            return Because(("cannot be created in " + folder.string()).c_str());
        }
        return {};
    }
    if (!S_ISREG(status.st_mode)) {
        return "is not a file";
    }
    if (static_cast<std::uintmax_t>(status.st_size) > kMaxProfileFileBytes) {
        return "is larger than 16 MiB, so it is none of the agent's";
    }
    if (::access(file.c_str(), R_OK) != 0) {
        return Because("cannot be read");
    }
    if (::access(file.c_str(), W_OK) != 0) {
        return Because("cannot be written");
    }
    return {};
}

}  // namespace t47
