#pragma once

// Files for the profile-file tests: a fresh folder for each test, whole files written and read
// with the standard library as another program would, and UTF-16 text in bytes.

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

#include "platform/text_encoding.h"

namespace t47 {

class TempFolder {
  public:
    TempFolder()
        : path(std::filesystem::temp_directory_path() /
               ("t47-platform-" + std::to_string(std::random_device{}()) + "-" +
                std::to_string(std::random_device{}()))) {
        std::filesystem::create_directories(path);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::filesystem::path operator/(std::string_view name) const { return path / name; }
    const std::filesystem::path& Path() const { return path; }

  private:
    std::filesystem::path path;
};

inline void WriteBytes(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

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
