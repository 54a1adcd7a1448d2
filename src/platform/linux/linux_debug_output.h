#pragma once

// The debug output on Linux is standard error (the journal, under systemd).

#include <mutex>

#include "platform/debug_output.h"

namespace t47 {

class LinuxDebugOutput final : public DebugOutput {
  public:
    // Writes to that descriptor; standard error but for tests.
    explicit LinuxDebugOutput(int descriptor = 2);

    // As UTF-8, in one piece even when several threads write at once. Each call is one line,
    // as a debugger shows each message apart: one that does not end its line gets a line feed.
    void Write(std::u16string_view text) override;

  private:
    const int descriptor;
    std::mutex mutex;
};

}  // namespace t47
