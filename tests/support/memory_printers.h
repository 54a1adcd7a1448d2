#pragma once

// How test failures show the in-memory platform's records.

#include <ostream>

#include "platform/memory/memory_windows.h"
#include "platform/memory/simulated_mouse.h"

namespace t47 {

inline void PrintTo(const PostedMessage& message, std::ostream* out) {
    *out << "{0x" << std::hex << message.id << ", 0x" << message.wParam << std::dec << ", "
         << message.lParam << "}";
}

inline void PrintTo(const Transfer& transfer, std::ostream* out) {
    *out << Describe(transfer);
}

}  // namespace t47
