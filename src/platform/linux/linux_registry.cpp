#include "platform/linux/linux_registry.h"

#include <optional>

namespace t47 {
namespace {

std::optional<std::u16string_view> RootName(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::kClassesRoot:
            return u"HKEY_CLASSES_ROOT";
        case RegistryRoot::kCurrentUser:
            return u"HKEY_CURRENT_USER";
        case RegistryRoot::kLocalMachine:
            return u"HKEY_LOCAL_MACHINE";
        case RegistryRoot::kCurrentConfig:
            return u"HKEY_CURRENT_CONFIG";
    }
    return std::nullopt;
}

bool HasLineBreak(std::u16string_view text) {
    return text.find_first_of(u"\r\n") != text.npos;
}

}  // namespace

LinuxRegistry::LinuxRegistry(ProfileFiles& profileFiles, DebugOutput& debugOutput,
                             std::u16string path)
    : files(profileFiles), debug(debugOutput), filePath(std::move(path)) {}

RegistryKey LinuxRegistry::OpenKey(RegistryRoot root, std::u16string_view subKey, std::uint32_t) {
    return CreateKey(root, subKey);
}

RegistryKey LinuxRegistry::CreateKey(RegistryRoot root, std::u16string_view subKey) {
    const std::optional<std::u16string_view> rootName = RootName(root);
    if (!rootName || HasLineBreak(subKey) || subKey.find(u']') != subKey.npos) {
        return kNoRegistryKey;
    }
    std::u16string section(*rootName);
    if (!subKey.empty()) {
        section += u"\\";
        section += subKey;
    }
    std::lock_guard lock(mutex);
    const std::uintptr_t key = nextKey++;
    keys.emplace(key, std::move(section));
    return RegistryKey{key};
}

bool LinuxRegistry::SetValue(RegistryKey key, std::u16string_view name, std::uint32_t type,
                             std::span<const std::uint8_t> data) {
    std::u16string section;
    {
        std::lock_guard lock(mutex);
        const auto found = keys.find(static_cast<std::uintptr_t>(key));
        if (found == keys.end()) {
            return false;
        }
        section = found->second;
    }
    if (type != kRegSz || data.size() % 2 != 0 || name.empty() || HasLineBreak(name) ||
        name.find(u'=') != name.npos || name.front() == u'[' || name.front() == u';') {
        return false;
    }
    // The text ends at its terminating zero, or with the data when it has none.
    std::u16string value;
    for (std::size_t i = 0; i < data.size(); i += 2) {
        const auto unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (unit == 0) {
            break;
        }
        value += unit;
    }
    if (HasLineBreak(value)) {
        return false;
    }
    debug.Write(u"Registry: " + section + u"\\" + std::u16string(name) + u" = " + value + u"\n");
    return files.WriteProfileString(section, name, value, filePath);
}

void LinuxRegistry::CloseKey(RegistryKey key) {
    std::lock_guard lock(mutex);
    keys.erase(static_cast<std::uintptr_t>(key));
}

}  // namespace t47
