#include "settings/macro_event.h"

#include "settings/little_endian.h"

namespace t47 {

namespace layout = macro_event_layout;

void MacroEventToBytes(const MacroEvent& event, std::span<std::uint8_t, kMacroEventSize> out) {
    out[layout::kCode] = event.Code;
    out[layout::kCarriedByte1] = event.carriedByte1;
    WriteU16LE(out, layout::kValue, event.Value);
}

MacroEvent MacroEventFromBytes(std::span<const std::uint8_t, kMacroEventSize> bytes) {
    MacroEvent event;
    event.Code = bytes[layout::kCode];
    event.carriedByte1 = bytes[layout::kCarriedByte1];
    event.Value = ReadU16LE(bytes, layout::kValue);
    return event;
}

void MacroEventsToBytes(const MacroEvents& events, std::span<std::uint8_t, kMacroEventsSize> out) {
    for (std::size_t i = 0; i < kMaxMacroEvents; ++i) {
        MacroEventToBytes(events[i], out.subspan(i * kMacroEventSize).first<kMacroEventSize>());
    }
}

MacroEventsBytes MacroEventsToBytes(const MacroEvents& events) {
    MacroEventsBytes bytes{};
    MacroEventsToBytes(events, bytes);
    return bytes;
}

MacroEvents MacroEventsFromBytes(std::span<const std::uint8_t, kMacroEventsSize> bytes) {
    MacroEvents events;
    for (std::size_t i = 0; i < kMaxMacroEvents; ++i) {
        events[i] =
            MacroEventFromBytes(bytes.subspan(i * kMacroEventSize).first<kMacroEventSize>());
    }
    return events;
}

}  // namespace t47
