#pragma once

// The in-memory platform's named mutexes: one name space for every agent a test builds, so a
// second agent over the same platform sees the first one's mutex.

#include <map>
#include <mutex>
#include <string>

#include "platform/process.h"

namespace t47 {

class MemoryProcess final : public Process {
  public:
    NamedMutex CreateNamedMutex(std::u16string_view name) override;
    void CloseMutex(MutexHandle mutex) override;

    // Handles open on the name now.
    int OpenHandles(std::u16string_view name) const;

  private:
    mutable std::mutex lock;
    std::map<std::uintptr_t, std::u16string> handles;  // open handles and their names
    std::uintptr_t nextHandle = 0x200;
};

}  // namespace t47
