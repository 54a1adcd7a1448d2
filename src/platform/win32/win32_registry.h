#pragma once

// The registry over the Windows functions (RegOpenKeyExW, RegCreateKeyW, RegSetValueExW,
// RegCloseKey). RegistryKey values are the system's HKEYs.

#include "platform/registry.h"

namespace t47 {

class Win32Registry final : public Registry {
  public:
    RegistryKey OpenKey(RegistryRoot root, std::u16string_view subKey,
                        std::uint32_t access) override;
    RegistryKey CreateKey(RegistryRoot root, std::u16string_view subKey) override;
    bool SetValue(RegistryKey key, std::u16string_view name, std::uint32_t type,
                  std::span<const std::uint8_t> data) override;
    void CloseKey(RegistryKey key) override;
};

}  // namespace t47
