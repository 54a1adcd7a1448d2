#include "platform/linux/runtime_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/text_encoding.h"

namespace t47 {

bool EnsurePrivateFolder(const std::filesystem::path& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat status {};
    return ::lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == ::geteuid() && (status.st_mode & 077) == 0;
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
