#include "platform/win32/win32_registry.h"

#include <limits>

#include "platform/win32/win32_handles.h"

namespace t47 {
namespace {

HKEY SystemKey(RegistryKey key) {
    return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(key));
}

RegistryKey KeyOf(HKEY key) {
    return static_cast<RegistryKey>(reinterpret_cast<std::uintptr_t>(key));
}

}  // namespace

RegistryKey Win32Registry::OpenKey(RegistryRoot root, std::u16string_view subKey,
                                   std::uint32_t access) {
    const HKEY rootKey = SystemRegistryRoot(root);
    HKEY key = nullptr;
    if (rootKey == nullptr ||
        RegOpenKeyExW(rootKey, WideCString(subKey).c_str(), 0, access, &key) != ERROR_SUCCESS) {
        return kNoRegistryKey;
    }
    return KeyOf(key);
}

RegistryKey Win32Registry::CreateKey(RegistryRoot root, std::u16string_view subKey) {
    const HKEY rootKey = SystemRegistryRoot(root);
    HKEY key = nullptr;
    if (rootKey == nullptr ||
        RegCreateKeyW(rootKey, WideCString(subKey).c_str(), &key) != ERROR_SUCCESS) {
        return kNoRegistryKey;
    }
    return KeyOf(key);
}

bool Win32Registry::SetValue(RegistryKey key, std::u16string_view name, std::uint32_t type,
                             std::span<const std::uint8_t> data) {
    if (key == kNoRegistryKey || data.size() > std::numeric_limits<DWORD>::max()) {
        return false;
    }
    return RegSetValueExW(SystemKey(key), WideCString(name).c_str(), 0, type, data.data(),
                          static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

void Win32Registry::CloseKey(RegistryKey key) {
    if (key != kNoRegistryKey) {
        RegCloseKey(SystemKey(key));
    }
}

}  // namespace t47
