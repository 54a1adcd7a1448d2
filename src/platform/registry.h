#pragma once

// The system's registry: keys under a root, and values written into them.

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/handles.h"

namespace t47 {

// The roots, by their Windows values.
enum class RegistryRoot : std::uint32_t {
    kClassesRoot = 0x80000000,
    kCurrentUser = 0x80000001,
    kLocalMachine = 0x80000002,
    kCurrentConfig = 0x80000005,
};

// Access rights and value types, by their Windows values.
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;
inline constexpr std::uint32_t kRegSz = 1;

class Registry {
  public:
    virtual ~Registry() = default;

    // An existing key; kNoRegistryKey when it is missing or cannot be opened with that access.
    virtual RegistryKey OpenKey(RegistryRoot root, std::u16string_view subKey,
                                std::uint32_t access) = 0;

    // The key, created with its parents when missing; kNoRegistryKey on failure.
    virtual RegistryKey CreateKey(RegistryRoot root, std::u16string_view subKey) = 0;

    // Stores the value's bytes as given (for kRegSz: UTF-16LE text and its terminating zero).
    virtual bool SetValue(RegistryKey key, std::u16string_view name, std::uint32_t type,
                          std::span<const std::uint8_t> data) = 0;

    virtual void CloseKey(RegistryKey key) = 0;
};

}  // namespace t47
