#include "platform/text_encoding.h"

#include <algorithm>
#include <cstdint>
#include <type_traits>

namespace t47 {
namespace {

constexpr bool IsHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
constexpr bool IsLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}
constexpr bool IsSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDFFF;
}

// Calls `emit` with each code point of UTF-16 text; lone surrogates come out as U+FFFD.
template <class Emit>
void ForEachCodePoint(std::u16string_view text, Emit emit) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t unit = text[i];
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            emit(0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else {
            emit(IsSurrogate(unit) ? char32_t{kReplacementCharacter} : unit);
        }
    }
}

void AppendUtf16(std::u16string& out, char32_t codePoint) {
    if (codePoint < 0x10000) {
        out.push_back(static_cast<char16_t>(codePoint));
    } else {
        codePoint -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
    }
}

// A path's own string type decides the conversion; templates keep the branch of the other
// platform from being compiled.
template <class NativeString>
std::filesystem::path PathFromNative(std::u16string_view text) {
    if constexpr (std::is_same_v<typename NativeString::value_type, wchar_t>) {
        return std::filesystem::path(WideFromUtf16(text));
    } else {
        // The agent joins its paths as on Windows ("...\Norvane\T47\GamingMouse"); here a
        // backslash is the folder separator too, so its logic is the same on both systems.
        std::string bytes = Utf8FromUtf16(text);
        std::replace(bytes.begin(), bytes.end(), '\\', '/');
        return std::filesystem::path(std::move(bytes));
    }
}

template <class NativeString>
std::u16string Utf16FromNative(const NativeString& native) {
    if constexpr (std::is_same_v<typename NativeString::value_type, wchar_t>) {
        return Utf16FromWide(native);
    } else {
        return Utf16FromUtf8(native);
    }
}

}  // namespace

std::string Utf8FromUtf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    ForEachCodePoint(text, [&out](char32_t cp) {
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    });
    return out;
}

std::u16string Utf16FromUtf8(std::string_view bytes) {
    // Never more units than bytes; written by index, as values run to hundreds of units.
    std::u16string out(bytes.size(), u'\0');
    std::size_t length = 0;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<std::uint8_t>(bytes[i]);
        if (lead < 0x80) {
            out[length++] = lead;
            ++i;
            continue;
        }
        // Length and the allowed range of the second byte, which rules out overlong forms,
        // surrogates and values above U+10FFFF.
        std::size_t sequence = 0;
        std::uint8_t low = 0x80;
        std::uint8_t high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            sequence = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            sequence = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            sequence = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            out[length++] = kReplacementCharacter;
            ++i;
            continue;
        }
        char32_t codePoint = lead & (0xFF >> (sequence + 1));
        std::size_t taken = 1;
        for (; taken < sequence && i + taken < bytes.size(); ++taken) {
            const auto next = static_cast<std::uint8_t>(bytes[i + taken]);
            if (next < low || next > high) {
                break;
            }
            codePoint = (codePoint << 6) | (next & 0x3F);
            low = 0x80;
            high = 0xBF;
        }
        if (taken < sequence) {
            out[length++] = kReplacementCharacter;
        } else if (codePoint < 0x10000) {
            out[length++] = static_cast<char16_t>(codePoint);
        } else {
            codePoint -= 0x10000;
            out[length++] = static_cast<char16_t>(0xD800 + (codePoint >> 10));
            out[length++] = static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
        }
        i += taken;
    }
    out.resize(length);
    return out;
}

std::wstring WideFromUtf16(std::u16string_view text) {
    std::wstring out;
    if constexpr (sizeof(wchar_t) == sizeof(char16_t)) {
        out.assign(text.begin(), text.end());
    } else {
        out.reserve(text.size());
        ForEachCodePoint(text, [&out](char32_t cp) { out.push_back(static_cast<wchar_t>(cp)); });
    }
    return out;
}

std::u16string Utf16FromWide(std::wstring_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (const wchar_t unit : text) {
        if constexpr (sizeof(wchar_t) == sizeof(char16_t)) {
            out.push_back(static_cast<char16_t>(unit));
        } else {
            const auto cp = static_cast<char32_t>(unit);
            AppendUtf16(out,
                        cp > 0x10FFFF || IsSurrogate(cp) ? char32_t{kReplacementCharacter} : cp);
        }
    }
    return out;
}

std::filesystem::path PathFromUtf16(std::u16string_view text) {
    return PathFromNative<std::filesystem::path::string_type>(text);
}

std::u16string Utf16FromPath(const std::filesystem::path& path) {
    return Utf16FromNative(path.native());
}

}  // namespace t47
