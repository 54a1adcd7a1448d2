#include "protocol/button_macro_report.h"

#include <algorithm>

#include "protocol/function_code_table.h"
#include "protocol/macro_encoding.h"
#include "settings/little_endian.h"

namespace t47 {
namespace {

namespace layout = button_macro_report_layout;

std::uint8_t UploadedCode(const ButtonAssignments& buttons, std::size_t index) {
    return index == kButtonCount - 1 ? kEighthButtonCode : buttons[index].FunctionCode;
}

// The entry area filled button after button: each button's entries go right after those of
// the button before, with its number ORed into byte 0 of each.
class EntryArea {
  public:
    explicit EntryArea(ButtonMacroReport& report) : report_(report) {}

    void Place(std::size_t buttonIndex, std::span<const std::uint8_t> entries, std::size_t count) {
        const auto offset =
            static_cast<std::uint16_t>(layout::kFirstEntryOffset + used_ * kReportEntrySize);
        SetOffset(buttonIndex, offset);
        const auto bytes = entries.first(count * kReportEntrySize);
        std::copy(bytes.begin(), bytes.end(),
                  report_.begin() + static_cast<std::ptrdiff_t>(layout::kOffsetBase + offset));
        for (std::size_t i = 0; i < count; ++i) {
            report_[layout::kOffsetBase + offset + i * kReportEntrySize] |=
                static_cast<std::uint8_t>(buttonIndex + 1);
        }
        used_ += count;
    }

    void SetOffset(std::size_t buttonIndex, std::uint16_t offset) {
        WriteU16LE(report_, layout::kOffsetTable + 2 * buttonIndex, offset);
    }

  private:
    ButtonMacroReport& report_;
    std::size_t used_ = 0;
};

bool IsMacroCode(std::uint8_t code) {
    return code == kPlainMacroCode || code == kBulletMacroCode;
}

// One button's entries as the report would hold them, byte 0 without the button number.
struct ButtonEntries {
    bool macro = false;
    std::size_t count = 0;
    EntryBuffer bytes{};
};

using AllButtonEntries = std::array<ButtonEntries, kButtonCount>;

AllButtonEntries EntriesOfButtons(const ButtonAssignments& buttons) {
    AllButtonEntries all{};
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        ButtonEntries& entries = all[b];
        const std::uint8_t code = UploadedCode(buttons, b);
        entries.macro = IsMacroCode(code);
        if (entries.macro) {
            entries.count = static_cast<std::size_t>(
                code == kPlainMacroCode ? EncodePlainMacro(buttons[b], entries.bytes)
                                        : EncodeBulletMacro(buttons[b], entries.bytes));
        } else {
            const FixedEntries fixed = FixedEntriesOf(code);
            entries.count = fixed.count;
            std::copy(fixed.bytes.begin(), fixed.bytes.end(), entries.bytes.begin());
        }
    }
    return all;
}

// The 200 entries may not hold every macro. Room is kept first for the fixed entries of every
// button (at most 8 x 4, so they always fit); macros then share what is left, in button order,
// each whole or not at all: a cut macro could leave a key pressed.
std::array<bool, kButtonCount> LeftOutForLackOfRoom(const AllButtonEntries& all) {
    std::size_t fixedEntries = 0;
    for (const ButtonEntries& entries : all) {
        fixedEntries += entries.macro ? 0 : entries.count;
    }
    std::size_t macroRoom = layout::kMaxEntries - fixedEntries;
    std::array<bool, kButtonCount> leftOut{};
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        if (!all[b].macro) {
            continue;
        }
        leftOut[b] = all[b].count > macroRoom;
        if (!leftOut[b]) {
            macroRoom -= all[b].count;
        }
    }
    return leftOut;
}

}  // namespace

ButtonMacroReport BuildButtonMacroReport(const ButtonAssignments& buttons) {
    ButtonMacroReport report{};
    report[layout::kId] = kButtonMacroReportId;
    const AllButtonEntries all = EntriesOfButtons(buttons);
    const std::array<bool, kButtonCount> leftOut = LeftOutForLackOfRoom(all);
    EntryArea area(report);
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        // A macro without entries still gets its place; other codes without entries do not.
        if (leftOut[b] || (!all[b].macro && all[b].count == 0)) {
            area.SetOffset(b, layout::kNoEntriesOffset);
        } else {
            area.Place(b, all[b].bytes, all[b].count);
        }
    }
    return report;
}

std::array<bool, kButtonCount> MacrosLeftOut(const ButtonAssignments& buttons) {
    return LeftOutForLackOfRoom(EntriesOfButtons(buttons));
}

}  // namespace t47
