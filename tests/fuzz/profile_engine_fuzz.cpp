// The profile-file engine over any file and any section, key and value written into it.
//
// Input: one byte each for the lengths of the section, the key and the value, those three texts
// (UTF-8; bad bytes read as U+FFFD; cut short where the input ends), then the file's bytes.
//
// Checks: the write succeeds and removes no line end; a well-formed key (no line break, no '='
// in its name, not starting with ';' or '[') reads back as written and leaves every other key
// of the file as it was; a fresh engine reads what the engine that keeps the file cached does.
// That engine lives through the whole run while the file is rewritten under it by another
// writer at every input, often within one tick of the file-system clock.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "platform/profile/profile_engine.h"
#include "platform/profile/profile_values.h"
#include "platform/text_encoding.h"

namespace t47 {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kBufferUnits = 1 << 16;  // more than any input holds
constexpr std::size_t kMostKeysChecked = 64;
constexpr NewFileFormat kFormat{TextEncoding::kUtf8, LineEnd::kLf};

// One folder for the whole run, removed at its end.
class FuzzFolder {
  public:
    FuzzFolder()
        : path(fs::temp_directory_path() / ("t47-fuzz-" + std::to_string(std::random_device{}()))) {
        fs::create_directories(path);
    }
    ~FuzzFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    const fs::path path;
};

bool IsBlank(char16_t unit) {
    return unit == u' ' || unit == u'\t' || unit == u'\n' || unit == u'\v' || unit == u'\f' ||
           unit == u'\r' || unit == 0x1A;
}

std::u16string_view Trim(std::u16string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Names as the file compares them: blanks around them and ASCII case do not count.
bool SameName(std::u16string_view a, std::u16string_view b) {
    a = Trim(UpToZero(a));
    b = Trim(UpToZero(b));
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char16_t x, char16_t y) {
        auto fold = [](char16_t u) { return u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u; };
        return fold(x) == fold(y);
    });
}

std::u16string Text(std::string_view bytes) {
    return Utf16FromUtf8(bytes);
}

// The file's text, decoded by its byte-order mark as the engine decodes it.
std::u16string FileText(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE")) {
        std::u16string units;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            units += char16_t(std::uint8_t(bytes[i]) | std::uint8_t(bytes[i + 1]) << 8);
        }
        return units;
    }
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
    }
    return Text(bytes);
}

std::size_t LineEnds(std::u16string_view text) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char16_t u) { return u == u'\r' || u == u'\n'; }));
}

// Sections and key names the file's lines hold, found as a reader of INI files would.
std::vector<std::pair<std::u16string, std::u16string>> KeysOf(std::u16string_view text) {
    std::vector<std::pair<std::u16string, std::u16string>> keys;
    std::u16string section;
    while (!text.empty() && keys.size() < kMostKeysChecked) {
        const std::size_t end = std::min(text.find(u'\n'), text.find(u'\r'));
        const std::u16string_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::u16string_view::npos ? text.size() : end + 1);
        const std::size_t close = line.rfind(u']');
        if (line.starts_with(u'[') && close != std::u16string_view::npos) {
            section = line.substr(1, close - 1);
        } else if (const std::size_t equals = line.find(u'='); equals != line.npos) {
            keys.emplace_back(section, line.substr(0, equals));
        }
    }
    return keys;
}

bool HasLineBreak(std::u16string_view text) {
    return text.find_first_of(u"\r\n") != std::u16string_view::npos;
}

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace
}  // namespace t47

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace t47;
    static FuzzFolder folder;
    static ProfileEngine caching(kFormat);

    std::string_view input(reinterpret_cast<const char*>(data), size);
    auto take = [&input](std::size_t count) {
        const std::string_view part = input.substr(0, count);
        input.remove_prefix(part.size());
        return part;
    };
    const std::string_view lengths = take(3);
    auto length = [&lengths](std::size_t i) {
        return i < lengths.size() ? std::size_t(std::uint8_t(lengths[i])) : 0;
    };
    const std::u16string section = Text(take(length(0)));
    const std::u16string key = Text(take(length(1)));
    const std::u16string value = Text(take(length(2)));
    const std::string_view before = input;

    const fs::path file = folder.path / "profile.ini";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(before.data(), static_cast<std::streamsize>(before.size()));
    }
    const std::u16string path = Utf16FromPath(file);
    auto read = [&path](ProfileEngine& engine, std::u16string_view s, std::u16string_view k) {
        return engine.GetProfileString(s, k, u"\x01missing", kBufferUnits, path);
    };

    const std::u16string oldText = FileText(before);
    const auto keys = KeysOf(oldText);
    std::vector<std::u16string> oldValues;
    for (const auto& [s, k] : keys) {
        oldValues.push_back(read(caching, s, k));
    }

    FuzzCheck(caching.WriteProfileString(section, key, value, path), "the write succeeds");
    const std::string after = ReadBytes(file);
    FuzzCheck(LineEnds(FileText(after)) >= LineEnds(oldText), "no line end is removed");

    ProfileEngine fresh(kFormat);
    FuzzCheck(read(fresh, section, key) == read(caching, section, key), "engines agree");
    FuzzCheck(
        fresh.GetProfileInt(section, key, 7, path) == caching.GetProfileInt(section, key, 7, path),
        "engines agree on integers");

    const std::u16string_view trimmedKey = Trim(UpToZero(key));
    const bool wellFormed = !HasLineBreak(UpToZero(section)) && !HasLineBreak(UpToZero(key)) &&
                            !HasLineBreak(UpToZero(value)) &&
                            trimmedKey.find(u'=') == std::u16string_view::npos &&
                            !trimmedKey.starts_with(u';') && !trimmedKey.starts_with(u'[');
    if (wellFormed) {
        FuzzCheck(read(fresh, section, key) == CopyToBuffer(Trim(UpToZero(value)), kBufferUnits),
                  "the value reads back");
    }
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const auto& [s, k] = keys[i];
        const std::u16string now = read(fresh, s, k);
        FuzzCheck(now == read(caching, s, k), "engines agree on every key");
        if (wellFormed && !(SameName(s, section) && SameName(k, key))) {
            FuzzCheck(now == oldValues[i], "no other key changes");
        }
    }
    return 0;
}
