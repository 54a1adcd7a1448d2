#pragma once

// The macro library file "BulletSetting": bullet macros under numbered entries, one section
// "BulletProfile%d" each. The agent only writes it, from the download of the mouse's state.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/profile_files.h"
#include "settings/macro_event.h"

namespace t47 {

// "BulletProfile%d".
std::u16string LibrarySectionName(std::int32_t number);

// Writes key "BulletNum" (the macro's bullet events) and then key "Macro" (its 92 event slots)
// of entry `number`; an existing entry is replaced where it stands. Results are not reported.
void WriteLibraryEntry(ProfileFiles& files, std::u16string_view libraryPath, std::int32_t number,
                       std::int32_t bulletCount,
                       std::span<const std::uint8_t, kMacroEventsSize> events);

}  // namespace t47
