#pragma once

// Windows and their messages over local datagram sockets. Each window is a socket in the
// user's private runtime folder, named by its title; finding a window is finding a socket that
// somebody still listens on, and a post is one datagram to it, dropped when nobody listens or
// its queue is full (the kernel keeps net.unix.max_dgram_qlen datagrams, 10 by default). A
// window takes datagrams from processes of its own user only. There is no screen: hidden
// windows are all there is, and the tool-window style and privilege levels mean nothing.
//
// A handle of another program's window names its title: posted to after that window went and
// another of the same title came, it reaches the new one. (The agent looks a window up right
// before each post anyway.)

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/loop_source.h"
#include "platform/linux/message_datagram.h"
#include "platform/window_host.h"
#include "platform/window_messages.h"

namespace t47 {

class LinuxWindows final : public WindowMessages, public WindowHost {
  public:
    // `runtimeFolder` holds the sockets; it is created private to the user when missing.
    explicit LinuxWindows(std::filesystem::path runtimeFolder);
    ~LinuxWindows() override;
    LinuxWindows(const LinuxWindows&) = delete;
    LinuxWindows& operator=(const LinuxWindows&) = delete;

    WindowHandle FindTopLevelWindow(std::u16string_view title) override;
    bool Post(WindowHandle window, MessageId id, WParam wParam, LParam lParam) override;

    // kNoWindow also when a live window of that title exists already: one socket per name.
    WindowHandle CreateHiddenWindow(std::u16string_view title, WindowProcedure& procedure) override;
    // Keeps the old title when a live window has the new one.
    void SetTitle(WindowHandle window, std::u16string_view title) override;
    void SetToolWindowStyle(WindowHandle window) override;
    void AcceptFromLowerPrivilege(WindowHandle window,
                                  std::span<const MessageId> messages) override;
    // Takes the datagrams of every window this object created, until `mainWindow` is gone.
    int RunMessageLoop(WindowHandle mainWindow) override;
    std::uint32_t OsMajorVersion() override;
    // Not offered here: the desktop's session watch (linux_desktop.h) gives them.
    bool RegisterSessionNotices(WindowHandle window) override;
    void UnregisterSessionNotices(WindowHandle window) override;

    // The loop also waits on this source and dispatches it; from the loop's thread or before
    // the loop runs. The source outlives the loop.
    void AddLoopSource(LoopSource& source);
    // A message of this process's own (the desktop's tray, session and bus requests) for one
    // of this object's windows; it does not count as one from another program.
    // For now a plain Post: the loop's in-process queue takes it over.
    bool PostInProcess(WindowHandle window, MessageId id, WParam wParam, LParam lParam);

  private:
    // A window this object created (socket, its inode and procedure) or found (title only).
    struct Window {
        std::u16string title;
        std::uint64_t inode = 0;
        int socket = -1;
        WindowProcedure* procedure = nullptr;
    };

    std::filesystem::path SocketPath(std::u16string_view title) const;
    bool IsLive(const std::filesystem::path& socketPath) const;
    void Dispatch(WindowHandle window, const PostedMessage& message);
    void Destroy(WindowHandle window);
    std::optional<Window> Lookup(WindowHandle window);
    // Own windows take precedence over handles found before of that title; the lock is held.
    void ForgetFoundWindows(std::u16string_view title);

    const std::filesystem::path folder;
    const int sender;  // one socket posts for every thread

    std::mutex mutex;  // guards the members below
    std::map<std::uintptr_t, Window> windows;
    std::uintptr_t nextHandle = 1;

    std::vector<LoopSource*> loopSources;  // the loop's thread only
};

}  // namespace t47
