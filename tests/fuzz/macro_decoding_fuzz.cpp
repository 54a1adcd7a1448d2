// The two macro decoders over any entries and any count, and the matching of what they give.
//
// Input: the count as a 16-bit signed little-endian number, then the 920 bytes of the entry
// buffer; missing bytes read as 0.

#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "protocol/macro_decoding.h"
#include "protocol/macro_matching.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace t47;
    FuzzInput input(data, size);
    const auto countBytes = input.Bytes<2>();
    const auto count = static_cast<std::int16_t>(countBytes[0] | countBytes[1] << 8);
    const EntryBuffer entries = input.Bytes<kEntryBufferSize>();
    const std::uint8_t modeByte = entries[7];
    const std::int32_t entriesRead = count < 0 ? 0 : (count > 92 ? 92 : count);

    ButtonAssignment decoded[2]{};
    const std::int32_t n[2] = {DecodePlainMacro(decoded[0], entries, count),
                               DecodeBulletMacro(decoded[1], entries, count)};
    for (int k = 0; k < 2; ++k) {
        const ButtonAssignment& record = decoded[k];
        FuzzCheck(n[k] >= 0 && n[k] <= 92, "at most 92 events");
        FuzzCheck(n[k] <= 2 * entriesRead, "at most two events an entry");
        for (std::size_t i = 0; i < kMaxMacroEvents; ++i) {
            FuzzCheck(record.Events[i].carriedByte1 == 0, "the carried byte is not written");
            FuzzCheck(i < std::size_t(n[k]) || record.Events[i] == MacroEvent{},
                      "nothing after the last event");
            FuzzCheck(i >= std::size_t(n[k]) || record.Events[i].Code != 0,
                      "no Code 0 ends the list early");
        }
        ButtonAssignment rest = record;
        rest.Events = {};
        ButtonAssignment expectedRest{};
        if (modeByte != 0) {
            expectedRest.RepeatMode = std::uint8_t(modeByte / 16 - 1);
            expectedRest.RepeatCount = std::uint8_t(modeByte % 16);
        }
        FuzzCheck(rest == expectedRest, "only the repeat fields and the events are written");
        FuzzCheck(modeByte != 0 || n[k] == 0, "mode byte 0 is no macro");
        FuzzCheck(MacroAssignmentsEqual(record, record), "a macro equals itself");
    }
    FuzzCheck(MacroAssignmentsEqual(decoded[0], decoded[1]) ==
                  MacroAssignmentsEqual(decoded[1], decoded[0]),
              "matching is symmetric");
    return 0;
}
