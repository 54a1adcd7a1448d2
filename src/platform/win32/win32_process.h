#pragma once

// The single-instance mutex: a named mutex of the user's session.

#include "platform/process.h"

namespace t47 {

class Win32Process final : public Process {
  public:
    // alreadyExisted also when a program of a higher privilege level (an elevated agent) holds
    // the name: the system then refuses this one a handle, and the agent must not start twice.
    NamedMutex CreateNamedMutex(std::u16string_view name) override;
    void CloseMutex(MutexHandle mutex) override;
};

}  // namespace t47
