#pragma once

// The rules every report 4 that BuildButtonMacroReport makes must keep, whatever the buttons.

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "protocol/button_macro_report.h"
#include "protocol/function_code_table.h"
#include "protocol/macro_encoding.h"
#include "settings/little_endian.h"

namespace t47 {

inline void CheckBuiltButtonMacroReport(const ButtonMacroReport& report,
                                        const ButtonAssignments& buttons) {
    namespace layout = button_macro_report_layout;
    FuzzCheck(report[0] == kButtonMacroReportId, "report id");
    FuzzCheck(std::all_of(report.begin() + 17, report.begin() + 49, [](auto b) { return b == 0; }),
              "bytes 17 to 48 are 0");
    const auto codeOf = [&buttons](std::size_t b) {
        return b == kButtonCount - 1 ? kEighthButtonCode : buttons[b].FunctionCode;
    };
    std::size_t fixedTotal = 0;
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        fixedTotal += FixedEntriesOf(codeOf(b)).count;
    }
    std::size_t used = 0;
    std::size_t macrosPlaced = 0;
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        const std::uint8_t code = codeOf(b);
        const bool macro = code == kPlainMacroCode || code == kBulletMacroCode;
        EntryBuffer entries{};
        std::size_t count = 0;
        if (macro) {
            count = std::size_t(code == kPlainMacroCode ? EncodePlainMacro(buttons[b], entries)
                                                        : EncodeBulletMacro(buttons[b], entries));
        } else {
            const FixedEntries fixed = FixedEntriesOf(code);
            count = fixed.count;
            std::copy(fixed.bytes.begin(), fixed.bytes.end(), entries.begin());
        }
        const std::uint16_t offset = ReadU16LE(report, 1 + 2 * b);
        if (offset == layout::kNoEntriesOffset) {
            FuzzCheck(macro ? count > layout::kMaxEntries - fixedTotal - macrosPlaced : count == 0,
                      "only a macro that does not fit, or a code without entries, is left out");
            continue;
        }
        FuzzCheck(offset == layout::kFirstEntryOffset + used * kReportEntrySize,
                  "entries button after button, without gaps");
        for (std::size_t i = 0; i < count * kReportEntrySize; ++i) {
            const std::uint8_t expected =
                i % kReportEntrySize == 0 ? std::uint8_t(entries[i] | (b + 1)) : entries[i];
            FuzzCheck(report[1 + offset + i] == expected, "the button's entries, whole");
        }
        used += count;
        macrosPlaced += macro ? count : 0;
    }
    FuzzCheck(used <= layout::kMaxEntries, "at most 200 entries");
    FuzzCheck(std::all_of(report.begin() + std::ptrdiff_t(layout::kEntryArea + used * 10),
                          report.end(), [](auto b) { return b == 0; }),
              "0 after the last entry");
}

}  // namespace t47
