#pragma once

// Report descriptors for the tests, byte for byte as devices send them.

#include <cstdint>
#include <vector>

namespace t47::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

enum class MainItem : std::uint8_t { kInput = 0x81, kFeature = 0xB1 };

// One collection of the virtual mouse under Wine: one report of `count` data bytes.
inline Bytes VendorCollection(std::uint16_t page, std::uint8_t usage, std::uint8_t id,
                              std::uint16_t count, MainItem main) {
    const auto low = static_cast<std::uint8_t>(page);
    const auto high = static_cast<std::uint8_t>(page >> 8);
    Bytes bytes = {
        0x06, low,   high,  // Usage Page (vendor)
        0x09, usage,        // Usage
        0xA1, 0x01,         // Collection (Application)
        0x85, id,           //   Report ID
        0x09, usage,        //   Usage
        0x15, 0x00,         //   Logical Minimum (0)
        0x26, 0xFF,  0x00,  //   Logical Maximum (255)
        0x75, 0x08,         //   Report Size (8)
    };
    if (count <= 0xFF) {
        bytes.insert(bytes.end(), {0x95, std::uint8_t(count)});  // Report Count
    } else {
        bytes.insert(bytes.end(), {0x96, std::uint8_t(count), std::uint8_t(count >> 8)});
    }
    bytes.insert(bytes.end(), {std::uint8_t(main), 0x02,  // Input or Feature (Data,Var,Abs)
                               0xC0});                    // End Collection
    return bytes;
}

// The mouse's four interfaces. Under Wine (one node per collection) Windows gives them
// feature lengths 40, 2049 and 8 and input length 4.
inline Bytes SettingsCollection() {
    return VendorCollection(0xFF00, 0x01, 3, 39, MainItem::kFeature);
}
inline Bytes ButtonMacroCollection() {
    return VendorCollection(0xFF00, 0x02, 4, 2048, MainItem::kFeature);
}
inline Bytes CommandCollection() {
    return VendorCollection(0xFF00, 0x03, 6, 7, MainItem::kFeature);
}
inline Bytes DpiInputCollection() {
    return VendorCollection(0xFF01, 0x01, 2, 3, MainItem::kInput);
}
inline Bytes MouseDescriptor() {
    return Join(
        {SettingsCollection(), ButtonMacroCollection(), CommandCollection(), DpiInputCollection()});
}

// The standard boot-protocol mouse of USB HID: no report ids, 4 data bytes; Windows gives input
// length 5.
inline Bytes BootMouseDescriptor() {
    return {
        0x05, 0x01, 0x09, 0x02, 0xA1, 0x01,  // Generic Desktop, Mouse, Collection (Application)
        0x09, 0x01, 0xA1, 0x00,              //   Pointer, Collection (Physical)
        0x05, 0x09, 0x19, 0x01, 0x29, 0x03,  //     Buttons 1 to 3
        0x15, 0x00, 0x25, 0x01,              //     Logical 0 to 1
        0x95, 0x03, 0x75, 0x01, 0x81, 0x02,  //     3 x 1 bit, Input (Data,Var,Abs)
        0x95, 0x01, 0x75, 0x05, 0x81, 0x01,  //     1 x 5 bits, Input (Constant): padding
        0x05, 0x01, 0x09, 0x30, 0x09, 0x31,  //     X, Y,
        0x09, 0x38, 0x15, 0x81, 0x25, 0x7F,  //     Wheel, Logical -127 to 127
        0x75, 0x08, 0x95, 0x03, 0x81, 0x06,  //     3 x 8 bits, Input (Data,Var,Rel)
        0xC0, 0xC0,                          //   End Collection, End Collection
    };
}

// A keyboard and a consumer-control collection in one node, with report ids.
// Keyboard: input id 1 (8 data bytes), output id 1 (LEDs, 1 byte).
// Consumer: input id 2 (2 bytes) and id 4 (4 bytes, given in two items, the second under a
// pushed report size), feature id 3 (1 byte).
inline Bytes KeyboardAndConsumerDescriptor() {
    return {
        0x05, 0x01, 0x09, 0x06, 0xA1, 0x01,  // Generic Desktop, Keyboard, Collection
        0x85, 0x01,                          //   Report ID 1
        0x75, 0x01, 0x95, 0x08, 0x81, 0x02,  //   8 x 1 bit modifiers, Input
        0x75, 0x08, 0x95, 0x01, 0x81, 0x01,  //   1 reserved byte, Input (Constant)
        0x95, 0x06, 0x81, 0x00,              //   6 key bytes, Input (Array)
        0x75, 0x01, 0x95, 0x05, 0x91, 0x02,  //   5 LED bits, Output
        0x75, 0x03, 0x95, 0x01, 0x91, 0x01,  //   3 bits padding, Output
        0xC0,                                // End Collection
        0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01,  // Consumer, Consumer Control, Collection
        0x85, 0x02,                          //   Report ID 2
        0x75, 0x10, 0x95, 0x01, 0x81, 0x00,  //   1 x 16 bits, Input
        0x85, 0x04,                          //   Report ID 4
        0x95, 0x01, 0x81, 0x00,              //   1 x 16 bits, Input
        0xA4, 0x75, 0x08, 0x95, 0x02,        //   Push, 2 x 8 bits,
        0x81, 0x00, 0xB4,                    //   Input, Pop
        0x85, 0x03,                          //   Report ID 3
        0x75, 0x08, 0xB1, 0x02,              //   1 x 8 bits, Feature
        0xC0,                                // End Collection
    };
}

}  // namespace t47::test
