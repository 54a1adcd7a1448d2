#include "platform/linux/linux_platform.h"

#include <cstdlib>

#include "platform/system_profile_files.h"
#include "platform/text_encoding.h"

namespace t47 {

std::u16string LinuxPlatform::SystemSettingsPath(const UserFolders& folders) {
    if (!folders.config) {
        return {};  // every write to it then fails, and nothing is written elsewhere
    }
    const std::filesystem::path product = *folders.config / kProductFolder;
    std::error_code ignored;
    std::filesystem::create_directories(product, ignored);
    return Utf16FromPath(product / kSystemSettingsFile);
}

namespace {

std::unique_ptr<DesktopPointerWriter> DesktopPointerOf(const DesktopSession& session,
                                                       ProgramRunner& programs,
                                                       DebugOutput& debug) {
    const Desktop desktop = DesktopOf(session.currentDesktop);
    if (desktop == Desktop::kOther) {
        return nullptr;
    }
    return std::make_unique<DesktopPointerWriter>(desktop, programs, debug);
}

}  // namespace

DesktopSession DesktopSessionFromEnvironment() {
    const auto variable = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
    return {variable("XDG_CURRENT_DESKTOP"), variable("PATH")};
}

LinuxPlatform::LinuxPlatform(UserFolders folders, const DesktopSession& session)
    : systemSettings(SystemSettingsPath(folders)),
      files(MakeSystemProfileFiles()),
      windows(folders.runtime),
      desktop(windows, debug),
      hid(folders.sysfs, folders.dev, nodeIo, windows),
      shell(folders.config, debug, desktop.Tray()),
      process(folders.runtime),
      registry(*files, debug, systemSettings),
      desktopPrograms(session.searchPath),
      desktopPointer(DesktopPointerOf(session, desktopPrograms, debug)),
      parameters(*files, debug, systemSettings, desktopPointer.get()) {
    desktop.SetCompanionCheck([this] { return shell.CompanionCommand().has_value(); });
}

PlatformServices LinuxPlatform::Services() {
    return {*files, hid,     clock,    debug,      windows, desktop.Windows(),
            shell,  process, registry, parameters, desktop};
}

}  // namespace t47
