#pragma once

// For tests: the registry's values and the pointer settings as the system holds them, read
// back by other functions than the ones under test, and put back afterwards.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/registry.h"
#include "platform/system_parameters.h"

namespace t47::testing {

struct RegistryValue {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> bytes;

    friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

// None when the key or the value is missing.
std::optional<RegistryValue> ReadRegistryValue(RegistryRoot root, std::u16string_view subKey,
                                               std::u16string_view name);
// The key with everything below it.
void DeleteRegistryTree(RegistryRoot root, std::u16string_view subKey);

struct PointerSettings {
    std::uint32_t doubleClickTime = 0;
    MouseAcceleration acceleration;
    std::uint32_t wheelScrollLines = 0;

    friend bool operator==(const PointerSettings&, const PointerSettings&) = default;
};

PointerSettings ReadPointerSettings();
// Into the running session and the user profile.
void RestorePointerSettings(const PointerSettings& settings);

}  // namespace t47::testing
