#pragma once

// The in-memory platform's windows: top-level windows found by title. A window of another
// program (the companion UI, "OSDMain") is a mailbox that keeps every message posted to it. A
// window the agent creates has a procedure: what is posted to it waits in one queue, as on the
// thread of a message loop, until the test pumps it or runs the loop. Posting is safe from any
// thread; pumping belongs to the test's thread.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window_host.h"
#include "platform/window_messages.h"

namespace t47 {

class MemoryWindows final : public WindowMessages, public WindowHost {
  public:
    MemoryWindows();
    ~MemoryWindows() override;

    // A top-level window of another program.
    WindowHandle OpenWindow(std::u16string_view title);

    // The window goes: it is no longer found, and posts to it fail. (No procedure is told.)
    void CloseWindow(WindowHandle window);
    bool Exists(WindowHandle window) const;

    WindowHandle FindTopLevelWindow(std::u16string_view title) override;
    bool Post(WindowHandle window, MessageId id, WParam wParam, LParam lParam) override;

    // Every message posted to the window so far, in order, whether or not it was delivered.
    std::vector<PostedMessage> Received(WindowHandle window) const;

    // Waits in real time, at most `limit`, until at least `count` messages reached the window;
    // then what Received gives. For messages posted by another thread.
    std::vector<PostedMessage> WaitForReceived(WindowHandle window, std::size_t count,
                                               std::chrono::milliseconds limit) const;

    // Hands every queued message, and those posted meanwhile, to its window's procedure, with
    // the default processing where the procedure leaves it; the number handed over.
    std::size_t PumpMessages();

    // Hands one message to the window's procedure at once, as a sent message, with the default
    // processing; its result.
    std::optional<LParam> Send(WindowHandle window, MessageId id, WParam wParam = 0,
                               LParam lParam = 0);

    // WindowHost.
    WindowHandle CreateHiddenWindow(std::u16string_view title, WindowProcedure& procedure) override;
    void SetTitle(WindowHandle window, std::u16string_view title) override;
    void SetToolWindowStyle(WindowHandle window) override;
    void AcceptFromLowerPrivilege(WindowHandle window,
                                  std::span<const MessageId> messages) override;
    // Pumps, waiting in real time for posts from other threads while the queue is empty, until
    // the main window is destroyed.
    int RunMessageLoop(WindowHandle mainWindow) override;
    std::uint32_t OsMajorVersion() override;
    bool RegisterSessionNotices(WindowHandle window) override;
    void UnregisterSessionNotices(WindowHandle window) override;

    // What the agent did to its windows.
    std::u16string TitleOf(WindowHandle window) const;
    bool IsToolWindow(WindowHandle window) const;
    std::vector<MessageId> AcceptedFromLowerPrivilege(WindowHandle window) const;
    bool HasSessionNotices(WindowHandle window) const;

    // The system's side.
    void SetOsMajorVersion(std::uint32_t version);
    // Posts kWmWtsSessionChange with the event to every window registered for session notices.
    void ChangeSession(WParam event);

  private:
    struct Window;
    Window* Find(WindowHandle window) const;
    WindowHandle Add(std::u16string_view title, WindowProcedure* procedure);
    // The procedure's answer, or the default processing's.
    std::optional<LParam> Deliver(WindowHandle window, const PostedMessage& message);

    mutable std::mutex mutex;
    mutable std::condition_variable posted;
    std::vector<std::unique_ptr<Window>> windows;              // in the order they were opened
    std::deque<std::pair<WindowHandle, PostedMessage>> queue;  // for windows with a procedure
    std::uint32_t osMajorVersion = 10;
};

}  // namespace t47
