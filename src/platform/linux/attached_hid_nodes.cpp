#include "platform/linux/attached_hid_nodes.h"

#include <unistd.h>

#include "platform/linux/hidraw_nodes.h"

namespace t47 {

std::vector<AttachedHidNode> ListAttachedHidNodes(const std::filesystem::path& sysfsRoot,
                                                  const std::filesystem::path& devRoot,
                                                  HidrawNodeIo& io) {
    std::vector<AttachedHidNode> attached;
    for (const HidrawNode& node : ListHidrawNodes(sysfsRoot)) {
        const int fd = io.Open(devRoot / node.name);
        if (fd >= 0) {
            ::close(fd);
        }
        attached.push_back({node.name, node.attributes, fd >= 0});
    }
    return attached;
}

}  // namespace t47
