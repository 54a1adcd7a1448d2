#include "platform/linux/linux_platform.h"

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

LinuxPlatform::LinuxPlatform(UserFolders folders)
    : systemSettings(SystemSettingsPath(folders)),
      files(MakeSystemProfileFiles()),
      windows(folders.runtime),
      desktop(windows, debug),
      hid(folders.sysfs, folders.dev, nodeIo, windows),
      shell(folders.config, debug, desktop.Tray()),
      process(folders.runtime),
      registry(*files, debug, systemSettings),
      parameters(*files, debug, systemSettings) {
    desktop.SetCompanionCheck([this] { return shell.CompanionCommand().has_value(); });
}

PlatformServices LinuxPlatform::Services() {
    return {*files, hid,     clock,    debug,      windows, desktop.Windows(),
            shell,  process, registry, parameters, desktop};
}

}  // namespace t47
