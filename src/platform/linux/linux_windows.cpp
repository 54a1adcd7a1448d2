#include "platform/linux/linux_windows.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/linux/message_datagram.h"
#include "platform/linux/runtime_folder.h"

namespace t47 {
namespace {

namespace fs = std::filesystem;

// How often a post to a full queue of another process tries again while it may wait.
constexpr std::chrono::milliseconds kPostRetryPause{2};

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

enum class Received { kNothingMore, kMessage, kDropped };

// One datagram of a window's socket; kMessage when it is a message from a process of this user.
Received ReceiveMessage(int socket, PostedMessage& message) {
    std::uint8_t data[kMessageDatagramSize + 1];
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(ucred))];
    iovec part{data, sizeof data};
    msghdr header{};
    header.msg_iov = &part;
    header.msg_iovlen = 1;
    header.msg_control = control;
    header.msg_controllen = sizeof control;
    const ssize_t got = ::recvmsg(socket, &header, MSG_DONTWAIT | MSG_CMSG_CLOEXEC);
    if (got < 0) {
        return errno == EINTR ? Received::kDropped : Received::kNothingMore;
    }
    if ((header.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) != 0) {
        return Received::kDropped;
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
    const std::optional<PostedMessage> decoded =
        DecodeMessageDatagram({data, static_cast<std::size_t>(got)});
    if (!sameUser || !decoded) {
        return Received::kDropped;
    }
    message = *decoded;
    return Received::kMessage;
}

// Whether a message from another process may reach a window that accepts `accepted` of them.
bool AcceptedFromOthers(const std::optional<std::vector<MessageId>>& accepted, MessageId id) {
    if (id == kWmCreate || id == kWmDestroy) {
        return false;  // a window's life is the host's own business
    }
    if (!accepted || id == kWmClose) {
        return true;
    }
    return std::find(accepted->begin(), accepted->end(), id) != accepted->end();
}

void CloseDescriptor(int fd) {
    if (fd >= 0) {
        ::close(fd);
    }
}

void DrainEventFd(int fd) {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t got = ::read(fd, &count, sizeof count);
}

}  // namespace

LinuxWindows::LinuxWindows(fs::path runtimeFolder, std::chrono::milliseconds patience)
    : folder(std::move(runtimeFolder)),
      postPatience(patience),
      sender(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0)),
      loopWake(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)),
      receiveWake(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

LinuxWindows::~LinuxWindows() {
    if (receiver.joinable()) {
        receiver.request_stop();
        Wake(receiveWake);
        receiver.join();
    }
    for (const auto& [handle, window] : windows) {
        if (window.socket >= 0) {
            RemoveSocketFile(SocketPath(window.title), window.inode);
            ::close(window.socket);
        }
    }
    CloseDescriptor(folderWatch);
    CloseDescriptor(receiveWake);
    CloseDescriptor(loopWake);
    CloseDescriptor(sender);
}

void LinuxWindows::Wake(int eventFd) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(eventFd, &one, sizeof one);
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
    // A folder that is not the user's own any more holds nobody's windows that count.
    if (folderLost || !PrivateFolderProblem(folder).empty()) {
        return kNoWindow;
    }
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
    windows.emplace(handle, Window{std::u16string(title), 0, -1, nullptr, std::nullopt});
    return WindowHandle{handle};
}

bool LinuxWindows::Enqueue(const Queued& queued) {
    if (queue.size() >= kQueueLimit) {
        return false;
    }
    queue.push_back(queued);
    Wake(loopWake);
    return true;
}

bool LinuxWindows::Post(WindowHandle window, MessageId id, WParam wParam, LParam lParam) {
    const PostedMessage message{id, wParam, lParam};
    std::u16string title;
    {
        std::lock_guard lock(mutex);
        const auto found = windows.find(static_cast<std::uintptr_t>(window));
        if (found == windows.end()) {
            return false;
        }
        if (found->second.socket >= 0) {
            return Enqueue({window, message, false});
        }
        title = found->second.title;
    }
    if (folderLost) {
        return false;
    }
    return SendDatagram(SocketPath(title), message);
}

bool LinuxWindows::SendDatagram(const fs::path& socketPath, const PostedMessage& message) {
    const std::optional<sockaddr_un> address = AddressOf(socketPath);
    if (!address || sender < 0) {
        return false;
    }
    const auto datagram = EncodeMessageDatagram(message);
    const auto deadline = std::chrono::steady_clock::now() + postPatience;
    for (;;) {
        const ssize_t sent = ::sendto(sender, datagram.data(), datagram.size(),
                                      MSG_DONTWAIT | MSG_NOSIGNAL, Generic(*address),
                                      sizeof *address);
        if (sent == static_cast<ssize_t>(datagram.size())) {
            return true;
        }
        // A full queue is worth waiting for, within the patience given; anything else is not.
        if (sent >= 0 || (errno != EAGAIN && errno != EINTR) ||
            std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kPostRetryPause);
    }
}

WindowHandle LinuxWindows::CreateHiddenWindow(std::u16string_view title,
                                              WindowProcedure& procedure) {
    const fs::path path = SocketPath(title);
    const std::optional<sockaddr_un> address = AddressOf(path);
    if (!address || folderLost || !EnsurePrivateFolder(folder) || loopWake < 0 ||
        receiveWake < 0) {
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
        CloseDescriptor(socket);
        return kNoWindow;
    }
    WindowHandle window;
    {
        std::lock_guard lock(mutex);
        ForgetFoundWindows(title);
        window = WindowHandle{nextHandle++};
        windows.emplace(static_cast<std::uintptr_t>(window),
                        Window{std::u16string(title), *inode, socket, &procedure, std::nullopt});
        WatchFolder();
        StartReceiving();
    }
    Wake(receiveWake);
    // The window exists while kWmCreate runs: it can be found and posted to.
    const std::optional<LParam> created = procedure.HandleMessage(window, kWmCreate, 0, 0);
    if (created == -1) {
        // Refused: gone without kWmDestroy, since it never came to be.
        Window refused;
        {
            std::lock_guard lock(mutex);
            refused = windows.extract(static_cast<std::uintptr_t>(window)).mapped();
            ::close(refused.socket);
        }
        Wake(receiveWake);
        RemoveSocketFile(SocketPath(refused.title), refused.inode);
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

void LinuxWindows::SetToolWindowStyle(WindowHandle) {}

void LinuxWindows::AcceptFromLowerPrivilege(WindowHandle window,
                                            std::span<const MessageId> messages) {
    std::lock_guard lock(mutex);
    const auto found = windows.find(static_cast<std::uintptr_t>(window));
    if (found != windows.end() && found->second.socket >= 0) {
        auto& accepted = found->second.acceptedFromOthers;
        if (!accepted) {
            accepted.emplace();
        }
        accepted->insert(accepted->end(), messages.begin(), messages.end());
    }
}

void LinuxWindows::RequestClose(WindowHandle window) {
    {
        std::lock_guard lock(mutex);
        closeRequests.push_back(window);
    }
    Wake(loopWake);
}

int LinuxWindows::RunMessageLoop(WindowHandle mainWindow) {
    for (;;) {
        std::optional<Queued> next;
        {
            std::lock_guard lock(mutex);
            const auto main = windows.find(static_cast<std::uintptr_t>(mainWindow));
            if (main == windows.end() || main->second.socket < 0) {
                return 0;
            }
            if (folderLossToHandle.exchange(false)) {
                // Closed as kWmClose would close it, before anything queued.
                closeRequests.insert(closeRequests.begin(), mainWindow);
            }
            if (!closeRequests.empty()) {
                next = Queued{closeRequests.front(), {kWmClose, 0, 0}, false};
                closeRequests.erase(closeRequests.begin());
            } else if (!queue.empty()) {
                next = queue.front();
                queue.pop_front();
                if (queueWasFull) {
                    queueWasFull = false;
                    Wake(receiveWake);  // room again for what waits in the sockets
                }
            }
        }
        if (next) {
            Dispatch(*next);
            continue;
        }
        pollfd wake{loopWake, POLLIN, 0};
        if (::poll(&wake, 1, -1) < 0 && errno != EINTR) {
            return -1;
        }
        DrainEventFd(loopWake);
    }
}

void LinuxWindows::Dispatch(const Queued& queued) {
    const std::optional<Window> target = Lookup(queued.window);
    if (!target || target->procedure == nullptr) {
        return;
    }
    const PostedMessage& message = queued.message;
    if (queued.fromOtherProcess && !AcceptedFromOthers(target->acceptedFromOthers, message.id)) {
        return;
    }
    const std::optional<LParam> result = target->procedure->HandleMessage(
        queued.window, message.id, message.wParam, message.lParam);
    if (!result && message.id == kWmClose) {
        Destroy(queued.window);
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
        // Under the lock: the receiving thread never reads a descriptor being closed.
        ::close(gone.socket);
    }
    Wake(receiveWake);
    if (!folderLost) {
        RemoveSocketFile(SocketPath(gone.title), gone.inode);
    }
}

void LinuxWindows::StartReceiving() {
    if (!receiver.joinable()) {
        receiver = std::jthread([this](std::stop_token stop) { Receive(stop); });
    }
}

void LinuxWindows::Receive(std::stop_token stop) {
    while (!stop.stop_requested()) {
        std::vector<pollfd> fds{{receiveWake, POLLIN, 0}};
        if (folderWatch >= 0) {
            fds.push_back({folderWatch, POLLIN, 0});
        }
        {
            std::lock_guard lock(mutex);
            // With the queue full, what waits stays in the sockets until the loop makes room.
            if (!queueWasFull) {
                for (const auto& [handle, window] : windows) {
                    if (window.socket >= 0) {
                        fds.push_back({window.socket, POLLIN, 0});
                    }
                }
            }
        }
        if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) {
            return;
        }
        DrainEventFd(receiveWake);
        for (const pollfd& fd : fds) {
            if (fd.revents == 0 || fd.fd == receiveWake) {
                continue;
            }
            if (fd.fd == folderWatch) {
                OnFolderEvents();
            } else {
                ReceiveFrom(fd.fd);
            }
        }
    }
}

void LinuxWindows::ReceiveFrom(int socket) {
    std::lock_guard lock(mutex);
    // The descriptor may have been closed (and even reused) since the poll: only a window's
    // live socket is read.
    const auto owner = std::find_if(windows.begin(), windows.end(), [socket](const auto& entry) {
        return entry.second.socket == socket;
    });
    if (owner == windows.end()) {
        return;
    }
    const WindowHandle window{owner->first};
    for (;;) {
        if (queue.size() >= kQueueLimit) {
            queueWasFull = true;
            return;
        }
        PostedMessage message;
        const Received received = ReceiveMessage(socket, message);
        if (received == Received::kNothingMore) {
            return;
        }
        if (received == Received::kMessage) {
            Enqueue({window, message, true});
        }
    }
}

void LinuxWindows::WatchFolder() {
    if (folderWatch >= 0) {
        return;
    }
    folderWatch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (folderWatch >= 0 &&
        ::inotify_add_watch(folderWatch, folder.c_str(),
                            IN_DELETE_SELF | IN_MOVE_SELF | IN_ATTRIB | IN_ONLYDIR |
                                IN_DONT_FOLLOW) < 0) {
        ::close(folderWatch);
        folderWatch = -1;
    }
}

void LinuxWindows::OnFolderEvents() {
    alignas(inotify_event) char buffer[4096];
    bool lost = false;
    for (;;) {
        const ssize_t length = ::read(folderWatch, buffer, sizeof buffer);
        if (length <= 0) {
            break;
        }
        for (std::size_t at = 0; at + sizeof(inotify_event) <= static_cast<std::size_t>(length);) {
            inotify_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            at += sizeof event + event.len;
            lost = lost || (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) != 0;
        }
    }
    // A change of owner or mode counts as losing it too: the folder is no longer private.
    if (lost || !PrivateFolderProblem(folder).empty()) {
        folderLost = true;
        folderLossToHandle = true;
        Wake(loopWake);
    }
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
