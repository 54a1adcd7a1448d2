#include "platform/win32/testing/program_resources.h"

#include <fstream>
#include <iterator>

#include "platform/win32/win32_handles.h"

namespace t47::testing {
namespace {

// RT_GROUP_ICON, which the headers spell as the ANSI functions take it.
const wchar_t* const kGroupIconType = MAKEINTRESOURCEW(14);

// The program mapped for its resources only, closed at the end of the scope.
class ResourceModule {
  public:
    explicit ResourceModule(const std::filesystem::path& program)
        : module(LoadLibraryExW(program.wstring().c_str(), nullptr,
                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    ~ResourceModule() {
        if (module != nullptr) {
            FreeLibrary(module);
        }
    }
    ResourceModule(const ResourceModule&) = delete;
    ResourceModule& operator=(const ResourceModule&) = delete;

    const HMODULE module;
};

std::uint32_t Read(const std::string& bytes, std::size_t offset, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size && offset + i < bytes.size(); ++i) {
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << 8 * i;
    }
    return value;
}

}  // namespace

std::optional<std::uint16_t> ProgramSubsystem(const std::filesystem::path& program) {
    std::ifstream in(program, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // The DOS header names the PE header; its optional header follows the 20-byte file header,
    // and holds the subsystem at offset 68.
    const std::size_t header = Read(bytes, 0x3C, 4);
    if (bytes.size() < header + 24 + 70 || Read(bytes, header, 4) != 0x00004550) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(Read(bytes, header + 24 + 68, 2));
}

std::vector<IconImageFacts> IconGroup(const std::filesystem::path& program, std::uint32_t id) {
    const ResourceModule file(program);
    const HRSRC found = file.module != nullptr
                            ? FindResourceW(file.module, MAKEINTRESOURCEW(id), kGroupIconType)
                            : nullptr;
    if (found == nullptr) {
        return {};
    }
    const auto* data =
        static_cast<const std::uint8_t*>(LockResource(LoadResource(file.module, found)));
    const DWORD size = SizeofResource(file.module, found);
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // GRPICONDIR: reserved, type, count (2 bytes each), then 14-byte entries: width, height,
    // colours, reserved (1 byte each), planes, bit count (2 each), bytes (4), id (2).
    std::vector<IconImageFacts> images;
    const std::uint32_t count = Read(bytes, 4, 2);
    for (std::uint32_t i = 0; i < count && 6 + 14 * (i + 1) <= bytes.size(); ++i) {
        const std::size_t entry = 6 + 14 * i;
        const auto width = static_cast<int>(Read(bytes, entry, 1));
        const auto height = static_cast<int>(Read(bytes, entry + 1, 1));
        images.push_back({width == 0 ? 256 : width, height == 0 ? 256 : height,
                          static_cast<int>(Read(bytes, entry + 6, 2))});
    }
    return images;
}

std::u16string VersionText(const std::filesystem::path& program, std::u16string_view name) {
    const std::wstring file = program.wstring();
    std::vector<std::uint8_t> block(GetFileVersionInfoSizeW(file.c_str(), nullptr));
    wchar_t* value = nullptr;
    UINT length = 0;
    if (block.empty() ||
        !GetFileVersionInfoW(file.c_str(), 0, static_cast<DWORD>(block.size()), block.data()) ||
        !VerQueryValueW(block.data(), (L"\\StringFileInfo\\040904B0\\" + WideCString(name)).c_str(),
                        reinterpret_cast<void**>(&value), &length)) {
        return {};
    }
    return Utf16FromWide(value);
}

}  // namespace t47::testing
