#include "platform/memory/memory_windows.h"

namespace t47 {

struct MemoryWindows::Window {
    WindowHandle handle;
    std::u16string title;
    bool open = true;
    std::vector<PostedMessage> received;
};

MemoryWindows::MemoryWindows() = default;
MemoryWindows::~MemoryWindows() = default;

MemoryWindows::Window* MemoryWindows::Find(WindowHandle window) const {
    for (const auto& candidate : windows) {
        if (candidate->handle == window) {
            return candidate.get();
        }
    }
    return nullptr;
}

WindowHandle MemoryWindows::OpenWindow(std::u16string_view title) {
    const std::lock_guard lock(mutex);
    // Handles are never reused, so a post to a window that went cannot reach a new one.
    const WindowHandle handle{0x10000 + 0x10 * windows.size()};
    auto window = std::make_unique<Window>();
    window->handle = handle;
    window->title = title;
    windows.push_back(std::move(window));
    return handle;
}

void MemoryWindows::CloseWindow(WindowHandle window) {
    const std::lock_guard lock(mutex);
    if (Window* found = Find(window)) {
        found->open = false;
    }
}

WindowHandle MemoryWindows::FindTopLevelWindow(std::u16string_view title) {
    const std::lock_guard lock(mutex);
    // The newest of several windows with one title, as the one on top would be.
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if ((*it)->open && (*it)->title == title) {
            return (*it)->handle;
        }
    }
    return kNoWindow;
}

bool MemoryWindows::Post(WindowHandle window, MessageId id, WParam wParam, LParam lParam) {
    {
        const std::lock_guard lock(mutex);
        Window* found = Find(window);
        if (found == nullptr || !found->open) {
            return false;
        }
        found->received.push_back({id, wParam, lParam});
    }
    posted.notify_all();
    return true;
}

std::vector<PostedMessage> MemoryWindows::Received(WindowHandle window) const {
    const std::lock_guard lock(mutex);
    const Window* found = Find(window);
    return found != nullptr ? found->received : std::vector<PostedMessage>{};
}

std::vector<PostedMessage> MemoryWindows::WaitForReceived(WindowHandle window, std::size_t count,
                                                          std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex);
    posted.wait_for(lock, limit, [&] {
        const Window* found = Find(window);
        return found != nullptr && found->received.size() >= count;
    });
    const Window* found = Find(window);
    return found != nullptr ? found->received : std::vector<PostedMessage>{};
}

}  // namespace t47
