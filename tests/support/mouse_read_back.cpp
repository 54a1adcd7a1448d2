#include "support/mouse_read_back.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "protocol/macro_matching.h"
#include "settings/settings_defaults.h"

namespace t47::test {
namespace {

constexpr std::uint8_t kPlainMacro = 0xA6;
constexpr std::uint8_t kBulletMacro = 0xA7;
constexpr std::uint8_t kNoEntries = 0xAB;
constexpr std::uint8_t kEighthButtonSentAs = 0xA1;
constexpr std::size_t kReportEntries = 200;

bool IsMacro(std::uint8_t code) {
    return code == kPlainMacro || code == kBulletMacro;
}

// Codes whose fixed entries come back as the code itself.
bool HasFixedEntries(std::uint8_t code) {
    return (code >= 0xA0 && code <= 0xA5) || (code >= 0xB0 && code <= 0xBA) ||
           (code >= 0xC0 && code <= 0xC7) || (code >= 0xD0 && code <= 0xD6);
}

std::uint8_t SentCode(const ButtonAssignments& buttons, std::size_t b) {
    return b == kButtonCount - 1 ? kEighthButtonSentAs : buttons[b].FunctionCode;
}

// The events of a macro: up to the first Code 0, at most 92.
std::size_t EventsOf(const ButtonAssignment& macro) {
    std::size_t n = 0;
    while (n < kMaxMacroEvents && macro.Events[n].Code != 0) {
        ++n;
    }
    return n;
}

// A macro takes one entry for each event but its delays (a first event is never a delay); a
// double click four; other fixed functions one.
std::size_t EntriesOf(const ButtonAssignments& buttons, std::size_t b) {
    const std::uint8_t code = SentCode(buttons, b);
    if (IsMacro(code)) {
        const std::size_t n = EventsOf(buttons[b]);
        return static_cast<std::size_t>(
                   std::count_if(buttons[b].Events.begin(), buttons[b].Events.begin() + n,
                                 [&](const MacroEvent& e) { return e.Code != 0xFF; })) +
               (n > 0 && buttons[b].Events[0].Code == 0xFF);
    }
    return code == 0xA5 ? 4 : HasFixedEntries(code) ? 1 : 0;
}

// Report 4 keeps room for every fixed function first; macros then go in button order, each
// whole or not at all.
std::array<bool, kButtonCount> LeftOutForLackOfRoom(const ButtonAssignments& buttons) {
    std::size_t room = kReportEntries;
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        room -= IsMacro(SentCode(buttons, b)) ? 0 : EntriesOf(buttons, b);
    }
    std::array<bool, kButtonCount> leftOut{};
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        if (IsMacro(SentCode(buttons, b))) {
            leftOut[b] = EntriesOf(buttons, b) > room;
            room -= leftOut[b] ? 0 : EntriesOf(buttons, b);
        }
    }
    return leftOut;
}

ButtonAssignment OnlyCode(std::uint8_t code) {
    ButtonAssignment record{};
    record.FunctionCode = code;
    return record;
}

ButtonAssignment MacroReadBack(const ButtonAssignment& sent, std::size_t b,
                               const ButtonAssignment& held, MouseReadBack& result) {
    ButtonAssignment back{};
    back.ButtonNo = static_cast<std::uint8_t>(b + 1);
    back.FunctionCode = sent.FunctionCode;
    const std::size_t n = EventsOf(sent);
    for (std::size_t i = 0; i < n; ++i) {
        back.Events[i] = {sent.Events[i].Code, 0, sent.Events[i].Value};
    }
    // The mouse keeps no delay after a plain macro's last entry, and its last press reads back
    // released.
    if (sent.FunctionCode == kPlainMacro && n > 0) {
        back.Events[n - 1].Value = 0;
    }
    back.EventCount = static_cast<std::uint8_t>(n);
    back.RepeatMode = sent.RepeatMode <= 14 ? sent.RepeatMode : 0;
    back.RepeatCount = back.RepeatMode == 1 ? std::clamp<std::uint8_t>(sent.RepeatCount, 1, 15) : 0;

    // The held macro's library entry stays with it; a changed bullet macro numbers its own.
    back.MacroIndex = kNoMacroIndex;
    const std::uint8_t firstCode = back.Events[0].Code;
    if (MacroAssignmentsEqual(back, held)) {
        back.MacroIndex = held.MacroIndex;
    } else if (sent.FunctionCode == kBulletMacro && firstCode >= 2) {
        back.MacroIndex = held.MacroIndex;
        const auto bullets = std::count_if(back.Events.begin(), back.Events.begin() + n,
                                           [](const MacroEvent& e) { return e.Code == 12; });
        result.libraryEntries.push_back({b, firstCode - 2, static_cast<std::int32_t>(bullets),
                                         MacroEventsToBytes(back.Events)});
    }
    return back;
}

std::uint8_t ByteOf(std::int32_t color, int index) {
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(color) >> (8 * index));
}

void ReadBackSettings(const ProfileData& sent, ProfileData& agent) {
    agent.DPI_Cur = sent.DPI_Cur;
    agent.POLLRATE_VALUE = sent.POLLRATE_VALUE;
    agent.light_speed = sent.light_speed;
    for (std::size_t i = 0; i < kDpiStageCount; ++i) {
        agent.DPI_Color[i] = sent.DPI_Color[i] & 0xFFFFFF;
    }

    const bool lit = sent.Enable_light != 0;
    const std::int32_t type = lit ? sent.light_type : 0;
    agent.light_type = type;
    agent.Cycle_enable = !lit                     ? 0
                         : type == 0 || type == 5 ? sent.Cycle_enable
                         : type == 1              ? sent.light_bright_colorID
                                                  : 0;

    const std::size_t k = type == 0 ? 0 : static_cast<std::size_t>(type - 1);
    std::array<std::int32_t, 3> onWire{};
    for (int i = 0; i < 3; ++i) {
        onWire[std::size_t(i)] = lit ? ByteOf(sent.light_Color[k], i) * sent.light_bright / 5 : 0;
    }
    std::int32_t color = 0;
    if (onWire == std::array<std::int32_t, 3>{}) {
        agent.Enable_light = 0;
        agent.light_bright = 0;
    } else if (agent.light_bright <= 0) {
        color = onWire[0] | (onWire[1] << 8) | (onWire[2] << 16);
        agent.light_bright = 5;
    } else {
        for (int i = 0; i < 3; ++i) {
            color |= ((onWire[std::size_t(i)] * 5 / agent.light_bright) & 0xFF) << (8 * i);
        }
    }
    agent.light_Color[k] = color;
}

}  // namespace

MouseReadBack ReadBackThroughMouse(const ProfileData& uploaded, const ProfileData& agent) {
    MouseReadBack result{agent, {}};
    ReadBackSettings(uploaded, result.profile);

    const ButtonAssignments& sent = uploaded.ButtonAssigned;
    const ButtonAssignments& held = agent.ButtonAssigned;
    const std::array<bool, kButtonCount> sentLeftOut = LeftOutForLackOfRoom(sent);
    const std::array<bool, kButtonCount> heldLeftOut = LeftOutForLackOfRoom(held);
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        const std::uint8_t code = SentCode(sent, b);
        ButtonAssignment& back = result.profile.ButtonAssigned[b];
        if (IsMacro(code) && !sentLeftOut[b]) {
            back = MacroReadBack(sent[b], b, held[b], result);
        } else if (HasFixedEntries(code)) {
            back = OnlyCode(code);
        } else {
            back = heldLeftOut[b] ? held[b] : OnlyCode(kNoEntries);
        }
    }
    return result;
}

}  // namespace t47::test
