#include "macro_text.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <sstream>
#include <vector>

#include "key_names.h"
#include "protocol/function_code_table.h"
#include "protocol/macro_encoding.h"

namespace t47 {
namespace {

struct MouseButton {
    std::uint8_t code;
    std::string_view name;
};

constexpr MouseButton kMouseButtons[] = {
    {1, "LeftButton"}, {2, "RightButton"}, {4, "MiddleButton"}, {8, "Button4"}, {16, "Button5"}};

constexpr std::uint8_t kLastBulletButtonCode = 11;
constexpr std::uint16_t kPressed = 1;

std::optional<std::uint8_t> MouseButtonCode(std::string_view name) {
    for (const MouseButton& button : kMouseButtons) {
        if (button.name == name) {
            return button.code;
        }
    }
    return std::nullopt;
}

std::string_view MouseButtonName(std::uint8_t code) {
    for (const MouseButton& button : kMouseButtons) {
        if (button.code == code) {
            return button.name;
        }
    }
    return {};
}

std::optional<long long> Whole(std::string_view word, long long max) {
    long long value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (word.empty() || error != std::errc() || end != word.data() + word.size() || value < 0 ||
        value > max) {
        return std::nullopt;
    }
    return value;
}

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t start = line.find_first_not_of(" \t\r", at);
        if (start == std::string_view::npos) {
            break;
        }
        const std::size_t end = std::min(line.find_first_of(" \t\r", start), line.size());
        words.push_back(line.substr(start, end - start));
        at = end;
    }
    return words;
}

// Reads the lines into `macro`; the error line when one is wrong.
class MacroReader {
  public:
    std::optional<std::string> Line(const std::vector<std::string_view>& words) {
        const std::string_view verb = words[0];
        if (verb == "bullet" && words.size() == 1) {
            if (count > 0 || bullet) {
                return "\"bullet\" comes once, before the first event";
            }
            bullet = true;
            return std::nullopt;
        }
        if (verb == "repeat") {
            const auto mode = words.size() == 5 && words[1] == "mode"
                                  ? Whole(words[2], kMaxRepeatMode)
                                  : std::nullopt;
            const auto times =
                words.size() == 5 && words[3] == "count" ? Whole(words[4], 15) : std::nullopt;
            if (!mode || !times) {
                return "expected \"repeat mode M count C\" with M 0 to 14 and C 0 to 15";
            }
            // The mouse keeps a count only in mode 1, and there 1 to 15.
            if ((*mode == 1) != (*times != 0)) {
                return "the count is 1 to 15 in repeat mode 1 and 0 in the others";
            }
            macro.repeatMode = static_cast<std::uint8_t>(*mode);
            macro.repeatCount = static_cast<std::uint8_t>(*times);
            return std::nullopt;
        }
        if (verb == "library") {
            const auto entry = words.size() == 2 ? Whole(words[1], INT32_MAX) : std::nullopt;
            if (!entry) {
                return "expected \"library N\", N a macro library entry number";
            }
            macro.macroIndex = static_cast<std::int32_t>(*entry);
            return std::nullopt;
        }
        if (count == kMaxMacroEvents) {
            return "more than 92 events: the mouse holds at most 92 for a button";
        }
        if (verb == "wait") {
            const auto delay = words.size() == 2 ? Whole(words[1], 0xFFFF) : std::nullopt;
            if (!delay || *delay == 0) {
                return "expected \"wait MS\" with MS 1 to 65535";
            }
            if (count == 0 || lastWasWait) {
                return "a wait follows an event that is no wait: the mouse keeps one delay after "
                       "each event";
            }
            return Add(kDelayCode, static_cast<std::uint16_t>(*delay));
        }
        if (bullet && verb == "shot" && words.size() == 3) {
            const auto high = Whole(words[1], 0xFF);
            const auto low = Whole(words[2], 0xFF);
            // 51 0 would go out as the bytes of a button's release.
            if (!high || !low || (*high == 0 && *low == 0) || (*high == 51 && *low == 0)) {
                return "expected \"shot H L\" with H and L 0 to 255, neither 0 0 nor 51 0";
            }
            if (count == 0) {
                return "a bullet macro starts with its button event";
            }
            ++shots;
            return Press(kBulletCode, static_cast<std::uint16_t>(*high << 8 | *low), "shot");
        }
        if ((verb == "down" || verb == "up") && words.size() == 2) {
            const std::uint16_t value = verb == "down" ? kPressed : 0;
            return bullet ? BulletEvent(words[1], value) : PlainEvent(words[1], value);
        }
        return "cannot read \"" + std::string(words[0]) + "\" (events: down KEY, up KEY, wait MS" +
               (bullet ? ", shot H L)" : ")");
    }

    std::optional<std::string> End() {
        if (count == 0) {
            return "a macro holds at least one event";
        }
        if (held) {
            return heldName + " is still held at the end: the mouse would let it go";
        }
        if (lastWasWait) {
            return "a macro ends with an event that is no wait: the mouse keeps no delay after "
                   "the last one";
        }
        if (bullet && shots == 0) {
            return "a bullet macro holds at least one shot";
        }
        macro.functionCode = bullet ? kBulletMacroCode : kPlainMacroCode;
        macro.eventCount = static_cast<std::uint8_t>(count);
        return std::nullopt;
    }

    MacroText macro;

  private:
    // The mouse holds one key or button at a time, and a release names what the event before
    // it (waits aside) pressed.
    std::optional<std::string> Press(std::uint8_t code, std::uint16_t value, std::string name) {
        if (held) {
            return "down " + name + " while " + heldName +
                   " is held: the mouse holds one key or button at a time";
        }
        held = code;
        heldName = std::move(name);
        return Add(code, value);
    }

    std::optional<std::string> Release(std::uint8_t code, const std::string& name) {
        if (held != code) {
            return "up " + name + ": " +
                   (held ? heldName + " is the one held" : std::string("nothing is held"));
        }
        held.reset();
        return Add(code, 0);
    }

    std::optional<std::string> Event(std::uint8_t code, std::uint16_t value, std::string name) {
        return value != 0 ? Press(code, value, std::move(name)) : Release(code, name);
    }

    std::optional<std::string> Add(std::uint8_t code, std::uint16_t value) {
        macro.events[count++] = MacroEvent{code, 0, value};
        lastWasWait = code == kDelayCode;
        return std::nullopt;
    }

    std::optional<std::string> PlainEvent(std::string_view name, std::uint16_t value) {
        if (const auto button = MouseButtonCode(name)) {
            return Event(*button, value, std::string(name));
        }
        const std::optional<std::uint8_t> key = KeyCodeFromName(name);
        if (!key) {
            return "no key is named \"" + std::string(name) + "\"";
        }
        if (!KeySendsUsage(*key)) {
            return std::string(name) + " has no usage: the mouse cannot press it";
        }
        if (!MouseButtonName(*key).empty()) {
            return std::string(name) + " cannot be in a macro: its code is a mouse button's";
        }
        return Event(*key, value, KeyName(*key));
    }

    std::optional<std::string> BulletEvent(std::string_view word, std::uint16_t value) {
        if (word == "shot" && value == 0) {
            return Release(kBulletCode, "shot");
        }
        const auto code = Whole(word, kLastBulletButtonCode);
        if (!code || *code == 0) {
            return "a bullet macro's events are \"down N\", \"up N\" (N 1 to 11), \"shot H L\", "
                   "\"up shot\" and waits";
        }
        // The mouse gives every button event back with the first event's code.
        if (firstButton == 0 && count == 0) {
            firstButton = static_cast<std::uint8_t>(*code);
        }
        if (firstButton == 0) {
            return "a bullet macro starts with its button event";
        }
        if (*code != firstButton) {
            return "every button event of a bullet macro uses the first one's number, " +
                   std::to_string(firstButton);
        }
        return Event(firstButton, value, std::string(word));
    }

    std::size_t count = 0;
    bool bullet = false;
    bool lastWasWait = false;
    std::uint8_t firstButton = 0;
    std::optional<std::uint8_t> held;
    std::string heldName;
    std::size_t shots = 0;
};

}  // namespace

std::variant<MacroText, std::string> ParseMacroText(std::string_view text) {
    MacroReader reader;
    std::size_t lineNumber = 0;
    std::istringstream lines{std::string(text)};
    for (std::string line; std::getline(lines, line);) {
        ++lineNumber;
        const std::vector<std::string_view> words = Words(line);
        if (words.empty() || words[0].starts_with('#')) {
            continue;
        }
        if (std::optional<std::string> error = reader.Line(words)) {
            return "line " + std::to_string(lineNumber) + ": " + *error;
        }
    }
    if (std::optional<std::string> error = reader.End()) {
        return *error;
    }
    return reader.macro;
}

std::string FormatMacroText(const ButtonAssignment& assignment) {
    const bool bullet = assignment.FunctionCode == kBulletMacroCode;
    std::string text = bullet ? "bullet\n" : "";
    text += "repeat mode " + std::to_string(assignment.RepeatMode) + " count " +
            std::to_string(assignment.RepeatCount) + '\n';
    if (assignment.MacroIndex >= 0) {
        text += "library " + std::to_string(assignment.MacroIndex) + '\n';
    }
    for (const MacroEvent& event : assignment.Events) {
        if (event.Code == 0) {
            break;
        }
        if (event.Code == kDelayCode) {
            text += "wait " + std::to_string(event.Value) + '\n';
            continue;
        }
        const bool pressed = bullet ? event.Value != 0 : (event.Value & kPressed) != 0;
        if (bullet && event.Code == kBulletCode) {
            text += pressed ? "shot " + std::to_string(event.Value >> 8) + ' ' +
                                  std::to_string(event.Value & 0xFF) + '\n'
                            : "up shot\n";
            continue;
        }
        std::string name;
        if (bullet && event.Code <= kLastBulletButtonCode) {
            name = std::to_string(event.Code);
        } else if (!bullet && !MouseButtonName(event.Code).empty()) {
            name = MouseButtonName(event.Code);
        } else {
            name = KeyName(event.Code);
        }
        text += (pressed ? "down " : "up ") + name + '\n';
    }
    return text;
}

ButtonAssignment WithMacro(ButtonAssignment assignment, const MacroText& macro) {
    assignment.FunctionCode = macro.functionCode;
    assignment.EventCount = macro.eventCount;
    assignment.Events = macro.events;
    assignment.RepeatMode = macro.repeatMode;
    assignment.RepeatCount = macro.repeatCount;
    assignment.MacroIndex = macro.macroIndex;
    return assignment;
}

}  // namespace t47
