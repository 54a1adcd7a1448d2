#include "platform/linux/runtime_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/text_encoding.h"

namespace t47 {

std::string PrivateFolderProblem(const std::filesystem::path& folder) {
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0) {
        return errno == ENOENT ? "does not exist"
                               : std::string("cannot be looked at (") + std::strerror(errno) + ")";
    }
    if (S_ISLNK(status.st_mode)) {
        return "is a symbolic link";
    }
    if (!S_ISDIR(status.st_mode)) {
        return "is not a folder";
    }
    if (status.st_uid != ::geteuid()) {
        return "belongs to user " + std::to_string(status.st_uid);
    }
    if ((status.st_mode & 077) != 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(status.st_mode & 07777));
        return std::string("is open to others (mode ") + mode + ")";
    }
    if (::access(folder.c_str(), R_OK | W_OK | X_OK) != 0) {
        return std::string("cannot be entered (") + std::strerror(errno) + ")";
    }
    return {};
}

bool EnsurePrivateFolder(const std::filesystem::path& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    return PrivateFolderProblem(folder).empty();
}

std::string RuntimeFileName(std::u16string_view name, std::string_view extension) {
    constexpr char kHex[] = "0123456789ABCDEF";
    std::string file;
    for (const char byte : Utf8FromUtf16(name)) {
        const auto c = static_cast<unsigned char>(byte);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == ' ' || c == '-' || c == '_') {
            file += byte;
        } else {
            file += {'%', kHex[c >> 4], kHex[c & 0xF]};
        }
    }
    return file += extension;
}

}  // namespace t47
