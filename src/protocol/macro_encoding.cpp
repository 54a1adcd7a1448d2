#include "protocol/macro_encoding.h"

#include <algorithm>
#include <array>

#include "protocol/key_usage_table.h"

namespace t47 {
namespace {

namespace entry = report_entry_layout;

// The first four bytes of one entry; bytes 4-6 stay 0.
using EntryHead = std::array<std::uint8_t, 4>;

bool IsMouseButtonCode(std::uint8_t code) {
    return code == 1 || code == 2 || code == 4 || code == 8 || code == 16;
}

EntryHead PlainEntry(const MacroEvent& event, const EntryHead& previous) {
    const bool pressed = (event.Value & 1) != 0;
    if (IsMouseButtonCode(event.Code)) {
        return pressed ? EntryHead{kMouseDownEntry, event.Code, 0, 0}
                       : EntryHead{kMouseUpEntry, previous[1], 0, 0};
    }
    // A keyboard entry states the one key held; a release holds none.
    const auto usage = static_cast<std::uint8_t>(KeyCodeToUsage(event.Code));
    return EntryHead{kKeyboardEntry, 0, pressed ? usage : std::uint8_t{0}, 0};
}

EntryHead BulletEntry(const MacroEvent& event, const EntryHead& previous, std::uint8_t selector) {
    const bool pressed = event.Value != 0;
    if (event.Code >= 1 && event.Code <= 11) {
        return pressed ? EntryHead{kMouseDownEntry, 0x01, 0, 0}
                       : EntryHead{kMouseUpEntry, previous[1], 0, 0};
    }
    if (event.Code == kBulletCode) {
        const auto high = static_cast<std::uint8_t>(event.Value >> 8);
        const auto low = static_cast<std::uint8_t>(event.Value);
        return pressed
                   ? EntryHead{kBulletEntry, static_cast<std::uint8_t>(high - 50), low, selector}
                   : EntryHead{kMouseUpEntry, previous[1], previous[2], 0};
    }
    return EntryHead{kKeyboardEntry, 0, 0, 0};
}

// The walk both coders share; makeEntry turns one event into an entry head, given the head
// of the entry before it (zeros for the first).
template <typename MakeEntry>
std::int32_t EncodeMacro(const ButtonAssignment& assignment,
                         std::span<std::uint8_t, kEntryBufferSize> out, MakeEntry makeEntry) {
    const std::uint8_t modeByte = MacroModeByte(assignment.RepeatMode, assignment.RepeatCount);
    std::size_t n = 0;
    EntryHead previous{};
    for (std::size_t i = 0; i < kMaxMacroEvents && assignment.Events[i].Code != 0; ++i) {
        const MacroEvent& event = assignment.Events[i];
        // A delay belongs to the entry before it; a 0xFF first event has none and is no delay.
        if (i > 0 && event.Code == kDelayCode) {
            SetEntryDuration(WritableEntryAt(out, n - 1), event.Value);
            continue;
        }
        const EntryHead head = makeEntry(event, previous);
        const ReportEntry made = WritableEntryAt(out, n++);
        std::fill(made.begin(), made.end(), std::uint8_t{0});
        std::copy(head.begin(), head.end(), made.begin());
        made[entry::kModeByte] = modeByte;
        previous = head;
    }
    return static_cast<std::int32_t>(n);
}

}  // namespace

std::uint8_t MacroModeByte(std::uint8_t repeatMode, std::uint8_t repeatCount) {
    if (repeatMode == 1) {
        const auto count = std::clamp<std::uint8_t>(repeatCount, 1, 15);
        return static_cast<std::uint8_t>(0x20 + count);
    }
    // Mode byte 0 would mark no macro at all, so a mode past 14 (the decoder itself makes 0xFF
    // from a mode byte below 0x10) goes out as mode 0.
    if (repeatMode > kMaxRepeatMode) {
        return 0x10;
    }
    return static_cast<std::uint8_t>((repeatMode + 1) * 16);
}

std::int32_t EncodePlainMacro(const ButtonAssignment& assignment,
                              std::span<std::uint8_t, kEntryBufferSize> out) {
    return EncodeMacro(assignment, out, PlainEntry);
}

std::int32_t EncodeBulletMacro(const ButtonAssignment& assignment,
                               std::span<std::uint8_t, kEntryBufferSize> out) {
    const std::uint8_t firstCode = assignment.Events[0].Code;
    const std::uint8_t selector = firstCode > 1 ? static_cast<std::uint8_t>(firstCode - 1) : 0;
    return EncodeMacro(assignment, out,
                       [selector](const MacroEvent& event, const EntryHead& previous) {
                           return BulletEntry(event, previous, selector);
                       });
}

}  // namespace t47
