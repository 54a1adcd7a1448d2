#pragma once

// One profile file's text, split into sections and keys the way the Windows profile functions
// see it, and the text that writing one key makes of it.
//
// Lines end at CR LF, LF or CR. Blanks (space, tab, VT, FF, Ctrl-Z) around section names, key
// names and values do not count. `[name]` starts a section, the name running to the line's last
// `]`; lines before the first header belong to the section named "". A line starting with `;`
// is a comment. Any other line is a key: its name runs to the first `=`, its value follows; a
// line without `=` is a key without a value, which reads as missing. Names compare with ASCII
// letters folded, other characters exactly. The first section of a name and the first key of
// a name in it win; later ones are never read or written.
//
// A write changes only the line it writes or the lines it adds, in the file's own encoding and
// line ends; the rest of the file keeps its bytes, blank lines and spelling included.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace t47 {

// No byte-order mark is read as UTF-8.
enum class TextEncoding { kUtf8, kUtf8WithBom, kUtf16LeWithBom };

enum class LineEnd { kLf, kCrLf, kCr };

// What a file that does not exist yet is written as.
struct NewFileFormat {
    TextEncoding encoding;
    LineEnd lineEnd;
};

class ProfileDocument {
  public:
    // `bytes` is the whole file; `defaultLineEnd` serves a file that holds no line end yet.
    ProfileDocument(std::string bytes, LineEnd defaultLineEnd);
    ProfileDocument(ProfileDocument&&) noexcept;
    ProfileDocument& operator=(ProfileDocument&&) noexcept;
    ~ProfileDocument();

    const std::string& Bytes() const;
    TextEncoding Encoding() const;

    // The key's value, blanks trimmed, quotes kept; none when the section or the key is missing
    // or the key has no `=`. Bytes that are not UTF-8 read as U+FFFD.
    std::optional<std::u16string> Value(std::u16string_view section, std::u16string_view key) const;

    // The file's bytes after writing the value: an existing key is replaced where it stands,
    // spelled as before; a new key follows its section's last non-blank line; a new section
    // goes at the end of the file. Section name, key name and value lose their leading blanks,
    // as Windows writes them. None when the key already holds exactly this value.
    std::optional<std::string> BytesWithValue(std::u16string_view section, std::u16string_view key,
                                              std::u16string_view value) const;

    // The bytes of a new file holding only this key.
    static std::string NewFileBytes(NewFileFormat format, std::u16string_view section,
                                    std::u16string_view key, std::u16string_view value);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};

}  // namespace t47
