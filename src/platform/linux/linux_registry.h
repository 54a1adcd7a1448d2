#pragma once

// The registry on Linux: the text values the agent writes, kept in a profile file of their own
// (one section per key, named by its full path, "HKEY_CURRENT_USER\Control Panel\Mouse") and
// said on the debug output. Every key exists, as "Control Panel\Mouse" does on every Windows
// system; only text values (REG_SZ) are kept.

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "platform/debug_output.h"
#include "platform/profile_files.h"
#include "platform/registry.h"

namespace t47 {

class LinuxRegistry final : public Registry {
  public:
    LinuxRegistry(ProfileFiles& files, DebugOutput& debug, std::u16string filePath);

    // kNoRegistryKey for an unknown root or a sub-key that no section name can hold.
    RegistryKey OpenKey(RegistryRoot root, std::u16string_view subKey,
                        std::uint32_t access) override;
    RegistryKey CreateKey(RegistryRoot root, std::u16string_view subKey) override;
    // False for another type, text that is not UTF-16LE, and a name or text that a profile
    // file cannot hold as a key and value (line breaks, '=' in the name).
    bool SetValue(RegistryKey key, std::u16string_view name, std::uint32_t type,
                  std::span<const std::uint8_t> data) override;
    void CloseKey(RegistryKey key) override;

  private:
    ProfileFiles& files;
    DebugOutput& debug;
    const std::u16string filePath;

    std::mutex mutex;
    std::map<std::uintptr_t, std::u16string> keys;  // open keys and their sections
    std::uintptr_t nextKey = 1;
};

}  // namespace t47
