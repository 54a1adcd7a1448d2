#include "platform/profile/file_contents.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

namespace t47 {

NewFileResult WriteNewFile(const std::filesystem::path& path, std::string_view bytes) {
    // O_EXCL: a name that is taken, by a link too, fails instead of being opened.
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        return errno == ENOSPC || errno == EDQUOT ? NewFileResult::kFailed
                                                  : NewFileResult::kNotCreated;
    }
    bool written = true;
    while (!bytes.empty()) {
        const ssize_t count = ::write(descriptor, bytes.data(), bytes.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            written = false;
            break;
        }
        bytes.remove_prefix(static_cast<std::size_t>(count));
    }
    written = ::close(descriptor) == 0 && written;
    if (!written) {
        ::unlink(path.c_str());
        return NewFileResult::kFailed;
    }
    return NewFileResult::kWritten;
}

bool RenameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        return false;
    }
    // File systems without that rename: a second name fails as well when the name is taken.
    if (::link(from.c_str(), to.c_str()) != 0) {
        return false;
    }
    ::unlink(from.c_str());
    return true;
}

}  // namespace t47
