#include "platform/linux/hidraw_test_tree.h"

#include <cstdio>

namespace t47::test {

namespace fs = std::filesystem;

HidrawTree::HidrawTree() : sysfs(folder / "sys"), dev(folder / "dev") {
    fs::create_directories(sysfs / "class" / "hidraw");
    fs::create_directories(dev);
}

void HidrawTree::AddNode(const std::string& name, const std::vector<std::uint8_t>& descriptor,
                         const std::string& uevent) {
    const std::string device = "0003:0000:0000." + std::to_string(++devices);
    const fs::path deviceFolder = sysfs / "devices" / "usb1" / device;
    fs::create_directories(deviceFolder / "hidraw" / name);
    WriteFileBytes(deviceFolder / "report_descriptor",
                   {reinterpret_cast<const char*>(descriptor.data()), descriptor.size()});
    WriteFileBytes(deviceFolder / "uevent", uevent);
    fs::create_directory_symlink("../..", deviceFolder / "hidraw" / name / "device");
    fs::create_directory_symlink("../../devices/usb1/" + device + "/hidraw/" + name,
                                 sysfs / "class" / "hidraw" / name);
    WriteFileBytes(dev / name, "");
}

std::string UsbUevent(std::uint16_t vendor, std::uint16_t product) {
    char id[64];
    std::snprintf(id, sizeof id, "HID_ID=0003:%08X:%08X\n", vendor, product);
    return std::string("DRIVER=hid-generic\n") + id + "HID_NAME=Test Device\nHID_UNIQ=\n";
}

}  // namespace t47::test
