#pragma once

// Where the agent's files are: the settings file and the macro library under the user's
// application-data folder, the language files and the companion UI beside the agent's own
// executable. Paths are joined with backslashes, as Windows spells them.

#include <cstdint>
#include <string>
#include <string_view>

namespace t47 {

inline constexpr char16_t kAgentDataFolder[] = u"\\Norvane\\T47";
inline constexpr char16_t kSettingsFileName[] = u"\\GamingMouse";
inline constexpr char16_t kMacroLibraryFileName[] = u"\\BulletSetting";

std::u16string SettingsFilePath(std::u16string_view applicationData);
std::u16string MacroLibraryFilePath(std::u16string_view applicationData);

// "\Lan\skin_En.ini" for lan_id 1, "\Lan\skin_Cs.ini" for any other value.
std::u16string LanguageFilePath(std::u16string_view agentFolder, std::int32_t lanId);

std::u16string CompanionProgramPath(std::u16string_view agentFolder);

}  // namespace t47
