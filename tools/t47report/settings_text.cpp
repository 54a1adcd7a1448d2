#include "settings_text.h"

#include <functional>
#include <string_view>

#include "platform/profile/profile_file_draft.h"
#include "settings/macro_library_file.h"
#include "settings/settings_file.h"

namespace t47 {
namespace {

// The text the agent's own writers make of a new file: they write into a file held in memory,
// in UTF-8 with LF whatever the platform. Nothing touches the disk.
std::string TextWrittenBy(const std::function<void(ProfileFiles&, std::u16string_view)>& write) {
    ProfileFileDraft draft(NewFileFormat{TextEncoding::kUtf8, LineEnd::kLf});
    // The writers skip an empty path; the draft needs none.
    write(draft, u"settings");
    return draft.Bytes();
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
