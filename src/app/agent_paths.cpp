#include "app/agent_paths.h"

#include "contract/companion_contract.h"

namespace t47 {

std::u16string SettingsFilePath(std::u16string_view applicationData) {
    return std::u16string(applicationData) + kAgentDataFolder + kSettingsFileName;
}

std::u16string MacroLibraryFilePath(std::u16string_view applicationData) {
    return std::u16string(applicationData) + kAgentDataFolder + kMacroLibraryFileName;
}

std::u16string LanguageFilePath(std::u16string_view agentFolder, std::int32_t lanId) {
    return std::u16string(agentFolder) +
           (lanId == 1 ? u"\\Lan\\skin_En.ini" : u"\\Lan\\skin_Cs.ini");
}

std::u16string CompanionProgramPath(std::u16string_view agentFolder) {
    return std::u16string(agentFolder) + u"\\" + kCompanionProgram;
}

}  // namespace t47
