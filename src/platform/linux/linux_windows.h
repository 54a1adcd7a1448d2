#pragma once

// Windows and their messages over local datagram sockets. Each window is a socket in the
// user's private runtime folder, named by its title; finding a window is finding a socket that
// somebody still listens on, and a post to another process's window is one datagram to it.
// There is no screen: hidden windows are all there is, and the tool-window style means nothing.
//
// The promises of Windows messages that the agent relies on are kept:
// - A post is not lost because the receiver is busy. The windows of this object share one
//   queue of kQueueLimit messages, as a Windows thread's windows do; a thread of this object
//   drains their sockets into it as datagrams come, also while a handler runs or sleeps. The
//   kernel's datagram queue (10 by default) is only the doorway.
// - Posts to this object's own windows never leave the process: they go straight into the
//   queue, from any thread.
// - RequestClose puts kWmClose ahead of everything queued and is never refused, so a stop
//   signal is never lost and never waits behind a burst of requests.
// - Other processes of the user reach only what a window accepts from them: kWmClose and the
//   messages named by AcceptFromLowerPrivilege, when the window named any; every message when
//   it named none. Creation and destruction are never taken from another process. Datagrams of
//   other users are dropped.
// - The runtime folder is held: when it is removed or replaced while windows live, the loop
//   closes the main window as kWmClose does, no window is found or posted to any more, and
//   RuntimeFolderLost says so, so that two programs never serve one user from two folders.
//
// A handle of another program's window names its title: posted to after that window went and
// another of the same title came, it reaches the new one. (The agent looks a window up right
// before each post anyway.)

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/window_host.h"
#include "platform/window_messages.h"

namespace t47 {

class LinuxWindows final : public WindowMessages, public WindowHost {
  public:
    // As many messages as a Windows thread's queue holds.
    static constexpr std::size_t kQueueLimit = 10000;

    // `runtimeFolder` holds the sockets; it is created private to the user when missing. A
    // post to another process's window whose queue is full waits up to `postPatience` for
    // room (the agent never waits; t47ctl waits a moment for a busy agent).
    explicit LinuxWindows(std::filesystem::path runtimeFolder,
                          std::chrono::milliseconds postPatience = {});
    ~LinuxWindows() override;
    LinuxWindows(const LinuxWindows&) = delete;
    LinuxWindows& operator=(const LinuxWindows&) = delete;

    WindowHandle FindTopLevelWindow(std::u16string_view title) override;
    // False when the window does not exist, the queue is full, or (for another process's
    // window) its queue stayed full for the patience given.
    bool Post(WindowHandle window, MessageId id, WParam wParam, LParam lParam) override;

    // kNoWindow also when a live window of that title exists already: one socket per name.
    WindowHandle CreateHiddenWindow(std::u16string_view title, WindowProcedure& procedure) override;
    // Keeps the old title when a live window has the new one.
    void SetTitle(WindowHandle window, std::u16string_view title) override;
    void SetToolWindowStyle(WindowHandle window) override;
    // The messages the window takes from other processes, besides kWmClose.
    void AcceptFromLowerPrivilege(WindowHandle window,
                                  std::span<const MessageId> messages) override;
    // Dispatches the messages of every window this object created, until `mainWindow` is gone;
    // 0 then.
    int RunMessageLoop(WindowHandle mainWindow) override;
    std::uint32_t OsMajorVersion() override;
    // Not offered: the agent gets no session notices on Linux.
    bool RegisterSessionNotices(WindowHandle window) override;
    void UnregisterSessionNotices(WindowHandle window) override;

    // kWmClose for one of this object's windows, dispatched before any message still queued.
    // Safe from any thread, also from a signal's thread; never refused.
    void RequestClose(WindowHandle window);
    // The runtime folder went or was replaced while this object's windows lived in it.
    bool RuntimeFolderLost() const { return folderLost.load(); }

  private:
    // A window this object created (socket, its inode, procedure and what it accepts from
    // other processes) or found (title only).
    struct Window {
        std::u16string title;
        std::uint64_t inode = 0;
        int socket = -1;
        WindowProcedure* procedure = nullptr;
        std::optional<std::vector<MessageId>> acceptedFromOthers;
    };
    struct Queued {
        WindowHandle window = kNoWindow;
        PostedMessage message;
        bool fromOtherProcess = false;
    };

    std::filesystem::path SocketPath(std::u16string_view title) const;
    bool IsLive(const std::filesystem::path& socketPath) const;
    bool SendDatagram(const std::filesystem::path& socketPath, const PostedMessage& message);
    bool Enqueue(const Queued& queued);  // the lock is held
    void Dispatch(const Queued& queued);
    void Destroy(WindowHandle window);
    std::optional<Window> Lookup(WindowHandle window);
    // Own windows take precedence over handles found before of that title; the lock is held.
    void ForgetFoundWindows(std::u16string_view title);
    // The thread that drains the sockets into the queue and watches the runtime folder.
    void StartReceiving();  // the lock is held
    void Receive(std::stop_token stop);
    void ReceiveFrom(int socket);
    void WatchFolder();  // the lock is held
    void OnFolderEvents();
    static void Wake(int eventFd);

    const std::filesystem::path folder;
    const std::chrono::milliseconds postPatience;
    const int sender;       // one socket posts for every thread
    const int loopWake;     // eventfd: the queue or the close requests changed
    const int receiveWake;  // eventfd: the sockets changed, the queue has room, or stop
    int folderWatch = -1;   // inotify on the runtime folder, once a window lives in it
    std::atomic<bool> folderLost{false};
    std::atomic<bool> folderLossToHandle{false};  // the loop has yet to close the main window

    std::mutex mutex;  // guards the members below
    std::map<std::uintptr_t, Window> windows;
    std::uintptr_t nextHandle = 1;
    std::deque<Queued> queue;
    std::vector<WindowHandle> closeRequests;
    bool queueWasFull = false;
    std::jthread receiver;  // last: stopped and joined before the rest goes
};

}  // namespace t47
