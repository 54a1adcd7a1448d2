#pragma once

// What makes the agent run once per user session: a named mutex.

#include <string_view>

#include "platform/handles.h"

namespace t47 {

struct NamedMutex {
    MutexHandle handle = kNoMutex;  // kNoMutex when it could not be created
    bool alreadyExisted = false;    // another holder of that name exists
};

class Process {
  public:
    virtual ~Process() = default;

    // Creates (or opens) the mutex, not owned; it lasts while a handle to it is open.
    virtual NamedMutex CreateNamedMutex(std::u16string_view name) = 0;
    virtual void CloseMutex(MutexHandle mutex) = 0;
};

}  // namespace t47
