#pragma once

// Little-endian numbers inside byte layouts (the settings file's button record, the macro
// library's event block, the device reports). Records are never reinterpreted from memory.

#include <cstddef>
#include <cstdint>
#include <span>

namespace t47 {

inline std::uint16_t ReadU16LE(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

inline void WriteU16LE(std::span<std::uint8_t> bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

inline std::uint32_t ReadU32LE(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) |
           (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[at + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

inline void WriteU32LE(std::span<std::uint8_t> bytes, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

inline std::int32_t ReadI32LE(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::int32_t>(ReadU32LE(bytes, at));
}

inline void WriteI32LE(std::span<std::uint8_t> bytes, std::size_t at, std::int32_t value) {
    WriteU32LE(bytes, at, static_cast<std::uint32_t>(value));
}

}  // namespace t47
