#pragma once

// The agent's only diagnostics: lines of text for a debugger. There is no log file.

#include <string_view>

namespace t47 {

class DebugOutput {
  public:
    virtual ~DebugOutput() = default;

    // The text as given, line feed included where the caller put one. Safe from any thread.
    virtual void Write(std::u16string_view text) = 0;
};

}  // namespace t47
