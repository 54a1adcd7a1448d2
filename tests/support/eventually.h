#pragma once

// Waits for what another process or thread does: the condition is asked again every 50 ms
// until it holds or `limit` has passed, a limit only something broken reaches.

#include <chrono>
#include <thread>

namespace t47::test {

template <typename Condition>
bool Eventually(Condition condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

}  // namespace t47::test
