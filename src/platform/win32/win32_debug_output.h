#pragma once

// The debugger's output (OutputDebugStringW). Under Wine a line shows on the seh channel, with
// WINEDEBUG=warn+seh, as `OutputDebugStringA "text"`.

#include "platform/debug_output.h"

namespace t47 {

class Win32DebugOutput final : public DebugOutput {
  public:
    // The text up to its first zero unit, as the system takes it.
    void Write(std::u16string_view text) override;
};

}  // namespace t47
