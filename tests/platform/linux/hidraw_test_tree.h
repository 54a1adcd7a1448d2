#pragma once

// A sysfs tree and a /dev folder of hidraw nodes, built in a temporary folder as the kernel
// lays them out.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace t47::test {

class HidrawTree {
  public:
    HidrawTree();

    // Lays out the node as the kernel does: the HID device's folder with `report_descriptor`
    // and `uevent`, its `hidraw/<name>` folder, the class link, and the /dev node.
    void AddNode(const std::string& name, const std::vector<std::uint8_t>& descriptor,
                 const std::string& uevent);

    const std::filesystem::path& Sysfs() const { return sysfs; }
    const std::filesystem::path& Dev() const { return dev; }
    const TempFolder& Folder() const { return folder; }

  private:
    TempFolder folder;
    std::filesystem::path sysfs;
    std::filesystem::path dev;
    int devices = 0;
};

// A uevent text with these ids on the USB bus.
std::string UsbUevent(std::uint16_t vendor, std::uint16_t product);

}  // namespace t47::test
