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

}  // namespace

ButtonMacroReport BuildButtonMacroReport(const ButtonAssignments& buttons) {
    ButtonMacroReport report{};
    report[layout::kId] = kButtonMacroReportId;

    // The 200 entries may not hold every macro. Room is kept first for the fixed entries of
    // every button (at most 8 x 4, so they always fit); macros then share what is left.
    std::size_t fixedEntries = 0;
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        fixedEntries += FixedEntriesOf(UploadedCode(buttons, b)).count;
    }
    std::size_t macroRoom = layout::kMaxEntries - fixedEntries;

    EntryArea area(report);
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        const std::uint8_t code = UploadedCode(buttons, b);
        if (code == kPlainMacroCode || code == kBulletMacroCode) {
            EntryBuffer scratch{};
            const auto n = static_cast<std::size_t>(code == kPlainMacroCode
                                                        ? EncodePlainMacro(buttons[b], scratch)
                                                        : EncodeBulletMacro(buttons[b], scratch));
            // A macro goes whole or not at all: a cut macro could leave a key pressed.
            if (n > macroRoom) {
                area.SetOffset(b, layout::kNoEntriesOffset);
                continue;
            }
            macroRoom -= n;
            area.Place(b, scratch, n);
            continue;
        }
        const FixedEntries fixed = FixedEntriesOf(code);
        if (fixed.count == 0) {
            area.SetOffset(b, layout::kNoEntriesOffset);
            continue;
        }
        area.Place(b, fixed.bytes, fixed.count);
    }
    return report;
}

}  // namespace t47
