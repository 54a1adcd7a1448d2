#include "settings/macro_library_file.h"

#include "settings/ini_file.h"

namespace t47 {

std::u16string LibrarySectionName(std::int32_t number) {
    return u"BulletProfile" + DecimalText(number);
}

void WriteLibraryEntry(ProfileFiles& files, std::u16string_view libraryPath, std::int32_t number,
                       std::int32_t bulletCount,
                       std::span<const std::uint8_t, kMacroEventsSize> events) {
    IniFile ini(files, libraryPath);
    const std::u16string section = LibrarySectionName(number);
    ini.WriteInt(section, u"BulletNum", bulletCount);
    ini.WriteStruct(section, u"Macro", events);
}

}  // namespace t47
