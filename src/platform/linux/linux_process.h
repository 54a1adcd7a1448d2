#pragma once

// The named mutex as a lock file in the user's private runtime folder: whoever holds the
// lock on "<name>.lock" is the holder of the name. The kernel drops the lock when the process
// ends, however it ends, so nothing stale is left behind.

#include <filesystem>
#include <mutex>
#include <set>

#include "platform/process.h"

namespace t47 {

class LinuxProcess final : public Process {
  public:
    explicit LinuxProcess(std::filesystem::path runtimeFolder);
    ~LinuxProcess() override;
    LinuxProcess(const LinuxProcess&) = delete;
    LinuxProcess& operator=(const LinuxProcess&) = delete;

    // alreadyExisted when another process, or another handle of this one, holds the lock; the
    // handle then holds none.
    NamedMutex CreateNamedMutex(std::u16string_view name) override;
    void CloseMutex(MutexHandle mutex) override;

  private:
    const std::filesystem::path folder;
    std::mutex mutex;
    std::set<int> open;  // descriptors of the lock files, one per handle
};

}  // namespace t47
