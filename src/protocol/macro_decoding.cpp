#include "protocol/macro_decoding.h"

#include <algorithm>
#include <array>
#include <optional>

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

    // An entry without a key releases what the latest event that is no delay pressed or
    // released. Without such an event there is nothing to release and no event is made: a
    // release of Code 0 would end the list at the next upload and leave the key held.
    void AddRelease() {
        for (std::size_t i = n_; i-- > 0;) {
            if (events_[i].Code != kDelayCode) {
                Add(events_[i].Code, 0);
                return;
            }
        }
    }

    // A press of a key the table knows; a usage byte that no key code has makes no event, since
    // a Code 0 would end the list at the next upload.
    void AddKeyPress(std::uint8_t usageByte, std::uint16_t value) {
        if (const auto code = static_cast<std::uint8_t>(UsageByteToKeyCode(usageByte)); code != 0) {
            Add(code, value);
        }
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
        const bool mouse = EntryKindNibble(e) == kMouseDownKind;
        const std::uint8_t rawKey = mouse ? e[entry::kByte1] : e[entry::kByte2];
        if (rawKey == 0) {
            events.AddRelease();
        } else if (mouse) {
            events.Add(rawKey, 1);
        } else {
            events.AddKeyPress(rawKey, 1);
        }
        events.AddDelay(EntryDuration(e));
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
    std::optional<std::array<std::uint8_t, 2>> bulletBytes;  // bytes 1-2 of the latest bullet
    for (std::size_t i = 0; i < entryCount && !events.full(); ++i) {
        const ConstReportEntry e = EntryAt(entries, i);
        const std::uint8_t kind = EntryKindNibble(e);
        const std::array<std::uint8_t, 2> bytes12 = {e[entry::kByte1], e[entry::kByte2]};
        if (kind == kBulletKind) {
            bulletValue = static_cast<std::uint16_t>(
                (static_cast<std::uint8_t>(e[entry::kByte1] + 50) << 8) | e[entry::kByte2]);
            selector = e[entry::kByte3];
            bulletBytes = bytes12;
            events.Add(kBulletCode, bulletValue);
        } else if (kind == kMouseUpKind) {
            // Always a release. The coder repeats the bytes of the entry before it, so bytes
            // that are those of the latest bullet release that bullet.
            if (bytes12 == bulletBytes) {
                events.Add(kBulletCode, 0);
            } else if (bytes12[0] == 0) {
                events.AddRelease();
            } else {
                events.Add(bytes12[0], 0);
            }
        } else {
            const bool mouse = kind == kMouseDownKind;
            const std::uint8_t rawKey = mouse ? bytes12[0] : bytes12[1];
            // A raw key 12 takes the latest bullet value, whatever the kind.
            const std::uint16_t value = rawKey == kBulletCode ? bulletValue : 1;
            if (rawKey == 0) {
                events.AddRelease();
            } else if (mouse) {
                events.Add(rawKey, value);
            } else {
                events.AddKeyPress(rawKey, value);
            }
        }
        events.AddDelay(EntryDuration(e));
    }
    // Every button event went out as the first button; the selector gives their code back. A
    // selector of 255 would give Code 0, which ends a list: those events stay the first button.
    const auto firstCode = static_cast<std::uint8_t>(1 + selector);
    if (selector != 0 && firstCode != 0) {
        for (std::size_t i = 0; i < events.size(); ++i) {
            if (record.Events[i].Code == 1) {
                record.Events[i].Code = firstCode;
            }
        }
    }
    return static_cast<std::int32_t>(events.size());
}

}  // namespace t47
