#include "platform/linux/hidraw_node_io.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace t47 {

int SystemHidrawNodeIo::Open(const std::filesystem::path& node) {
    int fd = -1;
    do {
        fd = ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool SystemHidrawNodeIo::SetFeature(int node, std::span<const std::uint8_t> report) {
    // The ioctl's size field is 14 bits wide; the report descriptor keeps lengths below that.
    return ::ioctl(node, HIDIOCSFEATURE(report.size()), report.data()) >= 0;
}

std::optional<std::size_t> SystemHidrawNodeIo::GetFeature(int node,
                                                          std::span<std::uint8_t> report) {
    const int got = ::ioctl(node, HIDIOCGFEATURE(report.size()), report.data());
    if (got < 0) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(got);
}

}  // namespace t47
