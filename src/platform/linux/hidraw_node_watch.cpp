#include "platform/linux/hidraw_node_watch.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/linux/hidraw_nodes.h"

namespace t47 {
namespace {

constexpr std::uint32_t kArrivalEvents = IN_CREATE | IN_ATTRIB | IN_MOVED_TO;
constexpr std::uint32_t kRemovalEvents = IN_DELETE | IN_MOVED_FROM;

// The kinds of the hidraw events in one buffer of inotify events, a run of one kind once.
std::vector<HidrawNodeChange> ChangesIn(const char* buffer, std::size_t length) {
    std::vector<HidrawNodeChange> changes;
    std::size_t at = 0;
    while (at + sizeof(inotify_event) <= length) {
        inotify_event event;
        std::memcpy(&event, buffer + at, sizeof event);
        const char* name = buffer + at + sizeof event;
        at += sizeof event + event.len;
        std::optional<HidrawNodeChange> change;
        if (event.mask & IN_Q_OVERFLOW) {
            change = HidrawNodeChange::kArrival;  // something was lost: look again
        } else if (event.len == 0 ||
                   !IsHidrawNodeName(std::string_view(name, strnlen(name, event.len)))) {
            continue;
        } else if (event.mask & kArrivalEvents) {
            change = HidrawNodeChange::kArrival;
        } else if (event.mask & kRemovalEvents) {
            change = HidrawNodeChange::kRemoval;
        }
        if (change && (changes.empty() || changes.back() != *change)) {
            changes.push_back(*change);
        }
    }
    return changes;
}

void CloseDescriptor(int fd) {
    if (fd >= 0) {
        ::close(fd);
    }
}

}  // namespace

std::unique_ptr<HidrawNodeWatch> HidrawNodeWatch::Start(const std::filesystem::path& devRoot,
                                                        ChangeHandler onChange) {
    const int inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    const int wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (inotify < 0 || wake < 0 ||
        ::inotify_add_watch(inotify, devRoot.c_str(),
                            kArrivalEvents | kRemovalEvents | IN_ONLYDIR) < 0) {
        CloseDescriptor(inotify);
        CloseDescriptor(wake);
        return nullptr;
    }
    return std::unique_ptr<HidrawNodeWatch>(
        new HidrawNodeWatch(inotify, wake, std::move(onChange)));
}

HidrawNodeWatch::HidrawNodeWatch(int inotifyFd, int wakeFd, ChangeHandler handler)
    : inotify(inotifyFd), wake(wakeFd), onChange(std::move(handler)) {
    thread = std::thread([this] { Run(); });
}

HidrawNodeWatch::~HidrawNodeWatch() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wake, &one, sizeof one);
    thread.join();
    ::close(inotify);
    ::close(wake);
}

void HidrawNodeWatch::Run() {
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        pollfd fds[2] = {{inotify, POLLIN, 0}, {wake, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[1].revents != 0) {
            return;
        }
        const ssize_t length = ::read(inotify, buffer, sizeof buffer);
        if (length < 0 && (errno == EAGAIN || errno == EINTR)) {
            continue;
        }
        if (length <= 0) {
            return;
        }
        for (const HidrawNodeChange change : ChangesIn(buffer, static_cast<std::size_t>(length))) {
            onChange(change);
        }
    }
}

}  // namespace t47
