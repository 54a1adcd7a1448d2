#pragma once

// The button function codes with fixed entries, and the way the download reads such an entry
// back into its code. One table serves both directions, so the two can never disagree.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "protocol/report_entry.h"

namespace t47 {

inline constexpr std::uint8_t kDoubleClickCode = 0xA5;
inline constexpr std::uint8_t kPlainMacroCode = 0xA6;
inline constexpr std::uint8_t kBulletMacroCode = 0xA7;
// What a button without entries reads back as.
inline constexpr std::uint8_t kNoEntriesCode = 0xAB;

// Entry bytes 0..3 (byte 0 without the button number) and the duration in bytes 8-9.
struct FixedEntry {
    std::array<std::uint8_t, 4> bytes;
    std::uint16_t duration;
};

// Which bytes after the kind tell a row's entry apart when it is read back.
enum class ReadBackBy : std::uint8_t { kByte1, kBytes1And2, kBytes2And3 };

struct SingleEntryFunction {
    std::uint8_t code;
    FixedEntry entry;
    ReadBackBy readBack;
};

inline constexpr ReadBackBy kByte1 = ReadBackBy::kByte1;
inline constexpr ReadBackBy kBytes1And2 = ReadBackBy::kBytes1And2;
inline constexpr ReadBackBy kBytes2And3 = ReadBackBy::kBytes2And3;

// Rows in the order the read-back tries them; the first match wins. Kind 0x60 rows share
// byte 1 and differ in byte 2. 0xB9 comes before the other 0x80 rows because it is told by
// byte 2 = 0 with byte 3 = 2, whatever byte 1 holds.
// clang-format off
inline constexpr SingleEntryFunction kSingleEntryFunctions[] = {
    // code   byte 0 byte 1 byte 2 byte 3   duration  read back by
    {0xA0, {{0x20, 0x01, 0x00, 0x00}, 0xFFFF}, kByte1},       // left button
    {0xA1, {{0x20, 0x02, 0x00, 0x00}, 0xFFFF}, kByte1},       // right button
    {0xA2, {{0x20, 0x04, 0x00, 0x00}, 0xFFFF}, kByte1},       // middle button
    {0xA3, {{0x20, 0x08, 0x00, 0x00}, 0xFFFF}, kByte1},       // fourth button
    {0xA4, {{0x20, 0x10, 0x00, 0x00}, 0xFFFF}, kByte1},       // fifth button
    {0xC0, {{0x40, 0x01, 0x00, 0x00}, 0x0000}, kByte1},       // device selector 1
    {0xC1, {{0x40, 0x02, 0x00, 0x00}, 0x0000}, kByte1},       // device selector 2
    {0xC2, {{0x40, 0x00, 0x00, 0x00}, 0x0000}, kByte1},       // device selector 0
    {0xB0, {{0x60, 0x01, 0x06, 0x00}, 0x0000}, kBytes1And2},  // left Ctrl + C
    {0xB1, {{0x60, 0x01, 0x19, 0x00}, 0x0000}, kBytes1And2},  // left Ctrl + V
    {0xB2, {{0x60, 0x01, 0x1B, 0x00}, 0x0000}, kBytes1And2},  // left Ctrl + X
    {0xB3, {{0x60, 0x01, 0x04, 0x00}, 0x0000}, kBytes1And2},  // left Ctrl + A
    {0xB4, {{0x60, 0x01, 0x09, 0x00}, 0x0000}, kBytes1And2},  // left Ctrl + F
    {0xB5, {{0x60, 0x01, 0x11, 0x00}, 0x0000}, kBytes1And2},  // left Ctrl + N
    {0xB6, {{0x60, 0x01, 0x13, 0x00}, 0x0000}, kBytes1And2},  // left Ctrl + P
    {0xB7, {{0x60, 0x01, 0x16, 0x00}, 0x0000}, kBytes1And2},  // left Ctrl + S
    {0xB8, {{0x60, 0x01, 0x1D, 0x00}, 0x0000}, kBytes1And2},  // left Ctrl + Z
    {0xC3, {{0x60, 0x04, 0x2B, 0x00}, 0x0000}, kBytes1And2},  // left Alt + Tab
    {0xC4, {{0x60, 0x04, 0x3D, 0x00}, 0x0000}, kBytes1And2},  // left Alt + F4
    {0xBA, {{0x60, 0x08, 0x00, 0x00}, 0x0000}, kBytes1And2},  // left GUI alone
    {0xC5, {{0x60, 0x08, 0x08, 0x00}, 0x0000}, kBytes1And2},  // left GUI + E
    {0xC6, {{0x60, 0x08, 0x07, 0x00}, 0x0000}, kBytes1And2},  // left GUI + D
    {0xC7, {{0x60, 0x08, 0x0F, 0x00}, 0x0000}, kBytes1And2},  // left GUI + L
    {0xB9, {{0x80, 0x00, 0x00, 0x02}, 0x0000}, kBytes2And3},  // device bit pattern
    {0xD0, {{0x80, 0x08, 0x00, 0x00}, 0x0000}, kByte1},       // device bit patterns
    {0xD1, {{0x80, 0x04, 0x00, 0x00}, 0x0000}, kByte1},
    {0xD2, {{0x80, 0x01, 0x00, 0x00}, 0x0000}, kByte1},
    {0xD3, {{0x80, 0x02, 0x00, 0x00}, 0x0000}, kByte1},
    {0xD4, {{0x80, 0x40, 0x00, 0x00}, 0x0000}, kByte1},
    {0xD5, {{0x80, 0x80, 0x00, 0x00}, 0x0000}, kByte1},
    {0xD6, {{0x80, 0x10, 0x00, 0x00}, 0x0000}, kByte1},
};

// 0xA5, left button double click: the download knows it by its length alone.
inline constexpr std::array<FixedEntry, 4> kDoubleClickEntries = {{
    // byte 0 byte 1 byte 2 byte 3  duration
    {{0x20, 0x01, 0x00, 0x00}, 0x0041},
    {{0xA0, 0x01, 0x00, 0x00}, 0x0041},
    {{0x20, 0x01, 0x00, 0x00}, 0x0041},
    {{0xA0, 0x01, 0x00, 0x00}, 0x0041},
}};
// clang-format on

inline constexpr std::size_t kMaxFixedEntries = kDoubleClickEntries.size();

struct FixedEntries {
    std::size_t count = 0;  // 0 for macros and codes without entries
    std::array<std::uint8_t, kMaxFixedEntries * kReportEntrySize> bytes{};
};

// The entries of a code with a fixed function, byte 0 without the button number (the report
// builder ORs it in).
FixedEntries FixedEntriesOf(std::uint8_t code);

// The code whose single entry this is; 0 when no row matches. Byte 0's button number and the
// duration are not looked at.
std::uint8_t FunctionCodeOfEntry(ConstReportEntry entry);

}  // namespace t47
