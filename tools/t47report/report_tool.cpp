#include "report_tool.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <istream>
#include <ostream>
#include <stdexcept>
#include <vector>

#include "hex_bytes.h"
#include "platform/profile/file_contents.h"
#include "platform/text_encoding.h"
#include "protocol/button_macro_report.h"
#include "protocol/button_macro_report_decoding.h"
#include "protocol/command_report.h"
#include "protocol/settings_report.h"
#include "settings/settings_defaults.h"
#include "settings/settings_file.h"
#include "settings_text.h"

namespace t47 {
namespace {

namespace fs = std::filesystem;

constexpr char kUsage[] =
    "usage: t47report load FILE | t47report encode FILE [SLOT] | t47report decode [FILE]";

// Input the tool refuses; its text is the one line the user sees.
class BadInput : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

std::string Shown(std::u16string_view text) {
    return Utf8FromUtf16(text);
}

// As large as the agent reads a settings file; the same bound keeps standard input in memory.
constexpr std::uintmax_t kMaxInputBytes = kMaxProfileFileBytes;
const std::string kMaxInputText = std::to_string(kMaxInputBytes >> 20) + " MiB";

void RequireReadableFile(const std::u16string& path) {
    const fs::path file = PathFromUtf16(path);
    std::error_code error;
    if (!fs::exists(file, error)) {
        throw BadInput("no such file: " + Shown(path));
    }
    if (!fs::is_regular_file(file, error) || !std::ifstream(file, std::ios::binary)) {
        throw BadInput("cannot read: " + Shown(path));
    }
    // The agent reads such a file as missing: what it would show is not in the file.
    if (fs::file_size(file, error) > kMaxInputBytes) {
        throw BadInput("larger than a settings file can be (" + kMaxInputText +
                       "): " + Shown(path));
    }
}

// A missing file is created by the load, which needs its folder.
void RequireLoadableFile(const std::u16string& path) {
    const fs::path file = PathFromUtf16(path);
    std::error_code error;
    if (fs::exists(file, error)) {
        RequireReadableFile(path);
        return;
    }
    const fs::path folder = file.parent_path();
    if (!folder.empty() && !fs::is_directory(folder, error)) {
        throw BadInput("no such folder: " + Shown(Utf16FromPath(folder)));
    }
}

SettingData ReadSettings(ProfileFiles& files, const std::u16string* path) {
    SettingData settings = DefaultSettings();
    if (path != nullptr) {
        RequireReadableFile(*path);
        ReadValidatedSettings(files, *path, settings);
    }
    return settings;
}

std::size_t ParseSlot(std::u16string_view text, const SettingData& settings) {
    const std::string digits = Shown(text);
    int slot = -1;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), slot);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
        slot < 0 || slot >= settings.Totle) {
        throw BadInput("bad slot: " + digits + " (slots in use: 0 to " +
                       std::to_string(settings.Totle - 1) + ")");
    }
    return static_cast<std::size_t>(slot);
}

void Load(ProfileFiles& files, const std::u16string& path, std::ostream& out) {
    RequireLoadableFile(path);
    SettingData working = DefaultSettings();
    SettingData applied = DefaultSettings();
    ProfileData current = DefaultProfile();
    LoadSettings(files, path, working, applied, current);
    // The folder was there; the new file still may not be.
    if (!files.FileExists(path)) {
        throw BadInput("cannot create " + Shown(path) +
                       ": writing a new file into its folder failed (permissions? disk full?)");
    }
    out << SettingsText(working);
}

void Encode(ProfileFiles& files, std::span<const std::u16string> arguments, std::ostream& out) {
    const SettingData settings = ReadSettings(files, &arguments[0]);
    const std::size_t slot = arguments.size() > 1 ? ParseSlot(arguments[1], settings)
                                                  : static_cast<std::size_t>(settings.Active);
    const ProfileData& profile = settings.Profiles[slot];
    out << HexBytesText(BuildSettingsReport(profile)) << '\n';
    out << HexBytesText(BuildButtonMacroReport(profile.ButtonAssigned)) << '\n';
    out << HexBytesText(BuildCommandReport()) << '\n';
}

std::vector<std::uint8_t> ReadReport(std::istream& in) {
    std::string text;
    char chunk[4096];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        text.append(chunk, static_cast<std::size_t>(in.gcount()));
        if (text.size() > kMaxInputBytes) {
            throw BadInput("standard input holds more than " + kMaxInputText);
        }
    }
    std::optional<std::vector<std::uint8_t>> bytes = ParseHexBytes(text);
    if (!bytes) {
        throw BadInput("standard input is not hex bytes");
    }
    if (bytes->empty()) {
        throw BadInput("no report on standard input");
    }
    const std::uint8_t id = bytes->front();
    const std::size_t expected = id == kSettingsReportId      ? kSettingsReportSize
                                 : id == kButtonMacroReportId ? kButtonMacroReportSize
                                                              : 0;
    if (expected == 0) {
        throw BadInput("report id " + std::to_string(id) + " is neither 3 nor 4");
    }
    if (bytes->size() != expected) {
        throw BadInput("report " + std::to_string(id) + " has " + std::to_string(expected) +
                       " bytes, not " + std::to_string(bytes->size()));
    }
    return *bytes;
}

// As the download does: into the copy of the active profile, against the held buttons of the
// active slot; the profile goes to the section numbered Current.
void Decode(ProfileFiles& files, std::span<const std::u16string> arguments, std::istream& in,
            std::ostream& out) {
    const SettingData settings = ReadSettings(files, arguments.empty() ? nullptr : &arguments[0]);
    const std::vector<std::uint8_t> report = ReadReport(in);
    const ProfileData& active = settings.Profiles[static_cast<std::size_t>(settings.Active)];
    ProfileData current = active;
    std::vector<LibraryEntry> libraryEntries;
    if (report.front() == kSettingsReportId) {
        DecodeSettingsReport(std::span<const std::uint8_t, kSettingsReportSize>(report), current);
    } else {
        DecodedButtons decoded = DecodeButtonMacroReport(
            std::span<const std::uint8_t, kButtonMacroReportSize>(report), active.ButtonAssigned);
        current.ButtonAssigned = decoded.buttons;
        libraryEntries = std::move(decoded.libraryEntries);
    }
    out << ProfileSectionText(current, settings.Current) << LibraryText(libraryEntries);
}

}  // namespace

int RunReportTool(std::span<const std::u16string> arguments, std::istream& in, std::ostream& out,
                  std::ostream& err, ProfileFiles& files) {
    try {
        const std::u16string verb = arguments.empty() ? u"" : arguments[0];
        const auto rest = arguments.empty() ? arguments : arguments.subspan(1);
        if (verb == u"load" && rest.size() == 1) {
            Load(files, rest[0], out);
        } else if (verb == u"encode" && (rest.size() == 1 || rest.size() == 2)) {
            Encode(files, rest, out);
        } else if (verb == u"decode" && rest.size() <= 1) {
            Decode(files, rest, in, out);
        } else {
            throw BadInput(kUsage);
        }
    } catch (const BadInput& bad) {
        err << "t47report: " << bad.what() << '\n';
        return kReportToolBadInput;
    }
    return 0;
}

int RunReportToolWithUtf8Arguments(std::span<const std::string> arguments, std::istream& in,
                                   std::ostream& out, std::ostream& err, ProfileFiles& files) {
    std::vector<std::u16string> texts;
    for (const std::string& argument : arguments) {
        texts.push_back(Utf16FromUtf8(argument));
        // Its bad bytes would read as U+FFFD: another file's name.
        if (Utf8FromUtf16(texts.back()) != argument) {
            err << "t47report: not UTF-8, so no file the tool can name: "
                << Utf8FromUtf16(texts.back()) << '\n';
            return kReportToolBadInput;
        }
    }
    return RunReportTool(texts, in, out, err, files);
}

}  // namespace t47
