#include "platform/memory/memory_registry.h"

namespace t47 {

MemoryRegistry::KeyName MemoryRegistry::NameOf(RegistryRoot root, std::u16string_view subKey) {
    std::u16string folded(subKey);
    for (char16_t& unit : folded) {
        if (unit >= u'A' && unit <= u'Z') {
            unit = static_cast<char16_t>(unit - u'A' + u'a');
        }
    }
    return {root, folded};
}

RegistryKey MemoryRegistry::OpenKey(RegistryRoot root, std::u16string_view subKey,
                                    std::uint32_t access) {
    const std::lock_guard lock(mutex);
    accessRequested.push_back(access);
    const KeyName name = NameOf(root, subKey);
    if (!subKey.empty() && keys.count(name) == 0) {
        return kNoRegistryKey;
    }
    const std::uintptr_t value = nextHandle;
    nextHandle += 4;
    openKeys[value] = name;
    return RegistryKey{value};
}

RegistryKey MemoryRegistry::CreateKey(RegistryRoot root, std::u16string_view subKey) {
    const std::lock_guard lock(mutex);
    const KeyName name = NameOf(root, subKey);
    keys[name];
    const std::uintptr_t value = nextHandle;
    nextHandle += 4;
    openKeys[value] = name;
    return RegistryKey{value};
}

bool MemoryRegistry::SetValue(RegistryKey key, std::u16string_view name, std::uint32_t type,
                              std::span<const std::uint8_t> data) {
    const std::lock_guard lock(mutex);
    const auto open = openKeys.find(static_cast<std::uintptr_t>(key));
    if (open == openKeys.end()) {
        return false;
    }
    keys[open->second][std::u16string(name)] = {type, {data.begin(), data.end()}};
    return true;
}

void MemoryRegistry::CloseKey(RegistryKey key) {
    const std::lock_guard lock(mutex);
    openKeys.erase(static_cast<std::uintptr_t>(key));
}

bool MemoryRegistry::KeyExists(RegistryRoot root, std::u16string_view subKey) const {
    const std::lock_guard lock(mutex);
    return keys.count(NameOf(root, subKey)) != 0;
}

std::optional<RegistryValue> MemoryRegistry::Value(RegistryRoot root, std::u16string_view subKey,
                                                   std::u16string_view name) const {
    const std::lock_guard lock(mutex);
    const auto key = keys.find(NameOf(root, subKey));
    if (key == keys.end()) {
        return std::nullopt;
    }
    const auto value = key->second.find(std::u16string(name));
    if (value == key->second.end()) {
        return std::nullopt;
    }
    return value->second;
}

std::optional<std::u16string> MemoryRegistry::Text(RegistryRoot root, std::u16string_view subKey,
                                                   std::u16string_view name) const {
    const std::optional<RegistryValue> value = Value(root, subKey, name);
    if (!value || value->type != kRegSz || value->data.size() % 2 != 0 || value->data.size() < 2 ||
        value->data[value->data.size() - 1] != 0 || value->data[value->data.size() - 2] != 0) {
        return std::nullopt;
    }
    std::u16string text;
    for (std::size_t i = 0; i + 2 < value->data.size(); i += 2) {
        text.push_back(static_cast<char16_t>(value->data[i] | (value->data[i + 1] << 8)));
    }
    return text;
}

int MemoryRegistry::OpenKeyCount() const {
    const std::lock_guard lock(mutex);
    return static_cast<int>(openKeys.size());
}

std::vector<std::uint32_t> MemoryRegistry::AccessRequested() const {
    const std::lock_guard lock(mutex);
    return accessRequested;
}

}  // namespace t47
