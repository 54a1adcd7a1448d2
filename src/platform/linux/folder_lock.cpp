#include "platform/profile/folder_lock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace t47 {

// flock() locks belong to the open folder, not to the process: two openings in one process
// exclude each other as two processes do, and closing the last descriptor releases the lock.
FolderLock::FolderLock(const std::filesystem::path& folder) {
    const char* name = folder.empty() ? "." : folder.c_str();
    const int descriptor = ::open(name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) {
        return;
    }
    int result = 0;
    do {
        result = ::flock(descriptor, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        ::close(descriptor);
        return;
    }
    handle = descriptor;
}

FolderLock::~FolderLock() {
    if (Held()) {
        ::close(static_cast<int>(handle));
    }
}

}  // namespace t47
