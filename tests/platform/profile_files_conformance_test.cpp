// The behaviour every implementation of the profile-file services shares: the portable engine
// everywhere, and under Windows (Wine) also the Windows functions themselves. Files that the
// functions would rewrite differently (LF line ends, blank lines, odd spacing) and the points
// where the engine is stricter on purpose are left to profile_engine_test.cpp.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/profile/profile_engine.h"
#include "platform/profile_test_files.h"
#include "support/profile_files_implementations.h"

namespace t47 {
namespace {

namespace fs = std::filesystem;

using test::ProfileFilesImplementation;

constexpr std::u16string_view kDefault = u"<DEF>";

class ProfileFilesTest : public ::testing::TestWithParam<ProfileFilesImplementation> {
  protected:
    std::u16string File(std::string_view bytes) { return folder.NewFile(bytes); }

    std::u16string Get(std::u16string_view path, std::u16string_view section,
                       std::u16string_view key, std::u16string_view defaultText = kDefault,
                       std::size_t bufferUnits = 256) {
        return profiles->GetProfileString(section, key, defaultText, bufferUnits, path);
    }

    // The bytes a new file of this implementation holds for text written with "\n" line ends.
    std::string NewFileBytes(std::u16string_view text) const {
        std::u16string lines;
        for (const char16_t unit : text) {
            unit == u'\n' ? lines += GetParam().newLine : lines += unit;
        }
        return GetParam().newFileIsUtf16 ? Utf16LeBytes(lines) : Utf8FromUtf16(lines);
    }

    TempFolder folder;
    std::unique_ptr<ProfileFiles> profiles = GetParam().make();
};

TEST_P(ProfileFilesTest, ReadsTextAsWindowsDoes) {
    struct Case {
        const char* file;
        std::u16string_view section;
        std::u16string_view key;
        std::u16string_view expected;
    };
    const Case cases[] = {
        // Blanks and tabs around names and values, in the file and in the query.
        {"[S]\r\n  key1  =  value one  \r\n", u"S", u"key1", u"value one"},
        {"[S]\r\n  key1  =  value one  \r\n", u"S", u"  key1  ", u"value one"},
        {"[S]\r\n\tkey1\t=\tvalue one\t\r\n", u" S\t", u"key1 ", u"value one"},
        {"[S]\r\nkey 4 = v 4\r\n", u"S", u"key 4", u"v 4"},
        {"[S]\r\nkey 4 = v 4\r\n", u"S", u"key4", kDefault},
        // One matching pair of quotes is stripped, after the blanks.
        {"[S]\r\nk=\"quoted\"\r\n", u"S", u"k", u"quoted"},
        {"[S]\r\nk='single'\r\n", u"S", u"k", u"single"},
        {"[S]\r\nk=  \"  spaced  \"  \r\n", u"S", u"k", u"  spaced  "},
        {"[S]\r\nk=\"unbalanced\r\n", u"S", u"k", u"\"unbalanced"},
        {"[S]\r\nk=\"a\"b\r\n", u"S", u"k", u"\"a\"b"},
        {"[S]\r\nk=a\"b\"\r\n", u"S", u"k", u"a\"b\""},
        {"[S]\r\nk='x\"\r\n", u"S", u"k", u"'x\""},
        {"[S]\r\nk=\"\r\n", u"S", u"k", u"\""},
        {"[S]\r\nk=\"\"\r\n", u"S", u"k", u""},
        {"[S]\r\nk=''\r\n", u"S", u"k", u""},
        {"[S]\r\nk=\"a\" \"b\"\r\n", u"S", u"k", u"a\" \"b"},
        // ';' and '#' inside a value are text; '#' starts no comment.
        {"[S]\r\nk=abc ; comment\r\n", u"S", u"k", u"abc ; comment"},
        {"[S]\r\nk=abc;def\r\n", u"S", u"k", u"abc;def"},
        {"[S]\r\nk=abc #def\r\n", u"S", u"k", u"abc #def"},
        {"[S]\r\nk=;x\r\n", u"S", u"k", u";x"},
        {"[S]\r\n#c2=v2\r\n", u"S", u"#c2", u"v2"},
        {";[T]\r\nk=v\r\n", u"T", u"k", kDefault},
        // ASCII letters compare without case, other letters exactly.
        {"[MySection]\r\nMyKey=v\r\n", u"mysection", u"MYKEY", u"v"},
        // First key and first section of a name win; later ones are not merged.
        {"[S]\r\nk=first\r\nK=second\r\nk=third\r\n", u"S", u"k", u"first"},
        {"[S]\r\na=1\r\nk=first\r\n[T]\r\nt=0\r\n[S]\r\nb=2\r\nk=second\r\n[s]\r\nc=3\r\n", u"S",
         u"k", u"first"},
        {"[S]\r\na=1\r\n[T]\r\n[S]\r\nb=2\r\n[s]\r\nc=3\r\n", u"S", u"a", u"1"},
        {"[S]\r\na=1\r\n[T]\r\n[S]\r\nb=2\r\n[s]\r\nc=3\r\n", u"S", u"b", kDefault},
        {"[S]\r\na=1\r\n[T]\r\n[S]\r\nb=2\r\n[s]\r\nc=3\r\n", u"s", u"c", kDefault},
        // Keys before the first section belong to the section "", which a later [] never joins.
        {"h=head\r\n[S]\r\nk=s\r\n", u"", u"h", u"head"},
        {"h=head\r\n[S]\r\nk=s\r\n", u"S", u"h", kDefault},
        {"[S]\r\nk=s\r\n[]\r\nk=empty\r\n", u"", u"k", kDefault},
        // A line without '=' is a key without a value: it reads as missing, and hides later ones.
        {"[S]\r\nnoequals\r\n", u"S", u"noequals", kDefault},
        {"[S]\r\nk\r\nk=v\r\n", u"S", u"k", kDefault},
        {"[S]\r\n=novalkey\r\n", u"S", u"", u"novalkey"},
        // Empty values are empty, not the default; the value starts after the first '='.
        {"[S]\r\nk=\r\n", u"S", u"k", u""},
        {"[S]\r\nk=   \r\n", u"S", u"k", u""},
        {"[S]\r\nk=a=b\r\n", u"S", u"k", u"a=b"},
        {"[S]\r\nk==x\r\n", u"S", u"k", u"=x"},
        // Section headers.
        {"[ Setting ]\r\nk=v\r\n", u"Setting", u"k", u"v"},
        {"  [Indented]  \r\nk=v\r\n", u"Indented", u"k", u"v"},
        {"[Trail] garbage\r\nk=v\r\n", u"Trail", u"k", u"v"},
        {"[a]b]\r\nk=v\r\n", u"a]b", u"k", u"v"},
        {"[NoClose\r\nk=v\r\n", u"NoClose", u"k", kDefault},
        {"[NoClose\r\nk=v\r\n", u"", u"k", u"v"},
        // Line ends.
        {"[S]\nk=lf\n", u"S", u"k", u"lf"},
        {"[S]\rk=cr\r", u"S", u"k", u"cr"},
        {"[S]\r\nk=last", u"S", u"k", u"last"},
        {"[S]\r\nk=v\r\n", u"T", u"k", kDefault},
        // Encodings by their byte-order mark.
        {"\xEF\xBB\xBF[S]\r\nk=\xC3\xA9t\xC3\xA9\r\n", u"S", u"k", u"\u00E9t\u00E9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(Get(File(c.file), c.section, c.key), c.expected);
    }
}

TEST_P(ProfileFilesTest, CutsTextToTheBuffer) {
    struct Case {
        const char* value;
        std::size_t bufferUnits;
        std::u16string_view expected;
    };
    const Case cases[] = {
        {"0123456789", 0, u""},           {"0123456789", 1, u""},
        {"0123456789", 2, u"0"},          {"0123456789", 5, u"0123"},
        {"0123456789", 10, u"012345678"}, {"0123456789", 11, u"0123456789"},
        {"\"quoted\"", 4, u"quo"},        {"\"quoted\"", 7, u"quote"},
        {"\"quoted\"", 8, u"quoted"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.value << " in " << c.bufferUnits);
        const std::u16string path = File(std::string("[S]\r\nk=") + c.value + "\r\n");
        EXPECT_EQ(Get(path, u"S", u"k", kDefault, c.bufferUnits), c.expected);
    }
    const std::string longValue(3000, 'x');
    EXPECT_EQ(Get(File("[S]\r\nk=" + longValue + "\r\n"), u"S", u"k", kDefault, 3001),
              std::u16string(3000, u'x'));
}

TEST_P(ProfileFilesTest, GivesTheDefaultAsWindowsDoes) {
    struct Case {
        std::u16string_view defaultText;
        std::size_t bufferUnits;
        std::u16string_view expected;
    };
    const Case cases[] = {
        {u"dflt", 256, u"dflt"},
        {u"  dflt  ", 256, u"  dflt"},
        {u"", 256, u""},
        {u"\tdf\t", 256, u"\tdf\t"},
        {u"\"df\"  ", 256, u"df"},
        {u"  \"df\"", 256, u"  \"df\""},
        {u"0123456789", 5, u"0123"},
        {u"\"abcdef\"", 4, u"abc"},
        // Trailing spaces go, but never the first unit.
        {u" ", 256, u" "},
        {u"   ", 256, u" "},
        {u"   ", 1, u""},
    };
    const std::u16string withSection = File("[S]\r\nother=1\r\n");
    const std::u16string missing = U16(folder / "missing.ini");
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8FromUtf16(c.defaultText));
        EXPECT_EQ(Get(withSection, u"S", u"k", c.defaultText, c.bufferUnits), c.expected);
        EXPECT_EQ(Get(withSection, u"T", u"k", c.defaultText, c.bufferUnits), c.expected);
        EXPECT_EQ(Get(missing, u"S", u"k", c.defaultText, c.bufferUnits), c.expected);
    }
}

TEST_P(ProfileFilesTest, ReadsIntegersAsWindowsDoes) {
    struct Case {
        const char* value;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"12", 12},
        {" 12", 12},
        {"12 ", 12},
        {"+12", 12},
        {"\t5\t", 5},
        {"-1", -1},
        {"-0", 0},
        // Leading digits only.
        {"12abc", 12},
        {"12 34", 12},
        {"12;comment", 12},
        {"1.5", 1},
        {"abc", 0},
        {"- 5", 0},
        {"+-5", 0},
        {"0x", 0},
        {"0xZ", 0},
        // Bases: lower-case prefixes only; a leading 0 is still decimal.
        {"0x10", 16},
        {"0X10", 0},
        {"0xff", 255},
        {"-0x10", -16},
        {"010", 10},
        {"0b101", 5},
        {"0o17", 15},
        {"0b2", 0},
        // Modulo 2^32.
        {"2147483647", 2147483647},
        {"2147483648", INT32_MIN},
        {"4294967295", -1},
        {"4294967296", 0},
        {"99999999999", 1215752191},
        {"-2147483648", INT32_MIN},
        {"-2147483649", 2147483647},
        {"0xFFFFFFFFF", -1},
        // Quotes are stripped first; then anything up to the blank is skipped.
        {"\"12\"", 12},
        {"'12'", 12},
        {"\" 12\"", 12},
        {"\"  12  \"", 12},
        {"\"\t12\"", 12},
        {"  -7  ", -7},
        // Only the first 29 characters are read.
        {"000000000000000000000000000012", 1},
        // Empty text gives the default.
        {"", 777},
        {"\"\"", 777},
        {"   ", 777},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const std::u16string path = File(std::string("[S]\r\nk=") + c.value + "\r\n");
        EXPECT_EQ(profiles->GetProfileInt(u"S", u"k", 777, path), c.expected);
    }
    const std::u16string path = File("[S]\r\nempty=\r\nnoequals\r\n");
    EXPECT_EQ(profiles->GetProfileInt(u"S", u"empty", -5, path), -5);
    EXPECT_EQ(profiles->GetProfileInt(u"S", u"noequals", -5, path), -5);
    EXPECT_EQ(profiles->GetProfileInt(u"S", u"missing", -5, path), -5);
    EXPECT_EQ(profiles->GetProfileInt(u"T", u"empty", -5, path), -5);
    EXPECT_EQ(profiles->GetProfileInt(u"S", u"k", -5, U16(folder / "missing.ini")), -5);
}

TEST_P(ProfileFilesTest, ReadsStructsAsWindowsDoes) {
    struct Case {
        const char* value;
        std::size_t length;
        bool decodes;
    };
    const Case cases[] = {
        {"010203FF05", 4, true},      {"010203ff05", 4, true},  {"010203Ff05", 4, true},
        {"  010203FF05  ", 4, true},  {"010203FF05", 3, false}, {"010203FF05", 5, false},
        {"010203FF06", 4, false},     {"0102 3FF05", 4, false}, {"0x0203FF05", 4, false},
        {"01020ZFF05", 4, false},     {"", 4, false},           {"010203FF0", 4, false},
        {"\"010203FF05\"", 4, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.value << " as " << c.length);
        const std::u16string path = File(std::string("[S]\r\nk=") + c.value + "\r\n");
        std::vector<std::uint8_t> bytes(c.length, 0xEE);
        EXPECT_EQ(profiles->GetProfileStruct(u"S", u"k", bytes, path), c.decodes);
        const std::vector<std::uint8_t> expected =
            c.decodes ? std::vector<std::uint8_t>{1, 2, 3, 0xFF}
                      : std::vector<std::uint8_t>(c.length, 0xEE);  // untouched
        EXPECT_EQ(bytes, expected);
    }
    std::array<std::uint8_t, 4> bytes{};
    EXPECT_FALSE(profiles->GetProfileStruct(u"S", u"missing", bytes, File("[S]\r\nk=v\r\n")));
    EXPECT_FALSE(profiles->GetProfileStruct(u"S", u"k", bytes, U16(folder / "missing.ini")));
}

TEST_P(ProfileFilesTest, WritesANewFileAndAddsKeysAndSections) {
    const fs::path file = folder / "new.ini";
    ASSERT_TRUE(profiles->WriteProfileString(u"Sec", u"key", u"value", U16(file)));
    EXPECT_EQ(ReadFileBytes(file), NewFileBytes(u"[Sec]\nkey=value\n"));
    ASSERT_TRUE(profiles->WriteProfileString(u"Sec", u"key2", u"v2", U16(file)));
    ASSERT_TRUE(profiles->WriteProfileString(u"Other", u"a", u"b", U16(file)));
    EXPECT_EQ(ReadFileBytes(file), NewFileBytes(u"[Sec]\nkey=value\nkey2=v2\n[Other]\na=b\n"));
    EXPECT_EQ(Get(U16(file), u"Sec", u"key2"), u"v2");
    EXPECT_TRUE(profiles->FileExists(U16(file)));

    const fs::path head = folder / "head.ini";
    ASSERT_TRUE(profiles->WriteProfileString(u"", u"h", u"1", U16(head)));
    EXPECT_EQ(ReadFileBytes(head), NewFileBytes(u"h=1\n"));
}

TEST_P(ProfileFilesTest, EditsExistingFilesAsWindowsDoes) {
    struct Case {
        const char* before;
        std::u16string_view section;
        std::u16string_view key;
        std::u16string_view value;
        const char* after;
    };
    const Case cases[] = {
        // Into a middle section, after its last line, comments and lines without '=' included.
        {"[A]\r\na=1\r\n;note\r\nloose line\r\n[B]\r\nb=2\r\n", u"A", u"c", u"3",
         "[A]\r\na=1\r\n;note\r\nloose line\r\nc=3\r\n[B]\r\nb=2\r\n"},
        // Replaced where it stands, spelled as before.
        {"[Sec]\r\nKey=1\r\nOther=x\r\n", u"sEC", u"kEY", u"2", "[Sec]\r\nKey=2\r\nOther=x\r\n"},
        // The first of duplicates.
        {"[S]\r\na=1\r\nA=2\r\n[T]\r\n[s]\r\nb=2\r\n", u"S", u"a", u"3",
         "[S]\r\na=3\r\nA=2\r\n[T]\r\n[s]\r\nb=2\r\n"},
        {"[S]\r\na=1\r\n[T]\r\n[s]\r\nb=2\r\n", u"s", u"c", u"3",
         "[S]\r\na=1\r\nc=3\r\n[T]\r\n[s]\r\nb=2\r\n"},
        // Keys before any section, a key without '=', a header with a ']' inside.
        {"[S]\r\na=1\r\n", u"", u"h", u"1", "h=1\r\n[S]\r\na=1\r\n"},
        {"[S]\r\nk\r\nm=1\r\n", u"S", u"k", u"x", "[S]\r\nk=x\r\nm=1\r\n"},
        {"[a]b]\r\nx=1\r\n", u"a]b", u"y", u"2", "[a]b]\r\nx=1\r\ny=2\r\n"},
        // Values as they are: quotes kept, empty allowed; names and values lose leading blanks.
        {"[S]\r\nk=v\r\n", u"S", u"k", u"\"quoted\"", "[S]\r\nk=\"quoted\"\r\n"},
        {"[S]\r\nk=v\r\n", u"S", u"k", u"", "[S]\r\nk=\r\n"},
        {"[S]\r\nk=v\r\n", u"S", u"  k2", u" \tv  ", "[S]\r\nk=v\r\nk2=v  \r\n"},
        {"[S]\r\nk=v\r\n", u" T ", u"k ", u"x", "[S]\r\nk=v\r\n[T ]\r\nk =x\r\n"},
        // A last line without a line end gets one.
        {"[S]\r\na=1", u"S", u"c", u"3", "[S]\r\na=1\r\nc=3\r\n"},
        {"[S]\r\na=1", u"T", u"c", u"3", "[S]\r\na=1\r\n[T]\r\nc=3\r\n"},
        {"\xEF\xBB\xBF[S]\r\nk=v\r\n", u"S", u"k2", u"\u00E9",
         "\xEF\xBB\xBF[S]\r\nk=v\r\nk2=\xC3\xA9\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        const std::u16string path = File(c.before);
        ASSERT_TRUE(profiles->WriteProfileString(c.section, c.key, c.value, path));
        EXPECT_EQ(ReadFileBytes(PathFromUtf16(path)), c.after);
    }
}

TEST_P(ProfileFilesTest, WritesStructsInUpperCaseWithTheirChecksum) {
    const std::u16string path = File("[S]\r\n");
    const std::array<std::uint8_t, 4> block{0x01, 0x02, 0x03, 0xFF};
    const std::array<std::uint8_t, 3> other{0xAB, 0xCD, 0xEF};
    std::array<std::uint8_t, 380> zeros{};
    std::array<std::uint8_t, 380> ones{};
    ones.fill(0xFF);
    ASSERT_TRUE(profiles->WriteProfileStruct(u"S", u"block", block, path));
    ASSERT_TRUE(profiles->WriteProfileStruct(u"S", u"other", other, path));
    ASSERT_TRUE(profiles->WriteProfileStruct(u"S", u"zeros", zeros, path));
    ASSERT_TRUE(profiles->WriteProfileStruct(u"S", u"ones", ones, path));
    EXPECT_EQ(Get(path, u"S", u"block"), u"010203FF05");
    EXPECT_EQ(Get(path, u"S", u"other"), u"ABCDEF67");
    EXPECT_EQ(Get(path, u"S", u"zeros", kDefault, 1000), std::u16string(762, u'0'));
    const std::u16string onesText = Get(path, u"S", u"ones", kDefault, 1000);
    EXPECT_EQ(onesText.size(), 762u);
    EXPECT_TRUE(onesText.ends_with(u"FFFF84"));

    std::array<std::uint8_t, 380> read{};
    ASSERT_TRUE(profiles->GetProfileStruct(u"S", u"ones", read, path));
    EXPECT_EQ(read, ones);
}

TEST_P(ProfileFilesTest, WritingTheSameValueLeavesTheFileAlone) {
    // LF line ends and an old time: Windows would change both if it wrote the file.
    const std::u16string path = File("[S]\nk=v\nq=\"v\"\n");
    const fs::path file = PathFromUtf16(path);
    fs::last_write_time(file, AnHourAgo());
    const auto before = fs::last_write_time(file);
    EXPECT_TRUE(profiles->WriteProfileString(u"s", u"K", u"v", path));
    EXPECT_TRUE(profiles->WriteProfileString(u"S", u"q", u"\"v\"", path));
    EXPECT_EQ(ReadFileBytes(file), "[S]\nk=v\nq=\"v\"\n");
    EXPECT_EQ(fs::last_write_time(file), before);
}

TEST_P(ProfileFilesTest, SeesWhatAnotherProgramWroteAtOnce) {
    const fs::path file = folder / "shared.ini";
    WriteFileBytes(file, "[S]\r\nk=one\r\n");
    const std::u16string path = U16(file);
    EXPECT_EQ(Get(path, u"S", u"k"), u"one");
    WriteFileBytes(file, "[S]\r\nk=two\r\n");  // in place, same size, same instant
    EXPECT_EQ(Get(path, u"S", u"k"), u"two");
    EXPECT_EQ(profiles->GetProfileInt(u"S", u"k", 5, path), 0);

    const fs::path replacement = folder / "replacement.tmp";
    WriteFileBytes(replacement, "[S]\r\nk=six\r\n");
    fs::rename(replacement, file);
    EXPECT_EQ(Get(path, u"S", u"k"), u"six");

    // A write starts from what the file holds now.
    WriteFileBytes(file, "[S]\r\nk=six\r\nm=ten\r\n");
    ASSERT_TRUE(profiles->WriteProfileString(u"S", u"n", u"1", path));
    EXPECT_EQ(ReadFileBytes(file), "[S]\r\nk=six\r\nm=ten\r\nn=1\r\n");

    fs::remove(file);
    EXPECT_EQ(Get(path, u"S", u"k"), kDefault);
    EXPECT_FALSE(profiles->FileExists(path));
}

TEST_P(ProfileFilesTest, SeesAChangeToAFileUnchangedForLong) {
    const fs::path file = folder / "old.ini";
    WriteFileBytes(file, "[S]\r\nk=one\r\n");
    fs::last_write_time(file, AnHourAgo());
    const std::u16string path = U16(file);
    EXPECT_EQ(Get(path, u"S", u"k"), u"one");
    EXPECT_EQ(Get(path, u"S", u"k"), u"one");
    WriteFileBytes(file, "[S]\r\nk=two\r\n");
    EXPECT_EQ(Get(path, u"S", u"k"), u"two");
}

TEST_P(ProfileFilesTest, Utf16FilesKeepEveryCharacter) {
    const std::u16string name = u"Профиль \u00C9t\u00E9 \U0001F5B1";
    const std::u16string path = File("\xFF\xFE");  // as the Windows writer creates a file
    ASSERT_TRUE(profiles->WriteProfileString(u"Профиль", u"Имя", name, path));
    EXPECT_EQ(Get(path, u"Профиль", u"Имя"), name);
    EXPECT_EQ(Get(path, u"профиль", u"Имя"), kDefault);  // only ASCII letters fold
    const std::u16string newLine(GetParam().newLine);
    EXPECT_EQ(ReadFileBytes(PathFromUtf16(path)),
              Utf16LeBytes(u"[Профиль]" + newLine + u"Имя=" + name + newLine));

    const std::u16string fresh = U16(folder / "fresh.ini");
    ASSERT_TRUE(profiles->WriteProfileString(u"S", u"name", name, fresh));
    EXPECT_EQ(Get(fresh, u"S", u"name"), name);
}

TEST_P(ProfileFilesTest, AnEmptyPathReadsDefaultsAndWritesNothing) {
    std::array<std::uint8_t, 2> bytes{7, 7};
    EXPECT_EQ(Get(u"", u"S", u"k", u"dflt  "), u"dflt");
    EXPECT_EQ(profiles->GetProfileInt(u"S", u"k", 42, u""), 42);
    EXPECT_FALSE(profiles->GetProfileStruct(u"S", u"k", bytes, u""));
    EXPECT_FALSE(profiles->WriteProfileString(u"S", u"k", u"v", u""));
    EXPECT_FALSE(profiles->WriteProfileStruct(u"S", u"k", bytes, u""));
    EXPECT_FALSE(profiles->FileExists(u""));
    EXPECT_EQ((std::array<std::uint8_t, 2>{7, 7}), bytes);
    EXPECT_EQ(Get(u"", u"S", u"k"), kDefault);  // nothing was written anywhere to read back
}

TEST_P(ProfileFilesTest, AMissingFolderIsNotCreated) {
    const fs::path file = folder / "missing" / "settings.ini";
    const std::array<std::uint8_t, 1> bytes{1};
    EXPECT_FALSE(profiles->WriteProfileString(u"S", u"k", u"v", U16(file)));
    EXPECT_FALSE(profiles->WriteProfileStruct(u"S", u"k", bytes, U16(file)));
    EXPECT_FALSE(fs::exists(folder / "missing"));
    EXPECT_EQ(Get(U16(file), u"S", u"k"), kDefault);
    EXPECT_FALSE(profiles->FileExists(U16(file)));
    EXPECT_FALSE(profiles->FileExists(U16(folder.Path())));  // a folder is no file
}

// A bare file name names a file of the current folder for every call, reads, writes and the
// existence test alike (the Windows functions alone would look in the Windows folder).
TEST_P(ProfileFilesTest, ABareFileNameIsAFileOfTheCurrentFolder) {
    const fs::path before = fs::current_path();
    fs::current_path(folder.Path());
    const bool written = profiles->WriteProfileString(u"S", u"k", u"here", u"bare.ini");
    const bool exists = profiles->FileExists(u"bare.ini");
    const std::u16string read = Get(u"bare.ini", u"S", u"k");
    fs::current_path(before);

    EXPECT_TRUE(written);
    EXPECT_TRUE(exists);
    EXPECT_EQ(read, u"here");
    EXPECT_EQ(Get(U16(folder / "bare.ini"), u"S", u"k"), u"here");
}

// Keys of a new file as a load writes them: sections revisited, a key replaced, text of every
// kind, a struct.
void WriteNewFileKeys(ProfileFiles& files, std::u16string_view path) {
    const std::array<std::uint8_t, 3> block{0xAB, 0xCD, 0xEF};
    files.WriteProfileString(u"Setting", u"Totle", u"6", path);
    files.WriteProfileString(u"Profile0Setting", u"Profil_Name", u"Профиль \U0001F5B1", path);
    files.WriteProfileStruct(u"Profile0Setting", u"ButtonAssigned0", block, path);
    files.WriteProfileString(u"setting", u"TOTLE", u"2", path);
    files.WriteProfileString(u"Setting", u"BGFilesPath", u"", path);
}

TEST_P(ProfileFilesTest, CreatesAWholeFileAsItsKeysWrittenOneByOneWouldMakeIt) {
    const std::u16string keyByKey = U16(folder / "key-by-key.ini");
    WriteNewFileKeys(*profiles, keyByKey);
    const std::u16string created = U16(folder / "created.ini");
    ASSERT_TRUE(profiles->CreateProfileFile(
        created, [&](ProfileFiles& newFile) { WriteNewFileKeys(newFile, created); }));
    EXPECT_EQ(ReadFileBytes(PathFromUtf16(created)), ReadFileBytes(PathFromUtf16(keyByKey)));
    EXPECT_EQ(Get(created, u"Setting", u"Totle"), u"2");
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"created.ini", "key-by-key.ini"}));
}

// What a writer killed before its first byte leaves: missing to the existence test, and
// replaced whole by a file created in its place.
TEST_P(ProfileFilesTest, AFileOfNoBytesCountsAsMissingAndIsCreatedWhole) {
    const std::u16string empty = File("");
    const std::u16string keyByKey = U16(folder / "key-by-key.ini");
    WriteNewFileKeys(*profiles, keyByKey);
    EXPECT_FALSE(profiles->FileExists(empty));
    ASSERT_TRUE(profiles->CreateProfileFile(
        empty, [&](ProfileFiles& newFile) { WriteNewFileKeys(newFile, empty); }));
    EXPECT_TRUE(profiles->FileExists(empty));
    EXPECT_EQ(ReadFileBytes(PathFromUtf16(empty)), ReadFileBytes(PathFromUtf16(keyByKey)));
}

TEST_P(ProfileFilesTest, CreatingAFileNeverReplacesOneNorLeavesHalfOfOne) {
    const std::u16string existing = File("[S]\r\nk=old\r\n");
    const fs::path raced = folder / "raced.ini";
    const struct {
        const char* what;
        std::u16string path;
        std::function<void(ProfileFiles&, std::u16string_view)> write;
    } cases[] = {
        {"a file there before", existing, WriteNewFileKeys},
        {"a file that another program writes meanwhile", U16(raced),
         [&](ProfileFiles& newFile, std::u16string_view path) {
             WriteNewFileKeys(newFile, path);
             WriteFileBytes(raced, "[S]\r\nk=other\r\n");
         }},
        {"a writer that dies half way", U16(folder / "died.ini"),
         [](ProfileFiles& newFile, std::u16string_view path) {
             newFile.WriteProfileString(u"S", u"k", u"v", path);
             throw std::runtime_error("killed");
         }},
        {"a missing folder", U16(folder / "missing" / "new.ini"), WriteNewFileKeys},
        {"an empty path", u"", WriteNewFileKeys},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(profiles->CreateProfileFile(c.path, [&](ProfileFiles& newFile) {
            c.write(newFile, c.path);
        })) << c.what;
    }
    EXPECT_EQ(ReadFileBytes(PathFromUtf16(existing)), "[S]\r\nk=old\r\n");
    EXPECT_EQ(Get(U16(raced), u"S", u"k"), u"other");
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"f0.ini", "raced.ini"}));
}

// A folder that only the file is writable in: the write goes into the file itself, as the
// Windows functions always write (the engine's copy beside it cannot be made there).
TEST_P(ProfileFilesTest, WritesAFileInAFolderThatTakesNoNewFile) {
    const fs::path locked = folder / "locked";
    fs::create_directory(locked);
    const fs::path file = locked / "settings.ini";
    WriteFileBytes(file, "[S]\r\nk=old\r\nm=1\r\n");
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    const bool takesNoFile = !std::ofstream(locked / "probe");
    fs::remove(locked / "probe");
    if (!takesNoFile) {
        fs::permissions(locked, fs::perms::owner_all);
        GTEST_SKIP() << "an administrator writes into any folder";
    }
    const bool longer = profiles->WriteProfileString(u"S", u"k", u"longer", U16(file));
    const std::string longerBytes = ReadFileBytes(file);
    const bool shorter = profiles->WriteProfileString(u"S", u"k", u"v", U16(file));
    fs::permissions(locked, fs::perms::owner_all);

    EXPECT_TRUE(longer);
    EXPECT_EQ(longerBytes, "[S]\r\nk=longer\r\nm=1\r\n");
    EXPECT_TRUE(shorter);
    EXPECT_EQ(ReadFileBytes(file), "[S]\r\nk=v\r\nm=1\r\n");
    EXPECT_EQ(Get(U16(file), u"S", u"k"), u"v");
}

INSTANTIATE_TEST_SUITE_P(All, ProfileFilesTest,
                         ::testing::ValuesIn(test::ProfileFilesImplementations()),
                         [](const auto& test) { return test.param.name; });

}  // namespace
}  // namespace t47
