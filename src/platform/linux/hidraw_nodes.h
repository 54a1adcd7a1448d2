#pragma once

// The system's hidraw nodes as sysfs describes them, and the interface paths that name one
// top-level collection of one node.
//
// sysfs keeps, for a node `hidrawN`, a folder `class/hidraw/hidrawN` whose `device` is the
// HID device: its `report_descriptor` (the bytes as the device gave them) and its `uevent`,
// whose line `HID_ID=BBBB:VVVVVVVV:PPPPPPPP` holds the bus, vendor and product ids in hex.
// Both roots are given, so that tests can build a tree of their own.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hid_bus.h"
#include "platform/linux/hid_report_descriptor.h"

namespace t47 {

struct HidrawNode {
    std::string name;  // "hidraw3"
    HidAttributes attributes;
    HidReportDescriptor descriptor;
};

// The nodes whose descriptor and ids can be read, in the order of their numbers.
std::vector<HidrawNode> ListHidrawNodes(const std::filesystem::path& sysfsRoot);

// One node by name; none when `name` is not a hidraw node's name or sysfs lacks it.
std::optional<HidrawNode> ReadHidrawNode(const std::filesystem::path& sysfsRoot,
                                         std::string_view name);

// The vendor and product ids of a `uevent` text; none without a well-formed HID_ID line.
std::optional<HidAttributes> AttributesFromUevent(std::string_view uevent);

// An interface path names a node in the /dev folder and a top-level collection, counted
// from 1 in descriptor order: "/dev/hidraw3#col02".
struct HidInterfaceAddress {
    std::string node;  // "hidraw3"
    std::size_t collection = 0;

    friend bool operator==(const HidInterfaceAddress&, const HidInterfaceAddress&) = default;
};

std::u16string InterfacePath(const std::filesystem::path& devRoot,
                             const HidInterfaceAddress& address);

// None unless the path is one that InterfacePath gives for this /dev folder, so that nothing
// outside it is ever opened.
std::optional<HidInterfaceAddress> ParseInterfacePath(const std::filesystem::path& devRoot,
                                                      std::u16string_view path);

// "hidraw" followed by decimal digits: a name that the /dev watch and the listing accept.
bool IsHidrawNodeName(std::string_view name);

}  // namespace t47
