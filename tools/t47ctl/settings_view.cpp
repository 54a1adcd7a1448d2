#include "settings_view.h"

#include <nlohmann/json.hpp>
#include <span>
#include <string_view>
#include <vector>

#include "function_names.h"
#include "macro_text.h"
#include "platform/text_encoding.h"
#include "protocol/button_macro_report.h"
#include "protocol/function_code_table.h"
#include "settings/settings_file_keys.h"
#include "settings/settings_key_table.h"

namespace t47 {
namespace {

using Json = nlohmann::ordered_json;

bool IsMacro(std::uint8_t code) {
    return code == kPlainMacroCode || code == kBulletMacroCode;
}

// The value of a key by its name in a list of keys.
std::string Value(std::span<const SettingsKey> keys, std::u16string_view name) {
    const SettingsKey* key = FindKey(keys, name);
    return key ? Utf8FromUtf16(KeyValueText(*key)) : std::string();
}

std::string Indexed(std::span<const SettingsKey> keys, std::u16string_view name, std::size_t i) {
    return Value(keys, IndexedKey(name, i));
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        lines.push_back(text.substr(at, end - at));
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

std::string ButtonLine(const ButtonAssignment& button, std::size_t index) {
    std::string line = "  " + std::to_string(index + 1) + "  " + FunctionName(button.FunctionCode);
    if (index == kButtonCount - 1) {
        line += " (the mouse always gets " + FunctionName(kEighthButtonCode) + ")";
    }
    line += '\n';
    if (IsMacro(button.FunctionCode)) {
        for (const std::string& event : Lines(FormatMacroText(button))) {
            line += "       " + event + '\n';
        }
    }
    return line;
}

Json KeysJson(std::span<const SettingsKey> keys) {
    Json object = Json::object();
    for (const SettingsKey& key : keys) {
        const std::string name = Utf8FromUtf16(key.name);
        if (key.kind == KeyKind::kText) {
            object[name] = Utf8FromUtf16(FileValueText(key));
        } else {
            object[name] = *key.integer;
        }
    }
    return object;
}

}  // namespace

std::string DescribeProfile(const SettingData& settings, std::size_t slot) {
    ProfileData profile = settings.Profiles[slot];
    const std::vector<SettingsKey> keys = ProfileKeys(profile);
    const auto v = [&keys](std::u16string_view name) { return Value(keys, name); };
    std::string text = "Profile slot " + std::to_string(slot);
    text += static_cast<std::int32_t>(slot) == settings.Active ? " (active)" : "";
    text += ", section " + Utf8FromUtf16(ProfileSectionName(settings.ProfileGroup[slot]));
    text += ", name \"" + v(u"Profil_Name") + "\"\n";
    text += "DPI stages (DPI_ValueN, DPI_ColorN), current stage DPI_Cur " + v(u"DPI_Cur") + ":\n";
    for (std::size_t i = 0; i < kDpiStageCount; ++i) {
        const bool current = profile.DPI_Cur == static_cast<std::int32_t>(i + 1);
        text += (current ? "  * " : "    ") + std::to_string(i + 1) + "  level " +
                Indexed(keys, u"DPI_Value", i) + "  " + Indexed(keys, u"DPI_Color", i) +
                "   (N = " + std::to_string(i) + ")\n";
    }
    text += "Polling rate code POLLRATE_VALUE " + v(u"POLLRATE_VALUE") + "\n";
    text += "Lighting Enable_light " + v(u"Enable_light") + ", effect light_type " +
            v(u"light_type") + ", brightness light_bright " + v(u"light_bright") +
            " of 5, speed light_speed " + v(u"light_speed") + ", Cycle_enable " +
            v(u"Cycle_enable") + ", light_bright_colorID " + v(u"light_bright_colorID") + "\n";
    for (const std::u16string_view list : {u"light_Color", u"light_Cycle"}) {
        text += "  " + Utf8FromUtf16(list) + "0..6:";
        for (std::size_t i = 0; i < kLightColorCount; ++i) {
            text += ' ' + Indexed(keys, list, i);
        }
        text += '\n';
    }
    text += "Buttons:\n";
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        text += ButtonLine(profile.ButtonAssigned[b], b);
    }
    text += "Pointer Mouse_Speed " + v(u"Mouse_Speed") + ", DBClick_Speed " + v(u"DBClick_Speed") +
            ", Scroll_Speed " + v(u"Scroll_Speed") + ", scroll_page " + v(u"scroll_page") +
            ", mouse_enhance " + v(u"mouse_enhance") + "\n";
    text += "GroupID " + v(u"GroupID") + ", SYNCFilesPath \"" + v(u"SYNCFilesPath") + "\"\n";
    for (std::size_t b = 0; b < kProgramSlotCount; ++b) {
        const std::string path = Indexed(keys, u"ExePath", b);
        const std::string name = Indexed(keys, u"ExeName", b);
        if (!path.empty() || !name.empty()) {
            text += "ExePath" + std::to_string(b) + " \"" + path + "\", ExeName" +
                    std::to_string(b) + " \"" + name + "\"\n";
        }
    }
    return text;
}

std::string ProfileJson(const SettingData& settings, std::size_t slot) {
    ProfileData profile = settings.Profiles[slot];
    Json object = KeysJson(ProfileKeys(profile));
    Json buttons = Json::array();
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        const ButtonAssignment& button = profile.ButtonAssigned[b];
        Json entry = {{"button", b + 1},
                      {"function", FunctionName(button.FunctionCode)},
                      {"code", button.FunctionCode}};
        if (IsMacro(button.FunctionCode)) {
            Json lines = Lines(FormatMacroText(button));
            entry["macro"] = std::move(lines);
        }
        buttons.push_back(std::move(entry));
    }
    object["buttons"] = std::move(buttons);
    return object.dump(2) + '\n';
}

std::string DescribeHeader(const SettingData& settings) {
    SettingData copy = settings;
    std::string text = "[Setting]\n";
    for (const SettingsKey& key : HeaderKeys(copy)) {
        text += Utf8FromUtf16(key.name) + " = " + Utf8FromUtf16(KeyValueText(key)) + '\n';
    }
    for (std::int32_t slot = 0; slot < settings.Totle; ++slot) {
        text += "slot " + std::to_string(slot) + " (key " + std::to_string(slot) + ") = section " +
                Utf8FromUtf16(
                    ProfileSectionName(settings.ProfileGroup[static_cast<std::size_t>(slot)])) +
                '\n';
    }
    return text;
}

std::string HeaderJson(const SettingData& settings) {
    SettingData copy = settings;
    Json object = KeysJson(HeaderKeys(copy));
    for (std::int32_t slot = 0; slot < settings.Totle; ++slot) {
        object[std::to_string(slot)] = settings.ProfileGroup[static_cast<std::size_t>(slot)];
    }
    return object.dump(2) + '\n';
}

}  // namespace t47
