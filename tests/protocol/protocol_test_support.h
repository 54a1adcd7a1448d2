#pragma once

// Helpers that let protocol tests state bytes as they appear on the wire.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "protocol/report_entry.h"
#include "settings/button_assignment.h"

namespace t47 {

// "60 00 04" -> {0x60, 0x00, 0x04}. With '|' between them, entries of 10 bytes: the bytes
// given, then zeros.
inline std::vector<std::uint8_t> HexBytes(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    std::size_t entryStart = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '|') {
            bytes.resize(entryStart + kReportEntrySize);
            entryStart = bytes.size();
        } else if (text[i] != ' ') {
            bytes.push_back(std::uint8_t(std::stoi(std::string(text.substr(i++, 2)), nullptr, 16)));
        }
    }
    if (entryStart > 0 && bytes.size() > entryStart) {
        bytes.resize(entryStart + kReportEntrySize);
    }
    return bytes;
}

using EventList = std::vector<std::pair<std::uint8_t, std::uint16_t>>;  // (Code, Value)

// A record with these events, the rest of the list empty.
inline ButtonAssignment Macro(std::uint8_t functionCode, const EventList& events,
                              std::uint8_t repeatMode = 0, std::uint8_t repeatCount = 0) {
    ButtonAssignment record;
    record.FunctionCode = functionCode;
    record.EventCount = std::uint8_t(events.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
        record.Events[i] = MacroEvent{events[i].first, 0, events[i].second};
    }
    record.RepeatMode = repeatMode;
    record.RepeatCount = repeatCount;
    return record;
}

}  // namespace t47
