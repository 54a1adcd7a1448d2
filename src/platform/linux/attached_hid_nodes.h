#pragma once

// The HID devices attached now, as their hidraw nodes, and whether this user may open them:
// what a program tells its user before it looks for one device among them. A node that is
// there but does not open usually lacks the udev rule that hands it to the user at the seat.

#include <filesystem>
#include <string>
#include <vector>

#include "platform/hid_bus.h"
#include "platform/linux/hidraw_node_io.h"

namespace t47 {

struct AttachedHidNode {
    std::string name;  // "hidraw3"
    HidAttributes attributes;
    bool opens = false;
};

// In the order of their numbers; `sysfsRoot` and `devRoot` are "/sys" and "/dev" but for tests.
std::vector<AttachedHidNode> ListAttachedHidNodes(const std::filesystem::path& sysfsRoot,
                                                  const std::filesystem::path& devRoot,
                                                  HidrawNodeIo& io);

}  // namespace t47
