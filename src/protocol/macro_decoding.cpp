#include "protocol/macro_decoding.h"

#include <algorithm>

#include "protocol/key_usage_table.h"
#include "protocol/macro_encoding.h"

namespace t47 {
namespace {

namespace entry = report_entry_layout;

constexpr std::uint8_t kMouseDownKind = kMouseDownEntry >> 4;
constexpr std::uint8_t kMouseUpKind = kMouseUpEntry >> 4;
constexpr std::uint8_t kBulletKind = kBulletEntry >> 4;

// The events a decoder has made so far. A record holds 92 events: once it is full, further
// events are dropped and the decoder stops reading entries, so nothing is written past the
// 92nd slot however long the block.
class EventList {
  public:
    explicit EventList(ButtonAssignment& record) : events_(record.Events) {}

    std::size_t size() const { return n_; }
    bool full() const { return n_ == kMaxMacroEvents; }

    void Add(std::uint8_t code, std::uint16_t value) {
        if (full()) {
            return;
        }
        events_[n_].Code = code;
        events_[n_].Value = value;
        ++n_;
    }

    // The Code of event n - back; 0 when there is no such event.
    std::uint8_t CodeBack(std::size_t back) const {
        return n_ >= back ? events_[n_ - back].Code : 0;
    }

    // An entry without a key releases what was held, once some event exists: the event two
    // places back when the entry carries its own delay or the last event is a delay (the
    // delay of the press sits between them), else the last event.
    void AddRelease(std::uint16_t delay) {
        if (n_ == 0) {
            return;
        }
        const bool twoBack = delay != 0 || CodeBack(1) == kDelayCode;
        Add(twoBack ? CodeBack(2) : CodeBack(1), 0);
    }

    void AddDelay(std::uint16_t delay) {
        if (delay != 0) {
            Add(kDelayCode, delay);
        }
    }

  private:
    MacroEvents& events_;
    std::size_t n_ = 0;
};

// The mode byte of the first entry into the repeat fields; the number of entries to read, or
// 0 when the block is no macro at all.
std::size_t StartMacro(ButtonAssignment& record,
                       std::span<const std::uint8_t, kEntryBufferSize> entries,
                       std::int32_t count) {
    const std::uint8_t modeByte = entries[entry::kModeByte];
    if (modeByte == 0) {
        return 0;
    }
    record.RepeatMode = static_cast<std::uint8_t>(modeByte / 16 - 1);
    record.RepeatCount = static_cast<std::uint8_t>(modeByte % 16);
    // The buffer holds 92 entries; a larger count cannot be read.
    return static_cast<std::size_t>(
        std::clamp<std::int32_t>(count, 0, static_cast<std::int32_t>(kEntryBufferEntries)));
}

}  // namespace

std::int32_t DecodePlainMacro(ButtonAssignment& record,
                              std::span<const std::uint8_t, kEntryBufferSize> entries,
                              std::int32_t count) {
    const std::size_t entryCount = StartMacro(record, entries, count);
    EventList events(record);
    for (std::size_t i = 0; i < entryCount && !events.full(); ++i) {
        const ConstReportEntry e = EntryAt(entries, i);
        const std::uint16_t delay = EntryDuration(e);
        const bool mouse = EntryKindNibble(e) == kMouseDownKind;
        const std::uint8_t rawKey = mouse ? e[entry::kByte1] : e[entry::kByte2];
        if (rawKey == 0) {
            events.AddRelease(delay);
        } else {
            const auto code = mouse ? rawKey : static_cast<std::uint8_t>(UsageToKeyCode(rawKey));
            events.Add(code, 1);
        }
        events.AddDelay(delay);
    }
    return static_cast<std::int32_t>(events.size());
}

std::int32_t DecodeBulletMacro(ButtonAssignment& record,
                               std::span<const std::uint8_t, kEntryBufferSize> entries,
                               std::int32_t count) {
    const std::size_t entryCount = StartMacro(record, entries, count);
    EventList events(record);
    std::uint16_t bulletValue = 0;  // W: the value of the latest bullet entry
    std::uint8_t selector = 0;      // G: the latest selector
    for (std::size_t i = 0; i < entryCount && !events.full(); ++i) {
        const ConstReportEntry e = EntryAt(entries, i);
        const std::uint16_t delay = EntryDuration(e);
        const std::uint8_t kind = EntryKindNibble(e);
        std::uint8_t rawKey = 0;
        std::uint8_t code = 0;
        if (kind == kMouseDownKind || kind == kMouseUpKind) {
            rawKey = code = e[entry::kByte1];
        } else if (kind == kBulletKind) {
            rawKey = code = kBulletCode;
            bulletValue = static_cast<std::uint16_t>(
                (static_cast<std::uint8_t>(e[entry::kByte1] + 50) << 8) | e[entry::kByte2]);
            selector = e[entry::kByte3];
        } else {
            rawKey = e[entry::kByte2];
            code = static_cast<std::uint8_t>(UsageToKeyCode(rawKey));
        }
        if (rawKey == 0) {
            events.AddRelease(delay);
        } else if (rawKey == kBulletCode) {
            events.Add(code, bulletValue);
        } else {
            events.Add(code, kind == kMouseUpKind ? 0 : 1);
        }
        events.AddDelay(delay);
    }
    // Every button event went out as the first button; the selector gives their code back.
    if (selector != 0) {
        for (std::size_t i = 0; i < events.size(); ++i) {
            if (record.Events[i].Code == 1) {
                record.Events[i].Code = static_cast<std::uint8_t>(1 + selector);
            }
        }
    }
    return static_cast<std::int32_t>(events.size());
}

}  // namespace t47
