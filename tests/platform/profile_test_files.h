#pragma once

// Files for the profile-file tests: the shared temporary folder and file helpers, UTF-16 text
// in bytes, and file times.

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/text_encoding.h"
#include "support/temp_folder.h"

namespace t47 {

using test::ReadFileBytes;
using test::TempFolder;
using test::WriteFileBytes;

// With the byte-order mark.
inline std::string Utf16LeBytes(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

inline std::u16string U16(const std::filesystem::path& file) {
    return Utf16FromPath(file);
}

// An hour ago, in whole seconds, which every file system keeps exactly.
inline std::filesystem::file_time_type AnHourAgo() {
    return std::chrono::floor<std::chrono::seconds>(std::filesystem::file_time_type::clock::now() -
                                                    std::chrono::hours(1));
}

}  // namespace t47
