#include "platform/memory/memory_windows.h"

#include <algorithm>

namespace t47 {

struct MemoryWindows::Window {
    WindowHandle handle{};
    std::u16string title;
    WindowProcedure* procedure = nullptr;  // none for another program's window
    bool open = true;
    bool toolWindow = false;
    bool sessionNotices = false;
    std::vector<MessageId> acceptedFromLowerPrivilege;
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

WindowHandle MemoryWindows::Add(std::u16string_view title, WindowProcedure* procedure) {
    const std::lock_guard lock(mutex);
    // Handles are never reused, so a post to a window that went cannot reach a new one.
    const WindowHandle handle{0x10000 + 0x10 * windows.size()};
    auto window = std::make_unique<Window>();
    window->handle = handle;
    window->title = title;
    window->procedure = procedure;
    windows.push_back(std::move(window));
    return handle;
}

WindowHandle MemoryWindows::OpenWindow(std::u16string_view title) {
    return Add(title, nullptr);
}

void MemoryWindows::CloseWindow(WindowHandle window) {
    {
        const std::lock_guard lock(mutex);
        if (Window* found = Find(window)) {
            found->open = false;
        }
    }
    posted.notify_all();
}

bool MemoryWindows::Exists(WindowHandle window) const {
    const std::lock_guard lock(mutex);
    const Window* found = Find(window);
    return found != nullptr && found->open;
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
        if (found->procedure != nullptr) {
            queue.emplace_back(window, PostedMessage{id, wParam, lParam});
        }
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

std::optional<LParam> MemoryWindows::Deliver(WindowHandle window, const PostedMessage& message) {
    WindowProcedure* procedure = nullptr;
    {
        const std::lock_guard lock(mutex);
        const Window* found = Find(window);
        if (found == nullptr || !found->open || found->procedure == nullptr) {
            return std::nullopt;
        }
        procedure = found->procedure;
    }
    // The lock is not held while the procedure runs: it may post, find and pump.
    const std::optional<LParam> result =
        procedure->HandleMessage(window, message.id, message.wParam, message.lParam);
    if (!result && message.id == kWmClose) {
        procedure->HandleMessage(window, kWmDestroy, 0, 0);
        CloseWindow(window);
    }
    return result;
}

std::size_t MemoryWindows::PumpMessages() {
    std::size_t delivered = 0;
    for (;;) {
        std::pair<WindowHandle, PostedMessage> next;
        {
            const std::lock_guard lock(mutex);
            if (queue.empty()) {
                return delivered;
            }
            next = queue.front();
            queue.pop_front();
        }
        Deliver(next.first, next.second);
        ++delivered;
    }
}

std::optional<LParam> MemoryWindows::Send(WindowHandle window, MessageId id, WParam wParam,
                                          LParam lParam) {
    return Deliver(window, {id, wParam, lParam});
}

WindowHandle MemoryWindows::CreateHiddenWindow(std::u16string_view title,
                                               WindowProcedure& procedure) {
    const WindowHandle window = Add(title, &procedure);
    if (procedure.HandleMessage(window, kWmCreate, 0, 0) == LParam{-1}) {
        CloseWindow(window);
        return kNoWindow;
    }
    return window;
}

void MemoryWindows::SetTitle(WindowHandle window, std::u16string_view title) {
    const std::lock_guard lock(mutex);
    if (Window* found = Find(window)) {
        found->title = title;
    }
}

void MemoryWindows::SetToolWindowStyle(WindowHandle window) {
    const std::lock_guard lock(mutex);
    if (Window* found = Find(window)) {
        found->toolWindow = true;
    }
}

void MemoryWindows::AcceptFromLowerPrivilege(WindowHandle window,
                                             std::span<const MessageId> messages) {
    const std::lock_guard lock(mutex);
    if (Window* found = Find(window)) {
        found->acceptedFromLowerPrivilege.insert(found->acceptedFromLowerPrivilege.end(),
                                                 messages.begin(), messages.end());
    }
}

int MemoryWindows::RunMessageLoop(WindowHandle mainWindow) {
    for (;;) {
        PumpMessages();
        std::unique_lock lock(mutex);
        const Window* main = Find(mainWindow);
        if (main == nullptr || !main->open) {
            return 0;
        }
        posted.wait(lock, [&] { return !queue.empty() || !Find(mainWindow)->open; });
    }
}

std::uint32_t MemoryWindows::OsMajorVersion() {
    const std::lock_guard lock(mutex);
    return osMajorVersion;
}

void MemoryWindows::SetOsMajorVersion(std::uint32_t version) {
    const std::lock_guard lock(mutex);
    osMajorVersion = version;
}

bool MemoryWindows::RegisterSessionNotices(WindowHandle window) {
    const std::lock_guard lock(mutex);
    Window* found = Find(window);
    if (found == nullptr || !found->open) {
        return false;
    }
    found->sessionNotices = true;
    return true;
}

void MemoryWindows::UnregisterSessionNotices(WindowHandle window) {
    const std::lock_guard lock(mutex);
    if (Window* found = Find(window)) {
        found->sessionNotices = false;
    }
}

void MemoryWindows::ChangeSession(WParam event) {
    std::vector<WindowHandle> registered;
    {
        const std::lock_guard lock(mutex);
        for (const auto& window : windows) {
            if (window->open && window->sessionNotices) {
                registered.push_back(window->handle);
            }
        }
    }
    for (const WindowHandle window : registered) {
        Post(window, kWmWtsSessionChange, event, 0);
    }
}

std::u16string MemoryWindows::TitleOf(WindowHandle window) const {
    const std::lock_guard lock(mutex);
    const Window* found = Find(window);
    return found != nullptr ? found->title : std::u16string{};
}

bool MemoryWindows::IsToolWindow(WindowHandle window) const {
    const std::lock_guard lock(mutex);
    const Window* found = Find(window);
    return found != nullptr && found->toolWindow;
}

std::vector<MessageId> MemoryWindows::AcceptedFromLowerPrivilege(WindowHandle window) const {
    const std::lock_guard lock(mutex);
    const Window* found = Find(window);
    return found != nullptr ? found->acceptedFromLowerPrivilege : std::vector<MessageId>{};
}

bool MemoryWindows::HasSessionNotices(WindowHandle window) const {
    const std::lock_guard lock(mutex);
    const Window* found = Find(window);
    return found != nullptr && found->sessionNotices;
}

}  // namespace t47
