#include "mouse_choice.h"

#include <algorithm>

#include "device/hid_device_link.h"

namespace t47 {
namespace {

// The agent window sets these as the device link's alternate ids at start-up.
constexpr std::uint16_t kAlternateVendorId = 0x1B80;
constexpr std::uint16_t kAlternateProductId = 0xB412;

// "/dev/hidraw3, /dev/hidraw4": the mouse's nodes, or those of them that do not open.
std::string NodeNames(std::span<const AttachedHidNode> attached, bool onlyThoseThatDoNotOpen) {
    std::string names;
    for (const AttachedHidNode& node : attached) {
        if (IsNorvaneT47(node.attributes) && !(onlyThoseThatDoNotOpen && node.opens)) {
            names += (names.empty() ? "/dev/" : ", /dev/") + node.name;
        }
    }
    return names;
}

}  // namespace

bool IsNorvaneT47(const HidAttributes& ids) {
    return (ids.vendorId == kMouseVendorId || ids.vendorId == kAlternateVendorId) &&
           (ids.productId == kMouseProductId || ids.productId == kAlternateProductId);
}

MouseChoice ChooseMouse(std::span<const AttachedHidNode> attached, bool simulatedMouseWanted) {
    bool present = false;
    bool allOpen = true;
    for (const AttachedHidNode& node : attached) {
        if (IsNorvaneT47(node.attributes)) {
            present = true;
            allOpen = allOpen && node.opens;
        }
    }
    if (present) {
        return allOpen ? MouseChoice::kAttached : MouseChoice::kUnreachable;
    }
    return simulatedMouseWanted ? MouseChoice::kSimulated : MouseChoice::kAbsent;
}

std::string MouseChoiceLine(MouseChoice choice, std::span<const AttachedHidNode> attached) {
    switch (choice) {
        case MouseChoice::kAttached:
            return "t47agent: the Norvane T47 is attached (" + NodeNames(attached, false) + ")";
        case MouseChoice::kUnreachable:
            return "t47agent: the Norvane T47 is attached, but " + NodeNames(attached, true) +
                   " cannot be opened: install the udev rule of programs/linux (see the README)";
        case MouseChoice::kSimulated:
            return "t47agent: no Norvane T47 is attached: using the simulated mouse (t47ctl "
                   "press-dpi, unplug and plug drive it)";
        case MouseChoice::kAbsent:
            break;
    }
    return "t47agent: no Norvane T47 is attached: waiting for one (t47agent --simulated-mouse "
           "uses a simulated mouse instead)";
}

}  // namespace t47
