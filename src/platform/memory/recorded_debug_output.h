#pragma once

// The in-memory platform's debugger: every line written, in order, from any thread.

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/debug_output.h"

namespace t47 {

class RecordedDebugOutput final : public DebugOutput {
  public:
    void Write(std::u16string_view text) override;

    std::vector<std::u16string> Lines() const;
    void Clear();

  private:
    mutable std::mutex mutex;
    std::vector<std::u16string> lines;
};

}  // namespace t47
