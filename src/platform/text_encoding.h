#pragma once

// Conversions between the agent's UTF-16 text and the encodings at the operating system's
// edge: UTF-8 (Linux files and paths), wchar_t (Windows) and file-system paths. Malformed
// input never stops a conversion: each bad sequence becomes U+FFFD.

#include <filesystem>
#include <string>
#include <string_view>

namespace t47 {

inline constexpr char16_t kReplacementCharacter = u'\uFFFD';

// A lone surrogate becomes U+FFFD.
std::string Utf8FromUtf16(std::u16string_view text);

// Each malformed sequence (stray continuation byte, overlong or truncated sequence, encoded
// surrogate, value above U+10FFFF) becomes one U+FFFD per maximal bad part.
std::u16string Utf16FromUtf8(std::string_view bytes);

// Where wchar_t is 16 bits (Windows) unit for unit, lone surrogates included; where it is 32
// bits, code point for code point with lone surrogates and bad values as U+FFFD.
std::wstring WideFromUtf16(std::u16string_view text);
std::u16string Utf16FromWide(std::wstring_view text);

// Paths: UTF-16 on Windows, UTF-8 bytes elsewhere, where a backslash in the text becomes the
// folder separator as on Windows (no file name the agent makes holds one).
std::filesystem::path PathFromUtf16(std::u16string_view text);
std::u16string Utf16FromPath(const std::filesystem::path& path);

}  // namespace t47
