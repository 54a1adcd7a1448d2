#include "platform/linux/linux_hid_bus.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

#include "platform/linux/hidraw_nodes.h"

namespace t47 {
namespace {

void SignalEvent(int fd) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(fd, &one, sizeof one);
}

// An event descriptor closed with its owner.
class EventDescriptor {
  public:
    EventDescriptor() : fd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~EventDescriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    EventDescriptor(const EventDescriptor&) = delete;
    EventDescriptor& operator=(const EventDescriptor&) = delete;

    int fd;
};

}  // namespace

// The descriptors stay open while any thread still uses them, so that a read ended by Close
// never waits on a descriptor number that has been handed out again.
struct LinuxHidBus::OpenInterface {
    OpenInterface(int nodeFd, HidAttributes ids, bool reportIds, HidTopLevelCollection reports)
        : node(nodeFd),
          attributes(ids),
          usesReportIds(reportIds),
          collection(std::move(reports)),
          capabilities(CapabilitiesOf(collection)) {}
    ~OpenInterface() { ::close(node); }

    const int node;
    const EventDescriptor closedSignal;  // signalled by Close, never reset
    std::atomic<bool> closed{false};
    const HidAttributes attributes;
    const bool usesReportIds;
    const HidTopLevelCollection collection;
    const HidCapabilities capabilities;
};

LinuxHidBus::LinuxHidBus(std::filesystem::path sysfs, std::filesystem::path dev,
                         HidrawNodeIo& nodeIo, WindowMessages& windowMessages)
    : sysfsRoot(std::move(sysfs)), devRoot(std::move(dev)), io(nodeIo), messages(windowMessages) {}

LinuxHidBus::~LinuxHidBus() {
    // The watch's thread takes the mutex to post; it ends before anything else goes.
    std::unique_ptr<HidrawNodeWatch> ending;
    {
        std::lock_guard lock(mutex);
        ending = std::move(watch);
    }
    ending.reset();
}

std::vector<std::u16string> LinuxHidBus::ListInterfaces() {
    std::vector<std::u16string> paths;
    for (const HidrawNode& node : ListHidrawNodes(sysfsRoot)) {
        for (std::size_t i = 1; i <= node.descriptor.collections.size(); ++i) {
            paths.push_back(InterfacePath(devRoot, {node.name, i}));
        }
    }
    return paths;
}

HidHandle LinuxHidBus::Open(std::u16string_view path) {
    const std::optional<HidInterfaceAddress> address = ParseInterfacePath(devRoot, path);
    if (!address) {
        return kInvalidHidHandle;
    }
    std::optional<HidrawNode> node = ReadHidrawNode(sysfsRoot, address->node);
    if (!node || address->collection > node->descriptor.collections.size()) {
        return kInvalidHidHandle;
    }
    const int fd = io.Open(devRoot / address->node);
    if (fd < 0) {
        return kInvalidHidHandle;
    }
    auto open = std::make_shared<OpenInterface>(
        fd, node->attributes, node->descriptor.usesReportIds,
        std::move(node->descriptor.collections[address->collection - 1]));
    if (open->closedSignal.fd < 0) {
        return kInvalidHidHandle;
    }
    std::lock_guard lock(mutex);
    const std::uintptr_t handle = nextHandle++;
    handles.emplace(handle, std::move(open));
    return HidHandle{handle};
}

std::shared_ptr<LinuxHidBus::OpenInterface> LinuxHidBus::Find(HidHandle handle) {
    std::lock_guard lock(mutex);
    const auto found = handles.find(static_cast<std::uintptr_t>(handle));
    return found == handles.end() ? nullptr : found->second;
}

std::optional<HidCapabilities> LinuxHidBus::Capabilities(HidHandle handle) {
    const std::shared_ptr<OpenInterface> open = Find(handle);
    return open ? std::optional(open->capabilities) : std::nullopt;
}

std::optional<HidAttributes> LinuxHidBus::Attributes(HidHandle handle) {
    const std::shared_ptr<OpenInterface> open = Find(handle);
    return open ? std::optional(open->attributes) : std::nullopt;
}

std::optional<std::size_t> LinuxHidBus::FeatureLength(const OpenInterface& open,
                                                      std::span<const std::uint8_t> report) const {
    // As Windows: a buffer shorter than the interface's feature length, or a report id of
    // another collection, is refused before anything reaches the device.
    const std::int32_t needed = open.capabilities.featureReportLength;
    if (needed == 0 || report.size() < static_cast<std::size_t>(needed)) {
        return std::nullopt;
    }
    const std::optional<HidReportLayout> layout =
        FindReport(open.collection, HidReportKind::kFeature, report[0]);
    if (!layout) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(layout->length);
}

bool LinuxHidBus::SetFeature(HidHandle handle, std::span<const std::uint8_t> report) {
    const std::shared_ptr<OpenInterface> open = Find(handle);
    if (!open) {
        return false;
    }
    const std::optional<std::size_t> length = FeatureLength(*open, report);
    // The device gets its report's own length, never the rest of a longer buffer.
    return length && io.SetFeature(open->node, report.first(*length));
}

bool LinuxHidBus::GetFeature(HidHandle handle, std::span<std::uint8_t> report) {
    const std::shared_ptr<OpenInterface> open = Find(handle);
    if (!open) {
        return false;
    }
    const std::optional<std::size_t> length = FeatureLength(*open, report);
    if (!length) {
        return false;
    }
    const std::optional<std::size_t> got = io.GetFeature(open->node, report.first(*length));
    if (!got) {
        return false;
    }
    // A short answer is zero-filled, as Windows hands it over.
    std::fill(report.begin() + static_cast<std::ptrdiff_t>(std::min(*got, *length)), report.end(),
              std::uint8_t{0});
    return true;
}

std::size_t LinuxHidBus::ReadInputReport(HidHandle handle, std::span<std::uint8_t> buffer,
                                         std::stop_token stop) {
    const std::shared_ptr<OpenInterface> open = Find(handle);
    // Windows refuses a buffer shorter than the input report length.
    if (!open || open->capabilities.inputReportLength == 0 ||
        buffer.size() < static_cast<std::size_t>(open->capabilities.inputReportLength)) {
        return 0;
    }
    // Without report ids the node hands over the data alone; Windows puts a 0 id byte first.
    const std::span<std::uint8_t> data = open->usesReportIds ? buffer : buffer.subspan(1);

    const EventDescriptor stopped;
    if (stopped.fd < 0) {
        return 0;
    }
    const std::stop_callback onStop(stop, [&stopped] { SignalEvent(stopped.fd); });
    for (;;) {
        pollfd fds[3] = {
            {open->node, POLLIN, 0}, {open->closedSignal.fd, POLLIN, 0}, {stopped.fd, POLLIN, 0}};
        if (::poll(fds, 3, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return 0;
        }
        if (fds[1].revents != 0 || fds[2].revents != 0 || open->closed) {
            return 0;
        }
        if ((fds[0].revents & POLLIN) == 0) {
            return 0;  // the device went away
        }
        const ssize_t got = ::read(open->node, data.data(), data.size());
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
            continue;
        }
        if (got <= 0) {
            return 0;
        }
        std::size_t length = static_cast<std::size_t>(got);
        if (!open->usesReportIds) {
            buffer[0] = 0;
            ++length;
        }
        // The node carries every collection's reports; this interface passes on its own.
        if (FindReport(open->collection, HidReportKind::kInput, buffer[0])) {
            return length;
        }
    }
}

void LinuxHidBus::Close(HidHandle handle) {
    std::shared_ptr<OpenInterface> open;
    {
        std::lock_guard lock(mutex);
        const auto found = handles.find(static_cast<std::uintptr_t>(handle));
        if (found == handles.end()) {
            return;
        }
        open = std::move(found->second);
        handles.erase(found);
    }
    // A blocked read does not wake when its descriptor closes; this wakes it.
    open->closed = true;
    SignalEvent(open->closedSignal.fd);
}

NoticeRegistration LinuxHidBus::RegisterDeviceNotices(WindowHandle window) {
    std::lock_guard lock(mutex);
    if (!watch) {
        watch = HidrawNodeWatch::Start(
            devRoot, [this](HidrawNodeChange change) { PostDeviceChange(change); });
        if (!watch) {
            return kNoRegistration;
        }
    }
    noticeWindows.push_back(window);
    return NoticeRegistration{noticeWindows.size()};
}

void LinuxHidBus::PostDeviceChange(HidrawNodeChange change) {
    std::vector<WindowHandle> windows;
    {
        std::lock_guard lock(mutex);
        windows = noticeWindows;
    }
    const WParam event =
        change == HidrawNodeChange::kArrival ? kDeviceArrival : kDeviceRemoveComplete;
    for (const WindowHandle window : windows) {
        messages.Post(window, kWmDeviceChange, event, 0);
    }
}

}  // namespace t47
