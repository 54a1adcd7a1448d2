#include "platform/text_encoding.h"

#include <gtest/gtest.h>

namespace t47 {
namespace {

TEST(TextEncoding, ValidTextConvertsBothWays) {
    const std::u16string text = u"ASCII \u00E9 \u4E2D \U0001F5B1";
    const std::string utf8 = "ASCII \xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x96\xB1";
    EXPECT_EQ(Utf8FromUtf16(text), utf8);
    EXPECT_EQ(Utf16FromUtf8(utf8), text);
    EXPECT_EQ(Utf16FromWide(WideFromUtf16(text)), text);
    EXPECT_EQ(Utf16FromPath(PathFromUtf16(text)), text);
}

// The agent joins "\Norvane\T47\GamingMouse" to a folder on every system.
TEST(TextEncoding, ABackslashInAPathSeparatesFolders) {
    const std::filesystem::path path = PathFromUtf16(u"config\\Norvane\\T47\\GamingMouse");
    EXPECT_EQ(path, PathFromUtf16(u"config/Norvane/T47/GamingMouse"));
    EXPECT_EQ(path.filename(), PathFromUtf16(u"GamingMouse"));
    EXPECT_EQ(path.parent_path().filename(), PathFromUtf16(u"T47"));
}

TEST(TextEncoding, MalformedUtf8BecomesReplacementCharacters) {
    struct Case {
        std::string_view bytes;
        std::u16string_view expected;
    };
    const Case cases[] = {
        {"\x80", u"\uFFFD"},  // stray continuation byte
        {"a\xC0\xAF"
         "b",
         u"a\uFFFD\uFFFDb"},                                // overlong
        {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},            // overlong, three bytes
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
        {"\xFF\xFE", u"\uFFFD\uFFFD"},
        {"a\xE4\xB8", u"a\uFFFD"},      // cut short at the end
        {"\xF0\x9F\x96x", u"\uFFFDx"},  // cut short before another character
        {std::string_view("a\0b", 3), std::u16string_view(u"a\0b", 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::string(c.bytes)));
        EXPECT_EQ(Utf16FromUtf8(c.bytes), c.expected);
    }
}

TEST(TextEncoding, LoneSurrogatesBecomeReplacementCharacters) {
    EXPECT_EQ(Utf8FromUtf16(u"a\xD800"
                            "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(Utf8FromUtf16(u"\xDC00\xD800"), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(Utf8FromUtf16(std::u16string(1, u'\xD83D')), "\xEF\xBF\xBD");  // pair cut short
    if constexpr (sizeof(wchar_t) == sizeof(char16_t)) {
        EXPECT_EQ(WideFromUtf16(u"a\xD800"), L"a\xD800");  // Windows names may hold them
    } else {
        EXPECT_EQ(WideFromUtf16(u"a\xD800"), L"a\uFFFD");
    }
}

}  // namespace
}  // namespace t47
