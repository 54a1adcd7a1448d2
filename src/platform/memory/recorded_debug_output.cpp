#include "platform/memory/recorded_debug_output.h"

namespace t47 {

void RecordedDebugOutput::Write(std::u16string_view text) {
    const std::lock_guard lock(mutex);
    lines.emplace_back(text);
}

std::vector<std::u16string> RecordedDebugOutput::Lines() const {
    const std::lock_guard lock(mutex);
    return lines;
}

void RecordedDebugOutput::Clear() {
    const std::lock_guard lock(mutex);
    lines.clear();
}

}  // namespace t47
