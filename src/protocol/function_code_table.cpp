#include "protocol/function_code_table.h"

#include <algorithm>

namespace t47 {
namespace {

namespace entry = report_entry_layout;

void WriteEntry(const FixedEntry& fixed, ReportEntry out) {
    std::copy(fixed.bytes.begin(), fixed.bytes.end(), out.begin());
    SetEntryDuration(out, fixed.duration);
}

bool Matches(const SingleEntryFunction& row, ConstReportEntry candidate) {
    if ((candidate[entry::kKind] & 0xF0) != row.entry.bytes[0]) {
        return false;
    }
    const bool byte1 = candidate[entry::kByte1] == row.entry.bytes[1];
    const bool byte2 = candidate[entry::kByte2] == row.entry.bytes[2];
    const bool byte3 = candidate[entry::kByte3] == row.entry.bytes[3];
    switch (row.readBack) {
        case ReadBackBy::kByte1:
            return byte1;
        case ReadBackBy::kBytes1And2:
            return byte1 && byte2;
        case ReadBackBy::kBytes2And3:
            return byte2 && byte3;
    }
    return false;
}

}  // namespace

FixedEntries FixedEntriesOf(std::uint8_t code) {
    FixedEntries result;
    const auto at = [&result](std::size_t index) {
        return std::span(result.bytes).subspan(index * kReportEntrySize).first<kReportEntrySize>();
    };
    if (code == kDoubleClickCode) {
        for (const FixedEntry& fixed : kDoubleClickEntries) {
            WriteEntry(fixed, at(result.count++));
        }
        return result;
    }
    for (const SingleEntryFunction& row : kSingleEntryFunctions) {
        if (row.code == code) {
            WriteEntry(row.entry, at(result.count++));
            break;
        }
    }
    return result;
}

std::uint8_t FunctionCodeOfEntry(ConstReportEntry entry) {
    for (const SingleEntryFunction& row : kSingleEntryFunctions) {
        if (Matches(row, entry)) {
            return row.code;
        }
    }
    return 0;
}

}  // namespace t47
