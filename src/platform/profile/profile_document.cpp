#include "platform/profile/profile_document.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

#include "platform/text_encoding.h"

namespace t47 {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// Line ends never occur inside a line, so counting them as blanks only matters for the names
// and values a caller passes in, which Windows strips of them too.
template <class Unit>
constexpr bool IsBlank(Unit unit) {
    return unit == ' ' || unit == '\t' || unit == '\n' || unit == '\v' || unit == '\f' ||
           unit == '\r' || unit == 0x1A;
}

template <class Unit>
std::basic_string_view<Unit> TrimStart(std::basic_string_view<Unit> text) {
    std::size_t begin = 0;
    while (begin < text.size() && IsBlank(text[begin])) {
        ++begin;
    }
    return text.substr(begin);
}

template <class Unit>
std::basic_string_view<Unit> TrimEnd(std::basic_string_view<Unit> text) {
    std::size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) {
        --end;
    }
    return text.substr(0, end);
}

template <class Unit>
std::basic_string_view<Unit> Trim(std::basic_string_view<Unit> text) {
    return TrimEnd(TrimStart(text));
}

// Only ASCII letters fold; in UTF-8 their bytes never occur inside other characters.
template <class Unit>
constexpr std::uint32_t Folded(Unit unit) {
    const auto value = static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<Unit>>(unit));
    return value >= 'A' && value <= 'Z' ? value + ('a' - 'A') : value;
}

template <class Unit>
struct FoldedHash {
    std::size_t operator()(std::basic_string_view<Unit> text) const {
        std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
        for (const Unit unit : text) {
            hash = (hash ^ Folded(unit)) * 1099511628211ull;
        }
        return static_cast<std::size_t>(hash);
    }
};

template <class Unit>
struct FoldedEqual {
    bool operator()(std::basic_string_view<Unit> a, std::basic_string_view<Unit> b) const {
        if (a.size() != b.size()) {
            return false;
        }
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (Folded(a[i]) != Folded(b[i])) {
                return false;
            }
        }
        return true;
    }
};

template <class Unit, class Mapped>
using FoldedMap =
    std::unordered_map<std::basic_string_view<Unit>, Mapped, FoldedHash<Unit>, FoldedEqual<Unit>>;

// Offsets are in units of the text after the byte-order mark.
struct KeyLine {
    std::size_t lineBegin;
    std::size_t contentEnd;  // where the line end starts
    std::size_t nameBegin;
    std::size_t nameEnd;
    std::size_t valueBegin;
    std::size_t valueEnd;
    bool hasValue;
};

template <class Unit>
struct Section {
    std::size_t insertAt = 0;   // just after the last non-blank line, its line end included
    bool lastLineEnded = true;  // false when that line ends the file without a line end
    FoldedMap<Unit, KeyLine> keys;
};

// The parsed text: UTF-8 files are parsed as bytes, UTF-16LE files as units.
template <class Unit>
struct Layout {
    using View = std::basic_string_view<Unit>;

    std::basic_string<Unit> decoded;  // the units of a UTF-16LE file
    View text;
    std::basic_string<Unit> lineEnd;
    std::vector<Section<Unit>> sections;  // the first of each name only
    FoldedMap<Unit, std::size_t> sectionByName;

    const Section<Unit>* Find(View name) const {
        const auto found = sectionByName.find(name);
        return found == sectionByName.end() ? nullptr : &sections[found->second];
    }
};

// A caller's text in the units of the file: UTF-8 bytes, or the UTF-16 text itself.
template <class Unit>
auto UnitsOf(std::u16string_view text) {
    if constexpr (std::is_same_v<Unit, char>) {
        return Utf8FromUtf16(text);
    } else {
        return text;
    }
}

std::u16string Utf16Of(std::string_view units) {
    return Utf16FromUtf8(units);
}
std::u16string Utf16Of(std::u16string_view units) {
    return std::u16string(units);
}

void AppendBytes(std::string& out, std::string_view units) {
    out.append(units);
}

void AppendBytes(std::string& out, std::u16string_view units) {
    for (const char16_t unit : units) {
        out.push_back(static_cast<char>(unit & 0xFF));
        out.push_back(static_cast<char>(unit >> 8));
    }
}

template <class Unit>
std::basic_string<Unit> LineEndUnits(LineEnd lineEnd) {
    switch (lineEnd) {
        case LineEnd::kLf:
            return {Unit('\n')};
        case LineEnd::kCr:
            return {Unit('\r')};
        case LineEnd::kCrLf:
            break;
    }
    return {Unit('\r'), Unit('\n')};
}

template <class Unit>
void Parse(Layout<Unit>& layout, LineEnd defaultLineEnd) {
    using View = std::basic_string_view<Unit>;
    const View text = layout.text;
    layout.sections.emplace_back();
    layout.sectionByName.emplace(View(), 0);
    std::size_t current = 0;  // kNone inside a later section of a name already seen
    bool lineEndSeen = false;
    // Searched again only once passed, so that files with CR line ends stay linear.
    std::size_t nextLf = std::min(text.find(Unit('\n')), text.size());
    std::size_t next = 0;
    while (next < text.size()) {
        const std::size_t lineBegin = next;
        if (nextLf < lineBegin) {
            nextLf = std::min(text.find(Unit('\n'), lineBegin), text.size());
        }
        const std::size_t cr = text.substr(lineBegin, nextLf - lineBegin).find(Unit('\r'));
        const std::size_t contentEnd = cr == View::npos ? nextLf : lineBegin + cr;
        next = contentEnd;
        if (next < text.size()) {
            const bool crLf =
                text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n';
            next += crLf ? 2 : 1;
            if (!lineEndSeen) {
                layout.lineEnd = text.substr(contentEnd, next - contentEnd);
                lineEndSeen = true;
            }
        }
        const View line = TrimEnd(text.substr(lineBegin, contentEnd - lineBegin));
        const View content = TrimStart(line);
        if (content.empty()) {
            continue;
        }
        if (content.front() == '[') {
            const std::size_t close = content.rfind(Unit(']'));
            if (close != View::npos) {
                const View name = Trim(content.substr(1, close - 1));
                current = kNone;
                if (layout.sectionByName.try_emplace(name, layout.sections.size()).second) {
                    current = layout.sections.size();
                    layout.sections.push_back({next, next > contentEnd, {}});
                }
                continue;
            }
        }
        if (current == kNone) {
            continue;
        }
        Section<Unit>& section = layout.sections[current];
        section.insertAt = next;
        section.lastLineEnded = next > contentEnd;
        if (content.front() == ';') {
            continue;
        }
        const std::size_t begin = static_cast<std::size_t>(content.data() - text.data());
        const std::size_t equals = content.find(Unit('='));
        const View name = TrimEnd(content.substr(0, equals));
        KeyLine key{lineBegin, contentEnd, begin, begin + name.size(), 0, 0, false};
        if (equals != View::npos) {
            // The value is a C string to Windows: it ends at a zero unit.
            View value = TrimStart(content.substr(equals + 1));
            value = value.substr(0, value.find(Unit(0)));
            key.valueBegin = static_cast<std::size_t>(value.data() - text.data());
            key.valueEnd = key.valueBegin + value.size();
            key.hasValue = true;
        }
        section.keys.try_emplace(name, key);
    }
    if (!lineEndSeen) {
        layout.lineEnd = LineEndUnits<Unit>(defaultLineEnd);
    }
}

}  // namespace

struct ProfileDocument::Impl {
    std::string bytes;
    TextEncoding encoding = TextEncoding::kUtf8;
    std::size_t markBytes = 0;  // byte-order mark
    std::variant<Layout<char>, Layout<char16_t>> layout;

    template <class Unit>
    std::optional<std::string> Edit(const Layout<Unit>& parsed, std::u16string_view section,
                                    std::u16string_view key, std::u16string_view value) const;
};

template <class Unit>
std::optional<std::string> ProfileDocument::Impl::Edit(const Layout<Unit>& parsed,
                                                       std::u16string_view section,
                                                       std::u16string_view key,
                                                       std::u16string_view value) const {
    using View = std::basic_string_view<Unit>;
    const View text = parsed.text;
    const auto valueUnits = UnitsOf<Unit>(TrimStart(value));
    const Section<Unit>* target = parsed.Find(UnitsOf<Unit>(Trim(section)));
    std::basic_string<Unit> insert;
    std::size_t from = text.size();
    std::size_t to = text.size();
    const KeyLine* line = nullptr;
    if (target != nullptr) {
        const auto found = target->keys.find(UnitsOf<Unit>(Trim(key)));
        line = found == target->keys.end() ? nullptr : &found->second;
    }
    if (line != nullptr) {
        const View oldValue = text.substr(line->valueBegin, line->valueEnd - line->valueBegin);
        if (line->hasValue && oldValue == View(valueUnits)) {
            return std::nullopt;
        }
        insert = text.substr(line->nameBegin, line->nameEnd - line->nameBegin);
        from = line->lineBegin;
        to = line->contentEnd;
    } else {
        if (target != nullptr) {
            from = to = target->insertAt;
            if (!target->lastLineEnded) {
                insert = parsed.lineEnd;
            }
        } else {
            if (!text.empty() && text.back() != '\r' && text.back() != '\n') {
                insert = parsed.lineEnd;
            }
            insert += Unit('[');
            insert += UnitsOf<Unit>(TrimStart(section));
            insert += Unit(']');
            insert += parsed.lineEnd;
        }
        insert += UnitsOf<Unit>(TrimStart(key));
    }
    insert += Unit('=');
    insert += valueUnits;
    if (line == nullptr) {
        insert += parsed.lineEnd;
    }
    const std::size_t unitBytes = sizeof(Unit);
    std::string out;
    out.reserve(bytes.size() + insert.size() * unitBytes);
    out.append(bytes, 0, markBytes + from * unitBytes);
    AppendBytes(out, View(insert));
    out.append(bytes, markBytes + to * unitBytes);
    return out;
}

ProfileDocument::ProfileDocument(std::string bytes, LineEnd defaultLineEnd)
    : impl(std::make_unique<Impl>()) {
    Impl& state = *impl;
    state.bytes = std::move(bytes);
    const std::string_view all = state.bytes;
    if (all.starts_with("\xFF\xFE")) {
        state.encoding = TextEncoding::kUtf16LeWithBom;
        state.markBytes = 2;
        // Parsed in place: the maps hold views into the decoded text.
        auto& parsed = state.layout.emplace<Layout<char16_t>>();
        parsed.decoded.resize((all.size() - 2) / 2);
        for (std::size_t i = 0; i < parsed.decoded.size(); ++i) {
            const auto low = static_cast<std::uint8_t>(all[2 + 2 * i]);
            const auto high = static_cast<std::uint8_t>(all[3 + 2 * i]);
            parsed.decoded[i] = static_cast<char16_t>(high << 8 | low);
        }
        parsed.text = parsed.decoded;
        Parse(parsed, defaultLineEnd);
        return;
    }
    if (all.starts_with("\xEF\xBB\xBF")) {
        state.encoding = TextEncoding::kUtf8WithBom;
        state.markBytes = 3;
    }
    auto& parsed = state.layout.emplace<Layout<char>>();
    parsed.text = all.substr(state.markBytes);
    Parse(parsed, defaultLineEnd);
}

ProfileDocument::ProfileDocument(ProfileDocument&&) noexcept = default;
ProfileDocument& ProfileDocument::operator=(ProfileDocument&&) noexcept = default;
ProfileDocument::~ProfileDocument() = default;

const std::string& ProfileDocument::Bytes() const {
    return impl->bytes;
}

TextEncoding ProfileDocument::Encoding() const {
    return impl->encoding;
}

std::optional<std::u16string> ProfileDocument::Value(std::u16string_view section,
                                                     std::u16string_view key) const {
    return std::visit(
        [&](const auto& parsed) -> std::optional<std::u16string> {
            using Unit = typename std::decay_t<decltype(parsed.text)>::value_type;
            const Section<Unit>* found = parsed.Find(UnitsOf<Unit>(Trim(section)));
            if (found == nullptr) {
                return std::nullopt;
            }
            const auto line = found->keys.find(UnitsOf<Unit>(Trim(key)));
            if (line == found->keys.end() || !line->second.hasValue) {
                return std::nullopt;
            }
            return Utf16Of(parsed.text.substr(line->second.valueBegin,
                                              line->second.valueEnd - line->second.valueBegin));
        },
        impl->layout);
}

std::optional<std::string> ProfileDocument::BytesWithValue(std::u16string_view section,
                                                           std::u16string_view key,
                                                           std::u16string_view value) const {
    return std::visit([&](const auto& parsed) { return impl->Edit(parsed, section, key, value); },
                      impl->layout);
}

std::string ProfileDocument::NewFileBytes(NewFileFormat format, std::u16string_view section,
                                          std::u16string_view key, std::u16string_view value) {
    std::string mark;
    switch (format.encoding) {
        case TextEncoding::kUtf8:
            break;
        case TextEncoding::kUtf8WithBom:
            mark = "\xEF\xBB\xBF";
            break;
        case TextEncoding::kUtf16LeWithBom:
            mark = "\xFF\xFE";
            break;
    }
    // An empty document never holds the key, so the edit always gives bytes.
    return *ProfileDocument(std::move(mark), format.lineEnd).BytesWithValue(section, key, value);
}

}  // namespace t47
