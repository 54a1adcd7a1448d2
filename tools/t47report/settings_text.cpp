#include "settings_text.h"

#include <filesystem>
#include <functional>
#include <random>
#include <string_view>

#include "platform/profile/file_contents.h"
#include "platform/profile/profile_engine.h"
#include "platform/text_encoding.h"
#include "settings/macro_library_file.h"
#include "settings/settings_file.h"

namespace t47 {
namespace {

// The text the agent's own writers make of a new file: they write into a file of a fresh
// folder, through the engine set to UTF-8 and LF whatever the platform, and the folder goes.
std::string TextWrittenBy(const std::function<void(ProfileFiles&, std::u16string_view)>& write) {
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("t47report-" + std::to_string(std::random_device{}()) + "-" +
                                     std::to_string(std::random_device{}()));
    fs::create_directories(folder);
    struct RemoveFolder {
        const fs::path& folder;
        ~RemoveFolder() {
            std::error_code ignored;
            fs::remove_all(folder, ignored);
        }
    } removeFolder{folder};

    const fs::path file = folder / "settings";
    ProfileEngine engine(NewFileFormat{TextEncoding::kUtf8, LineEnd::kLf});
    write(engine, Utf16FromPath(file));
    return ReadFileContents(file, 0).value_or(std::string());
}

}  // namespace

std::string SettingsText(const SettingData& settings) {
    return TextWrittenBy([&](ProfileFiles& files, std::u16string_view path) {
        WriteAllSettings(files, settings, path);
    });
}

std::string ProfileSectionText(const ProfileData& profile, std::int32_t section) {
    return TextWrittenBy([&](ProfileFiles& files, std::u16string_view path) {
        WriteProfile(files, profile, section, path);
    });
}

std::string LibraryText(std::span<const LibraryEntry> entries) {
    if (entries.empty()) {
        return {};
    }
    return TextWrittenBy([&](ProfileFiles& files, std::u16string_view path) {
        for (const LibraryEntry& entry : entries) {
            WriteLibraryEntry(files, path, entry.number, entry.bulletCount, entry.events);
        }
    });
}

}  // namespace t47
