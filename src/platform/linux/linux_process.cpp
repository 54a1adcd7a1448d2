#include "platform/linux/linux_process.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/runtime_folder.h"

namespace t47 {
namespace {

// Handles are descriptors shifted by one, since 0 means none.
MutexHandle HandleOf(int fd) {
    return MutexHandle{static_cast<std::uintptr_t>(fd) + 1};
}

}  // namespace

LinuxProcess::LinuxProcess(std::filesystem::path runtimeFolder)
    : folder(std::move(runtimeFolder)) {}

LinuxProcess::~LinuxProcess() {
    for (const int fd : open) {
        ::close(fd);
    }
}

NamedMutex LinuxProcess::CreateNamedMutex(std::u16string_view name) {
    if (!EnsurePrivateFolder(folder)) {
        return {};
    }
    const std::filesystem::path file = folder / RuntimeFileName(name, ".lock");
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return {};
    }
    int locked = 0;
    do {
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0 && errno != EWOULDBLOCK) {
        ::close(fd);
        return {};
    }
    std::lock_guard lock(mutex);
    open.insert(fd);
    return {HandleOf(fd), locked != 0};
}

void LinuxProcess::CloseMutex(MutexHandle handle) {
    const auto value = static_cast<std::uintptr_t>(handle);
    if (value == 0) {
        return;
    }
    const int fd = static_cast<int>(value - 1);
    std::lock_guard lock(mutex);
    // Only a descriptor that this object opened is ever closed.
    if (open.erase(fd) != 0) {
        ::close(fd);
    }
}

}  // namespace t47
