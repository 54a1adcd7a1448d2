#include "platform/linux/hidraw_nodes.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>

#include "platform/profile/file_contents.h"
#include "platform/text_encoding.h"

namespace t47 {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kNodePrefix = "hidraw";
constexpr std::u16string_view kCollectionMark = u"#col";

fs::path NodeFolder(const fs::path& sysfsRoot, std::string_view name) {
    return sysfsRoot / "class" / "hidraw" / name;
}

// One field of HID_ID: 1 to 8 hex digits.
std::optional<std::uint32_t> HexField(std::string_view field) {
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value, 16);
    if (field.empty() || field.size() > 8 || error != std::errc() ||
        end != field.data() + field.size()) {
        return std::nullopt;
    }
    return value;
}

// Node numbers compare as numbers: hidraw2 before hidraw10.
bool ByNumber(const HidrawNode& a, const HidrawNode& b) {
    if (a.name.size() != b.name.size()) {
        return a.name.size() < b.name.size();
    }
    return a.name < b.name;
}

}  // namespace

bool IsHidrawNodeName(std::string_view name) {
    if (!name.starts_with(kNodePrefix) || name.size() == kNodePrefix.size()) {
        return false;
    }
    return std::all_of(name.begin() + kNodePrefix.size(), name.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<HidAttributes> AttributesFromUevent(std::string_view uevent) {
    constexpr std::string_view kKey = "HID_ID=";
    while (!uevent.empty()) {
        const std::size_t end = std::min(uevent.find('\n'), uevent.size());
        std::string_view line = uevent.substr(0, end);
        uevent.remove_prefix(std::min(end + 1, uevent.size()));
        if (!line.starts_with(kKey)) {
            continue;
        }
        line.remove_prefix(kKey.size());
        const std::size_t first = line.find(':');
        const std::size_t second = line.find(':', first == line.npos ? first : first + 1);
        if (second == line.npos) {
            return std::nullopt;
        }
        const auto bus = HexField(line.substr(0, first));
        const auto vendor = HexField(line.substr(first + 1, second - first - 1));
        const auto product = HexField(line.substr(second + 1));
        // Ids wider than 16 bits are no device's that Windows would list; cutting them could
        // make one look like the mouse.
        if (!bus || !vendor || !product || *vendor > 0xFFFF || *product > 0xFFFF) {
            return std::nullopt;
        }
        return HidAttributes{static_cast<std::uint16_t>(*vendor),
                             static_cast<std::uint16_t>(*product)};
    }
    return std::nullopt;
}

std::optional<HidrawNode> ReadHidrawNode(const fs::path& sysfsRoot, std::string_view name) {
    if (!IsHidrawNodeName(name)) {
        return std::nullopt;
    }
    const fs::path device = NodeFolder(sysfsRoot, name) / "device";
    const std::optional<std::string> descriptorBytes =
        ReadFileContents(device / "report_descriptor", 4096);
    const std::optional<std::string> uevent = ReadFileContents(device / "uevent", 512);
    if (!descriptorBytes || !uevent) {
        return std::nullopt;
    }
    const std::optional<HidAttributes> attributes = AttributesFromUevent(*uevent);
    std::optional<HidReportDescriptor> descriptor = ParseReportDescriptor(
        {reinterpret_cast<const std::uint8_t*>(descriptorBytes->data()), descriptorBytes->size()});
    if (!attributes || !descriptor) {
        return std::nullopt;
    }
    return HidrawNode{std::string(name), *attributes, std::move(*descriptor)};
}

std::vector<HidrawNode> ListHidrawNodes(const fs::path& sysfsRoot) {
    std::vector<HidrawNode> nodes;
    std::error_code error;
    for (fs::directory_iterator entry(sysfsRoot / "class" / "hidraw", error), end;
         !error && entry != end; entry.increment(error)) {
        if (std::optional<HidrawNode> node =
                ReadHidrawNode(sysfsRoot, entry->path().filename().native())) {
            nodes.push_back(std::move(*node));
        }
    }
    std::sort(nodes.begin(), nodes.end(), ByNumber);
    return nodes;
}

std::u16string InterfacePath(const fs::path& devRoot, const HidInterfaceAddress& address) {
    char number[24];
    std::snprintf(number, sizeof number, "%02zu", address.collection);
    return Utf16FromPath(devRoot / address.node) + std::u16string(kCollectionMark) +
           Utf16FromUtf8(number);
}

std::optional<HidInterfaceAddress> ParseInterfacePath(const fs::path& devRoot,
                                                      std::u16string_view path) {
    const std::size_t mark = path.rfind(kCollectionMark);
    if (mark == path.npos) {
        return std::nullopt;
    }
    const std::string digits = Utf8FromUtf16(path.substr(mark + kCollectionMark.size()));
    HidInterfaceAddress address;
    address.node = PathFromUtf16(path.substr(0, mark)).filename().native();
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), address.collection);
    if (error != std::errc() || end != digits.data() + digits.size() || address.collection == 0 ||
        !IsHidrawNodeName(address.node) || InterfacePath(devRoot, address) != path) {
        return std::nullopt;
    }
    return address;
}

}  // namespace t47
