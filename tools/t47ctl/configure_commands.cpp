#include "configure_commands.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <variant>
#include <vector>

#include "contract/companion_contract.h"
#include "function_names.h"
#include "macro_text.h"
#include "platform/profile/profile_values.h"
#include "platform/text_encoding.h"
#include "protocol/function_code_table.h"
#include "settings/settings_defaults.h"
#include "settings/settings_file.h"
#include "settings/settings_file_keys.h"
#include "settings/settings_key_table.h"
#include "settings/settings_validation.h"
#include "settings_view.h"

namespace t47 {
namespace {

constexpr std::string_view kCommands[] = {"show", "set", "button", "macro", "profile"};

// A refusal: the line to say, the status to end with.
struct Refusal {
    std::string line;
    int status = kConfigureRefused;
};

struct Options {
    std::optional<std::string> profile;
    bool json = false;
    bool global = false;
    bool apply = true;
    std::vector<std::string> operands;
};

std::optional<Options> ReadOptions(std::span<const std::string> arguments, std::string& error) {
    Options options;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if (word == "--profile" && i + 1 < arguments.size()) {
            options.profile = arguments[++i];
        } else if (word == "--json") {
            options.json = true;
        } else if (word == "--global") {
            options.global = true;
        } else if (word == "--no-apply") {
            options.apply = false;
        } else if (word.starts_with("--")) {
            error = "unknown option \"" + word + "\"";
            return std::nullopt;
        } else {
            options.operands.push_back(word);
        }
    }
    return options;
}

std::optional<long> WholeNumber(std::string_view text) {
    long value = 0;
    std::istringstream in{std::string(text)};
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos ||
        !(in >> value)) {
        return std::nullopt;
    }
    return value;
}

std::string Range(long min, long max) {
    return std::to_string(min) + " to " + std::to_string(max);
}

// A number typed for something that has a range: the number, or the refusal naming both.
std::variant<std::size_t, Refusal> Numbered(std::string_view what, std::string_view text, long min,
                                            long max) {
    const std::optional<long> value = WholeNumber(text);
    if (!value || *value < min || *value > max) {
        return Refusal{std::string(what) + " " + std::string(text) + ": out of range " +
                       Range(min, max)};
    }
    return static_cast<std::size_t>(*value);
}

// The file as the agent loads it, and one change to it.
class SettingsChange {
  public:
    explicit SettingsChange(const ConfigureSystem& configureSystem) : system(configureSystem) {
        ReadValidatedSettings(system.files, system.settingsPath, settings);
    }

    SettingData settings;

    // Slot `--profile` names, or the active one.
    std::variant<std::size_t, Refusal> Slot(const Options& options) const {
        if (!options.profile) {
            return static_cast<std::size_t>(settings.Active);
        }
        return Numbered("--profile", *options.profile, 0, settings.Totle - 1);
    }

    std::u16string ProfileSection(std::size_t slot) const {
        return ProfileSectionName(settings.ProfileGroup[slot]);
    }

    void Write(std::u16string section, std::u16string key, std::u16string value) {
        writes.push_back({std::move(section), std::move(key), std::move(value)});
    }

    // Every key written at once; the file first made whole as the agent makes it, when missing.
    std::optional<Refusal> Save() {
        if (system.settingsPath.empty()) {
            return Refusal{"there is no configuration folder (set HOME or XDG_CONFIG_HOME)", 1};
        }
        std::error_code ignored;
        std::filesystem::create_directories(PathFromUtf16(system.settingsPath).parent_path(),
                                            ignored);
        if (!system.files.FileExists(system.settingsPath)) {
            SettingData defaults;
            ReadValidatedSettings(system.files, u"", defaults);
            system.files.CreateProfileFile(system.settingsPath, [&](ProfileFiles& file) {
                WriteAllSettings(file, defaults, system.settingsPath);
            });
        }
        if (!system.files.WriteProfileStrings(writes, system.settingsPath)) {
            return Refusal{"cannot write the settings file " + Utf8FromUtf16(system.settingsPath),
                           1};
        }
        return std::nullopt;
    }

  private:
    const ConfigureSystem& system;
    std::vector<ProfileKeyValue> writes;
};

std::string ValueRefusal(const SettingsKey& key, std::string_view assignment, ValueCheck check) {
    const std::string head = std::string(assignment) + ": ";
    switch (key.kind) {
        case KeyKind::kText:
            return head +
                   (check == ValueCheck::kTooLong
                        ? "longer than " + std::to_string(key.text.size() - 1) + " UTF-16 units"
                        : "a text the file cannot keep (line breaks, control characters, "
                          "blanks at either end, quotes around it)");
        case KeyKind::kColor:
            return head + "not a colour: #RRGGBB, or 0 to 16777215";
        case KeyKind::kInteger:
            break;
    }
    return head + (check == ValueCheck::kMalformed ? "not a whole number; " : "") +
           "out of range " + Range(key.range.min, key.range.max);
}

std::optional<Refusal> Set(SettingsChange& change, std::size_t slot,
                           const std::vector<std::string>& assignments) {
    if (assignments.empty()) {
        return Refusal{"set needs KEY=VALUE (t47ctl show --json lists the keys)"};
    }
    ProfileData& profile = change.settings.Profiles[slot];
    const std::vector<SettingsKey> profileKeys = ProfileKeys(profile);
    const std::vector<SettingsKey> headerKeys = HeaderKeys(change.settings);
    for (const std::string& assignment : assignments) {
        const std::size_t equals = assignment.find('=');
        if (equals == std::string::npos) {
            return Refusal{assignment + ": expected KEY=VALUE"};
        }
        const std::u16string name = Utf16FromUtf8(assignment.substr(0, equals));
        const std::u16string value = Utf16FromUtf8(assignment.substr(equals + 1));
        const SettingsKey* key = FindKey(profileKeys, name);
        std::u16string section = change.ProfileSection(slot);
        if (!key) {
            key = FindKey(headerKeys, name);
            section = kSettingSection;
        }
        if (!key) {
            return Refusal{assignment + ": no such key" +
                           (name.starts_with(u"ButtonAssigned")
                                ? " to set (t47ctl button and t47ctl macro set the buttons)"
                                : " (t47ctl show --json and show --global --json list them)")};
        }
        if (key->name == u"Active" || key->name == u"Current" || key->name == u"Totle") {
            return Refusal{assignment +
                           ": not set here (t47ctl profile N chooses the active "
                           "slot; the slots in use are the companion UI's)"};
        }
        if (const ValueCheck check = SetKeyValue(*key, value); check != ValueCheck::kAccepted) {
            return Refusal{ValueRefusal(*key, assignment, check)};
        }
        change.Write(section, key->name, FileValueText(*key));
    }
    return std::nullopt;
}

std::variant<std::size_t, Refusal> ButtonIndex(std::string_view text) {
    // The eighth button always sends Right click; its record is the companion UI's.
    auto button = Numbered("button", text, 1, static_cast<long>(kButtonCount) - 1);
    if (const auto* number = std::get_if<std::size_t>(&button)) {
        return *number - 1;
    }
    return button;
}

void WriteButton(SettingsChange& change, std::size_t slot, std::size_t index,
                 ButtonAssignment record) {
    record.ButtonNo = static_cast<std::uint8_t>(index + 1);
    change.Write(change.ProfileSection(slot), IndexedKey(u"ButtonAssigned", index),
                 EncodeProfileStruct(ButtonAssignmentToBytes(record)));
}

std::optional<Refusal> Button(SettingsChange& change, std::size_t slot,
                              const std::vector<std::string>& operands) {
    if (operands.size() < 2) {
        return Refusal{"button needs B FUNCTION, e.g. t47ctl button 4 DPI up"};
    }
    const auto index = ButtonIndex(operands[0]);
    if (const auto* refusal = std::get_if<Refusal>(&index)) {
        return *refusal;
    }
    std::string function = operands[1];
    for (std::size_t i = 2; i < operands.size(); ++i) {
        function += ' ' + operands[i];
    }
    const std::optional<std::uint8_t> code = FunctionCodeFromText(function);
    if (!code || !IsValidFunctionCode(*code)) {
        return Refusal{"function \"" + function +
                       "\": no such function (names as t47ctl show prints them, or codes 0xA0 "
                       "to 0xAB, 0xB0 to 0xBA, 0xC0 to 0xC7, 0xD0 to 0xD6)"};
    }
    if (*code == kPlainMacroCode || *code == kBulletMacroCode) {
        return Refusal{"function \"" + function + "\": a macro is set with t47ctl macro B FILE"};
    }
    const std::size_t b = std::get<std::size_t>(index);
    ButtonAssignment record = DefaultButtonAssignment(b);
    const ButtonAssignment& old = change.settings.Profiles[slot].ButtonAssigned[b];
    record.FunctionCode = *code;
    record.carriedByte3 = old.carriedByte3;
    record.carriedBytes374 = old.carriedBytes374;
    WriteButton(change, slot, b, record);
    return std::nullopt;
}

std::optional<Refusal> Macro(SettingsChange& change, std::size_t slot,
                             const std::vector<std::string>& operands, std::istream& input) {
    if (operands.size() != 2) {
        return Refusal{"macro needs B FILE, or B - to read standard input"};
    }
    const auto index = ButtonIndex(operands[0]);
    if (const auto* refusal = std::get_if<Refusal>(&index)) {
        return *refusal;
    }
    std::string text;
    if (operands[1] == "-") {
        text.assign(std::istreambuf_iterator<char>(input), {});
    } else {
        std::ifstream file(operands[1], std::ios::binary);
        if (!file) {
            return Refusal{"cannot read " + operands[1], 1};
        }
        text.assign(std::istreambuf_iterator<char>(file), {});
    }
    const auto parsed = ParseMacroText(text);
    if (const auto* error = std::get_if<std::string>(&parsed)) {
        return Refusal{"macro: " + *error};
    }
    const std::size_t b = std::get<std::size_t>(index);
    WriteButton(
        change, slot, b,
        WithMacro(change.settings.Profiles[slot].ButtonAssigned[b], std::get<MacroText>(parsed)));
    return std::nullopt;
}

std::optional<Refusal> Profile(SettingsChange& change, const std::vector<std::string>& operands) {
    if (operands.size() != 1) {
        return Refusal{"profile needs N, the slot to make active"};
    }
    const auto slot = Numbered("profile", operands[0], 0, change.settings.Totle - 1);
    if (const auto* refusal = std::get_if<Refusal>(&slot)) {
        return *refusal;
    }
    // The download writes the mouse's state into the section `Current` numbers: it follows.
    const std::u16string number =
        DecimalText(static_cast<std::int32_t>(std::get<std::size_t>(slot)));
    change.Write(kSettingSection, u"Active", number);
    change.Write(kSettingSection, u"Current", number);
    return std::nullopt;
}

int Say(std::ostream& err, const Refusal& refusal) {
    err << "t47ctl: " << refusal.line << '\n';
    return refusal.status;
}

int Show(const SettingsChange& change, const Options& options, std::ostream& out,
         std::ostream& err) {
    if (!options.operands.empty()) {
        return Say(err, {"show takes no operands: \"" + options.operands[0] + "\""});
    }
    if (options.global) {
        out << (options.json ? HeaderJson(change.settings) : DescribeHeader(change.settings));
        return 0;
    }
    const auto slot = change.Slot(options);
    if (const auto* refusal = std::get_if<Refusal>(&slot)) {
        return Say(err, *refusal);
    }
    const std::size_t s = std::get<std::size_t>(slot);
    out << (options.json ? ProfileJson(change.settings, s) : DescribeProfile(change.settings, s));
    return 0;
}

int Apply(const ConfigureSystem& system, const Options& options, std::ostream& out,
          std::ostream& err) {
    if (!options.apply) {
        out << "saved\n";
        return 0;
    }
    const WindowHandle agent = system.messages.FindTopLevelWindow(kAgentWindowTitle);
    if (agent == kNoWindow) {
        out << "saved; no agent runs\n";
        return 0;
    }
    if (!system.messages.Post(agent, MSG_RELOAD_APPLY, 0, 0)) {
        return Say(err, {"saved; the agent did not take the request to apply (t47ctl apply "
                         "asks again)",
                         1});
    }
    out << "applied\n";
    return 0;
}

}  // namespace

bool IsConfigureCommand(std::string_view name) {
    return std::find(std::begin(kCommands), std::end(kCommands), name) != std::end(kCommands);
}

int RunConfigureCommand(std::span<const std::string> arguments, std::ostream& out,
                        std::ostream& err, const ConfigureSystem& system) {
    std::string error;
    const std::optional<Options> options = ReadOptions(arguments, error);
    if (!options) {
        return Say(err, {error});
    }
    SettingsChange change(system);
    const std::string& command = arguments[0];
    if (command == "show") {
        return Show(change, *options, out, err);
    }
    const auto slot = change.Slot(*options);
    if (const auto* refusal = std::get_if<Refusal>(&slot)) {
        return Say(err, *refusal);
    }
    const std::size_t s = std::get<std::size_t>(slot);
    std::optional<Refusal> refusal;
    if (command == "set") {
        refusal = Set(change, s, options->operands);
    } else if (command == "button") {
        refusal = Button(change, s, options->operands);
    } else if (command == "macro") {
        refusal = Macro(change, s, options->operands, system.input);
    } else {
        refusal = Profile(change, options->operands);
    }
    if (!refusal) {
        refusal = change.Save();
    }
    if (refusal) {
        return Say(err, *refusal);
    }
    return Apply(system, *options, out, err);
}

std::string ConfigureUsage() {
    return "Configuration (the settings file; then the agent applies it, unless --no-apply):\n"
           "  show [--profile N] [--json]   a profile, the active one by default\n"
           "  show --global [--json]        section [Setting]\n"
           "  set [--profile N] KEY=VALUE   keys as the settings file names them\n"
           "  button B FUNCTION             a function by name or code, buttons 1 to 7\n"
           "  macro B FILE|-                a macro, one event a line, as show prints it\n"
           "  profile N                     make slot N the active one\n"
           "A refused value or command gets one line and status 2; the file stays as it was.\n";
}

}  // namespace t47
