#pragma once

// A registry key opened from a text path: a root name, a backslash, and the sub-key, such as
// "HKEY_CURRENT_USER\Control Panel\Mouse". Root names compare without case:
//
//   root name              root
//   HKEY_LOCAL_MACHINE     kLocalMachine
//   HKEY_CURRENT_USER      kCurrentUser
//   HKEY_CURRENT_CONFIG    kCurrentConfig
//   HKEY_CLASSES_ROOT      kClassesRoot
//   anything else          kLocalMachine, the whole path its sub-key
//
// The key stays open until the next OpenPath or the object's end.

#include <cstdint>
#include <string_view>

#include "platform/registry.h"
#include "settings/text_field.h"

namespace t47 {

class RegistryPathKey {
  public:
    static constexpr std::size_t kSubKeyUnits = 260;  // with the terminating zero

    explicit RegistryPathKey(Registry& registry);
    ~RegistryPathKey();

    RegistryPathKey(const RegistryPathKey&) = delete;
    RegistryPathKey& operator=(const RegistryPathKey&) = delete;

    // Closes the key held, then opens the path's key with this access, creating it when it
    // cannot be opened. 1 when a key is open. A path that does not split opens nothing.
    std::int32_t OpenPath(std::u16string_view path, std::uint32_t access);

    // Chooses the root and the sub-key; 0, changing nothing, for a path without a backslash or
    // a sub-key longer than its field.
    std::int32_t SplitRootPath(std::u16string_view path);

    // A REG_SZ value in the open key, written with its terminating zero; 1 on success.
    std::int32_t WriteStringValue(std::u16string_view name, std::u16string_view value);

    // Closes the key if open and empties the sub-key; the root stays.
    void CloseKey();

    RegistryRoot Root() const { return root; }
    std::u16string_view SubKey() const { return TextOf(subKey); }
    bool IsOpen() const { return key != kNoRegistryKey; }

  private:
    Registry& registry;
    RegistryKey key = kNoRegistryKey;
    RegistryRoot root{};
    TextField<kSubKeyUnits> subKey{};
};

}  // namespace t47
