#pragma once

// Helpers that let protocol tests state bytes as they appear on the wire.

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "protocol/report_entry.h"
#include "settings/button_assignment.h"

namespace t47 {

// "60 00 04" -> {0x60, 0x00, 0x04}.
inline std::vector<std::uint8_t> HexBytes(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        bytes.push_back(
            static_cast<std::uint8_t>(std::stoi(std::string(text.substr(i, 2)), nullptr, 16)));
        i += 2;
    }
    return bytes;
}

// Entries written one after the other from the start of a zeroed buffer.
inline EntryBuffer Entries(std::initializer_list<std::string_view> entries) {
    EntryBuffer buffer{};
    std::size_t at = 0;
    for (std::string_view entry : entries) {
        const std::vector<std::uint8_t> bytes = HexBytes(entry);
        std::copy(bytes.begin(), bytes.end(), buffer.begin() + static_cast<std::ptrdiff_t>(at));
        at += kReportEntrySize;
    }
    return buffer;
}

// The first count entries of a buffer, each as its 10 bytes.
inline std::vector<std::vector<std::uint8_t>> EntryList(const EntryBuffer& buffer,
                                                        std::int32_t count) {
    std::vector<std::vector<std::uint8_t>> list;
    for (std::int32_t i = 0; i < count; ++i) {
        const auto begin = buffer.begin() + static_cast<std::ptrdiff_t>(i) * kReportEntrySize;
        list.emplace_back(begin, begin + kReportEntrySize);
    }
    return list;
}

// A macro record with these (Code, Value) events, the rest of the list empty.
inline ButtonAssignment Macro(std::uint8_t functionCode,
                              std::initializer_list<std::pair<std::uint8_t, std::uint16_t>> events,
                              std::uint8_t repeatMode = 0, std::uint8_t repeatCount = 0) {
    ButtonAssignment record;
    record.FunctionCode = functionCode;
    std::size_t i = 0;
    for (const auto& [code, value] : events) {
        record.Events[i].Code = code;
        record.Events[i].Value = value;
        ++i;
    }
    record.EventCount = static_cast<std::uint8_t>(i);
    record.RepeatMode = repeatMode;
    record.RepeatCount = repeatCount;
    return record;
}

}  // namespace t47
