#include "support/temp_folder.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <random>

#include "platform/text_encoding.h"

namespace t47::test {

TempFolder::TempFolder() {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    path = std::filesystem::temp_directory_path() /
           ("t47-test-" + std::to_string(random()) + "-" + std::to_string(random()) + "-" +
            std::to_string(counter++));
    std::filesystem::create_directories(path);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::u16string TempFolder::File(std::u16string_view name) const {
    return Utf16FromPath(path / PathFromUtf16(name));
}

std::u16string TempFolder::NewFile(std::string_view bytes) {
    const std::filesystem::path file = path / ("f" + std::to_string(newFiles++) + ".ini");
    WriteFileBytes(file, bytes);
    return Utf16FromPath(file);
}

std::vector<std::string> TempFolder::Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path)) {
        names.push_back(Utf8FromUtf16(Utf16FromPath(entry.path().filename())));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadFileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFileText(const std::filesystem::path& file) {
    const std::string bytes = ReadFileBytes(file);
    std::string text;
    if (bytes.starts_with("\xFF\xFE")) {
        std::u16string units;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           (static_cast<unsigned char>(bytes[i + 1]) << 8));
        }
        text = Utf8FromUtf16(units);
    } else if (bytes.starts_with("\xEF\xBB\xBF")) {
        text = bytes.substr(3);
    } else {
        text = bytes;
    }
    std::string lf;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            lf += text[i];
        }
    }
    return lf;
}

}  // namespace t47::test
