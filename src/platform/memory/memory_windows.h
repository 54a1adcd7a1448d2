#pragma once

// The in-memory platform's windows: top-level windows found by title, each a mailbox that keeps
// every message posted to it, in order, for the test to read. Safe from any thread.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window_messages.h"

namespace t47 {

struct PostedMessage {
    MessageId id = 0;
    WParam wParam = 0;
    LParam lParam = 0;

    friend bool operator==(const PostedMessage&, const PostedMessage&) = default;
};

class MemoryWindows final : public WindowMessages {
  public:
    MemoryWindows();
    ~MemoryWindows() override;

    // A top-level window of another program (the companion UI, "OSDMain").
    WindowHandle OpenWindow(std::u16string_view title);

    // The window goes: it is no longer found, and posts to it fail.
    void CloseWindow(WindowHandle window);

    WindowHandle FindTopLevelWindow(std::u16string_view title) override;
    bool Post(WindowHandle window, MessageId id, WParam wParam, LParam lParam) override;

    // Every message posted to the window so far, in order.
    std::vector<PostedMessage> Received(WindowHandle window) const;

    // Waits in real time, at most `limit`, until at least `count` messages reached the window;
    // then what Received gives. For messages posted by another thread.
    std::vector<PostedMessage> WaitForReceived(WindowHandle window, std::size_t count,
                                               std::chrono::milliseconds limit) const;

  private:
    struct Window;
    Window* Find(WindowHandle window) const;

    mutable std::mutex mutex;
    mutable std::condition_variable posted;
    std::vector<std::unique_ptr<Window>> windows;  // in the order they were opened
};

}  // namespace t47
