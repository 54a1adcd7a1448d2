#include "platform/linux/linux_windows.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/linux/runtime_folder.h"

namespace t47 {
namespace {

namespace fs = std::filesystem;

// None when the path does not fit a socket address.
std::optional<sockaddr_un> AddressOf(const fs::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string& bytes = path.native();
    if (bytes.empty() || bytes.size() >= sizeof address.sun_path) {
        return std::nullopt;
    }
    std::memcpy(address.sun_path, bytes.c_str(), bytes.size() + 1);
    return address;
}

const sockaddr* Generic(const sockaddr_un& address) {
    return reinterpret_cast<const sockaddr*>(&address);
}

// The inode of a socket file; none when there is no socket at the path.
std::optional<std::uint64_t> SocketInode(const fs::path& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISSOCK(status.st_mode)) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(status.st_ino);
}

// Removes the socket file unless another window has taken its name since.
void RemoveSocketFile(const fs::path& path, std::uint64_t inode) {
    if (SocketInode(path) == inode) {
        ::unlink(path.c_str());
    }
}

// One datagram of a window's socket, when it is a message from a process of this user.
std::optional<PostedMessage> ReceiveMessage(int socket) {
    std::uint8_t data[kMessageDatagramSize + 1];
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(ucred))];
    iovec part{data, sizeof data};
    msghdr header{};
    header.msg_iov = &part;
    header.msg_iovlen = 1;
    header.msg_control = control;
    header.msg_controllen = sizeof control;
    const ssize_t got = ::recvmsg(socket, &header, MSG_DONTWAIT | MSG_CMSG_CLOEXEC);
    if (got < 0 || (header.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) != 0) {
        return std::nullopt;
    }
    // With SO_PASSCRED the kernel attaches the sender's credentials to every datagram; only
    // root can claim another user's.
    bool sameUser = false;
    for (cmsghdr* item = CMSG_FIRSTHDR(&header); item != nullptr;
         item = CMSG_NXTHDR(&header, item)) {
        if (item->cmsg_level == SOL_SOCKET && item->cmsg_type == SCM_CREDENTIALS &&
            item->cmsg_len == CMSG_LEN(sizeof(ucred))) {
            ucred sender;
            std::memcpy(&sender, CMSG_DATA(item), sizeof sender);
            sameUser = sender.uid == ::geteuid();
        }
    }
    if (!sameUser) {
        return std::nullopt;
    }
    return DecodeMessageDatagram({data, static_cast<std::size_t>(got)});
}

}  // namespace

LinuxWindows::LinuxWindows(fs::path runtimeFolder)
    : folder(std::move(runtimeFolder)), sender(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {}

LinuxWindows::~LinuxWindows() {
    for (const auto& [handle, window] : windows) {
        if (window.socket >= 0) {
            RemoveSocketFile(SocketPath(window.title), window.inode);
            ::close(window.socket);
        }
    }
    if (sender >= 0) {
        ::close(sender);
    }
}

fs::path LinuxWindows::SocketPath(std::u16string_view title) const {
    return folder / RuntimeFileName(title, ".window");
}

bool LinuxWindows::IsLive(const fs::path& socketPath) const {
    const std::optional<sockaddr_un> address = AddressOf(socketPath);
    if (!address) {
        return false;
    }
    // Connecting a datagram socket sends nothing; it fails when nobody listens any more.
    const int probe = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (probe < 0) {
        return false;
    }
    const bool live = ::connect(probe, Generic(*address), sizeof *address) == 0;
    ::close(probe);
    return live;
}

void LinuxWindows::ForgetFoundWindows(std::u16string_view title) {
    std::erase_if(windows, [title](const auto& entry) {
        return entry.second.socket < 0 && entry.second.title == title;
    });
}

std::optional<LinuxWindows::Window> LinuxWindows::Lookup(WindowHandle window) {
    std::lock_guard lock(mutex);
    const auto found = windows.find(static_cast<std::uintptr_t>(window));
    return found == windows.end() ? std::nullopt : std::optional(found->second);
}

WindowHandle LinuxWindows::FindTopLevelWindow(std::u16string_view title) {
    const fs::path path = SocketPath(title);
    if (!SocketInode(path) || !IsLive(path)) {
        return kNoWindow;
    }
    std::lock_guard lock(mutex);
    for (const auto& [handle, window] : windows) {
        if (window.title == title) {
            return WindowHandle{handle};
        }
    }
    const std::uintptr_t handle = nextHandle++;
    windows.emplace(handle, Window{std::u16string(title)});
    return WindowHandle{handle};
}

bool LinuxWindows::Post(WindowHandle window, MessageId id, WParam wParam, LParam lParam) {
    const std::optional<Window> target = Lookup(window);
    if (!target || sender < 0) {
        return false;
    }
    const std::optional<sockaddr_un> address = AddressOf(SocketPath(target->title));
    if (!address) {
        return false;
    }
    const auto datagram = EncodeMessageDatagram({id, wParam, lParam});
    // Never waits: a full queue refuses the message, as Windows does at its limit.
    return ::sendto(sender, datagram.data(), datagram.size(), MSG_DONTWAIT | MSG_NOSIGNAL,
                    Generic(*address), sizeof *address) == static_cast<ssize_t>(datagram.size());
}

WindowHandle LinuxWindows::CreateHiddenWindow(std::u16string_view title,
                                              WindowProcedure& procedure) {
    const fs::path path = SocketPath(title);
    const std::optional<sockaddr_un> address = AddressOf(path);
    if (!address || !EnsurePrivateFolder(folder)) {
        return kNoWindow;
    }
    struct stat existing {};
    if (::lstat(path.c_str(), &existing) == 0) {
        if (IsLive(path)) {
            return kNoWindow;
        }
        ::unlink(path.c_str());  // left behind by a program that ended without removing it
    }
    const int socket = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int on = 1;
    std::optional<std::uint64_t> inode;
    if (socket >= 0 && ::setsockopt(socket, SOL_SOCKET, SO_PASSCRED, &on, sizeof on) == 0 &&
        ::bind(socket, Generic(*address), sizeof *address) == 0) {
        ::chmod(path.c_str(), 0600);
        inode = SocketInode(path);
    }
    if (!inode) {
        if (socket >= 0) {
            ::close(socket);
        }
        return kNoWindow;
    }
    WindowHandle window;
    {
        std::lock_guard lock(mutex);
        ForgetFoundWindows(title);
        window = WindowHandle{nextHandle++};
        windows.emplace(static_cast<std::uintptr_t>(window),
                        Window{std::u16string(title), *inode, socket, &procedure});
    }
    // The window exists while kWmCreate runs: it can be found and posted to.
    const std::optional<LParam> created = procedure.HandleMessage(window, kWmCreate, 0, 0);
    if (created == -1) {
        // Refused: gone without kWmDestroy, since it never came to be.
        Window refused;
        {
            std::lock_guard lock(mutex);
            refused = windows.extract(static_cast<std::uintptr_t>(window)).mapped();
        }
        RemoveSocketFile(SocketPath(refused.title), refused.inode);
        ::close(refused.socket);
        return kNoWindow;
    }
    return window;
}

void LinuxWindows::SetTitle(WindowHandle window, std::u16string_view title) {
    const std::optional<Window> own = Lookup(window);
    if (!own || own->socket < 0 || own->title == title) {
        return;
    }
    const fs::path path = SocketPath(title);
    if (!AddressOf(path) || IsLive(path)) {
        return;
    }
    // The socket keeps its inode, so a rename is enough; it replaces a stale socket file.
    if (::rename(SocketPath(own->title).c_str(), path.c_str()) == 0) {
        std::lock_guard lock(mutex);
        ForgetFoundWindows(title);
        windows[static_cast<std::uintptr_t>(window)].title = title;
    }
}

void LinuxWindows::AddLoopSource(LoopSource& source) {
    loopSources.push_back(&source);
}

bool LinuxWindows::PostInProcess(WindowHandle window, MessageId id, WParam wParam, LParam lParam) {
    return Post(window, id, wParam, lParam);
}

void LinuxWindows::SetToolWindowStyle(WindowHandle) {}

void LinuxWindows::AcceptFromLowerPrivilege(WindowHandle, std::span<const MessageId>) {}

int LinuxWindows::RunMessageLoop(WindowHandle mainWindow) {
    for (;;) {
        std::vector<std::pair<WindowHandle, int>> own;
        {
            std::lock_guard lock(mutex);
            const auto main = windows.find(static_cast<std::uintptr_t>(mainWindow));
            if (main == windows.end() || main->second.socket < 0) {
                return 0;
            }
            for (const auto& [handle, window] : windows) {
                if (window.socket >= 0) {
                    own.emplace_back(WindowHandle{handle}, window.socket);
                }
            }
        }
        std::vector<pollfd> fds;
        for (const auto& [handle, socket] : own) {
            fds.push_back({socket, POLLIN, 0});
        }
        // The loop sources after the sockets, with the nearest of their time limits.
        int timeout = -1;
        for (LoopSource* source : loopSources) {
            fds.push_back({source->Descriptor(), source->Events(), 0});
            const int due = source->TimeoutMs();
            timeout = due >= 0 && (timeout < 0 || due < timeout) ? due : timeout;
        }
        if (::poll(fds.data(), fds.size(), timeout) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        for (LoopSource* source : loopSources) {
            source->Dispatch();
        }
        for (std::size_t i = 0; i < own.size(); ++i) {
            if (fds[i].revents == 0) {
                continue;
            }
            // An earlier message may have destroyed this window.
            const std::optional<Window> window = Lookup(own[i].first);
            if (!window || window->socket != own[i].second) {
                continue;
            }
            if (const std::optional<PostedMessage> message = ReceiveMessage(own[i].second)) {
                Dispatch(own[i].first, *message);
            }
        }
    }
}

void LinuxWindows::Dispatch(WindowHandle window, const PostedMessage& message) {
    const std::optional<Window> target = Lookup(window);
    if (!target || target->procedure == nullptr) {
        return;
    }
    const std::optional<LParam> result =
        target->procedure->HandleMessage(window, message.id, message.wParam, message.lParam);
    if (!result && message.id == kWmClose) {
        Destroy(window);
    }
}

void LinuxWindows::Destroy(WindowHandle window) {
    const std::optional<Window> target = Lookup(window);
    if (!target || target->socket < 0) {
        return;
    }
    target->procedure->HandleMessage(window, kWmDestroy, 0, 0);
    Window gone;
    {
        std::lock_guard lock(mutex);
        const auto found = windows.find(static_cast<std::uintptr_t>(window));
        if (found == windows.end()) {
            return;
        }
        gone = std::move(found->second);
        windows.erase(found);
    }
    RemoveSocketFile(SocketPath(gone.title), gone.inode);
    ::close(gone.socket);
}

// The agent's choice between Windows versions: a current desktop, which locks sessions.
std::uint32_t LinuxWindows::OsMajorVersion() {
    return 10;
}

bool LinuxWindows::RegisterSessionNotices(WindowHandle) {
    return false;
}

void LinuxWindows::UnregisterSessionNotices(WindowHandle) {}

}  // namespace t47
