#pragma once

// The in-memory platform's registry: keys by root and path (letters compared without case, as
// the registry does), values as the bytes written, and open keys counted.

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/registry.h"

namespace t47 {

struct RegistryValue {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;

    friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

class MemoryRegistry final : public Registry {
  public:
    RegistryKey OpenKey(RegistryRoot root, std::u16string_view subKey,
                        std::uint32_t access) override;
    RegistryKey CreateKey(RegistryRoot root, std::u16string_view subKey) override;
    bool SetValue(RegistryKey key, std::u16string_view name, std::uint32_t type,
                  std::span<const std::uint8_t> data) override;
    void CloseKey(RegistryKey key) override;

    bool KeyExists(RegistryRoot root, std::u16string_view subKey) const;
    std::optional<RegistryValue> Value(RegistryRoot root, std::u16string_view subKey,
                                       std::u16string_view name) const;
    // A REG_SZ value's text without its terminating zero; none when missing or of another form.
    std::optional<std::u16string> Text(RegistryRoot root, std::u16string_view subKey,
                                       std::u16string_view name) const;
    int OpenKeyCount() const;
    // Access rights asked for at each OpenKey, in order.
    std::vector<std::uint32_t> AccessRequested() const;

  private:
    using KeyName = std::pair<RegistryRoot, std::u16string>;  // path folded to lower case
    static KeyName NameOf(RegistryRoot root, std::u16string_view subKey);

    mutable std::mutex mutex;
    std::map<KeyName, std::map<std::u16string, RegistryValue>> keys;
    std::map<std::uintptr_t, KeyName> openKeys;
    std::uintptr_t nextHandle = 0x300;
    std::vector<std::uint32_t> accessRequested;
};

}  // namespace t47
