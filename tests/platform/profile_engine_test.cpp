// Where the engine behaves differently from the Windows functions on purpose, and what only
// the engine has: its file formats, its handling of bytes that are not UTF-8, and its cache.

#include "platform/profile/profile_engine.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "platform/profile_test_files.h"

namespace t47 {
namespace {

namespace fs = std::filesystem;

class ProfileEngineTest : public ::testing::Test {
  protected:
    std::u16string File(std::string_view bytes) { return folder.NewFile(bytes); }

    std::u16string Get(std::u16string_view path, std::u16string_view section,
                       std::u16string_view key) {
        return engine.GetProfileString(section, key, u"<DEF>", 256, path);
    }

    TempFolder folder;
    ProfileEngine engine{{TextEncoding::kUtf8, LineEnd::kLf}};
};

TEST_F(ProfileEngineTest, ReadsAStructOnlyFromItsExactEncoding) {
    struct Case {
        const char* value;
        std::size_t length;
        bool decodes;
    };
    // Windows accepts the first two and fills part of the buffer for the third.
    const Case cases[] = {
        {"010203FF05zz", 4, false},
        {"010203FF0500", 4, false},
        {"0102G3FF05", 4, false},
        {"00", 0, true},
        {"", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        std::vector<std::uint8_t> bytes(c.length, 0xEE);
        const std::u16string path = File(std::string("[S]\nk=") + c.value + "\n");
        EXPECT_EQ(engine.GetProfileStruct(u"S", u"k", bytes, path), c.decodes);
        EXPECT_EQ(bytes, std::vector<std::uint8_t>(c.length, 0xEE));
    }
}

TEST_F(ProfileEngineTest, CommentLinesAreNeverKeys) {
    const std::u16string path = File("[S]\n;k=v\n  ;x\n");
    EXPECT_EQ(Get(path, u"S", u";k"), u"<DEF>");  // Windows: "v"
    EXPECT_EQ(Get(path, u"S", u";x"), u"<DEF>");
}

TEST_F(ProfileEngineTest, KeepsTheTextAndLineEndsOfExistingFiles) {
    struct Case {
        const char* before;
        std::u16string_view section;
        std::u16string_view key;
        const char* after;
    };
    const Case cases[] = {
        {"[S]\na=1\n[T]\nb=2\n", u"S", u"c", "[S]\na=1\nc=v\n[T]\nb=2\n"},
        {"[S]\ra=1\r", u"T", u"c", "[S]\ra=1\r[T]\rc=v\r"},
        {"[S]\r\na=1\nb=2\n", u"S", u"a", "[S]\r\na=v\nb=2\n"},  // the first line end is the file's
        // Blank lines, spacing and comments outside the written line stay as they are.
        {"; top\n\n[ S ]\n  a = 1  \n\n\n[T]\n", u"S", u"c",
         "; top\n\n[ S ]\n  a = 1  \nc=v\n\n\n[T]\n"},
        {"[S]\n  a = 1  \n  b = 2  \n", u"S", u"A", "[S]\na=v\n  b = 2  \n"},
        {"\n\n[S]\na=1\n\n", u"", u"h", "h=v\n\n\n[S]\na=1\n\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        const std::u16string path = File(c.before);
        ASSERT_TRUE(engine.WriteProfileString(c.section, c.key, u"v", path));
        EXPECT_EQ(ReadFileBytes(PathFromUtf16(path)), c.after);
    }
}

TEST_F(ProfileEngineTest, WritesNewFilesInTheGivenFormat) {
    struct Case {
        NewFileFormat format;
        std::string expected;
    };
    const Case cases[] = {
        {{TextEncoding::kUtf8, LineEnd::kLf}, "[S\xC3\xA9]\nk=v\n"},
        {{TextEncoding::kUtf8WithBom, LineEnd::kCrLf}, "\xEF\xBB\xBF[S\xC3\xA9]\r\nk=v\r\n"},
        {{TextEncoding::kUtf16LeWithBom, LineEnd::kCrLf}, Utf16LeBytes(u"[S\u00E9]\r\nk=v\r\n")},
    };
    int fresh = 0;
    for (const Case& c : cases) {
        ProfileEngine formatted(c.format);
        const fs::path file = folder / ("new" + std::to_string(fresh++) + ".ini");
        ASSERT_TRUE(formatted.WriteProfileString(u"S\u00E9", u"k", u"v", U16(file)));
        EXPECT_EQ(ReadFileBytes(file), c.expected);
    }
    // A file that holds no line end yet takes the format's.
    const std::u16string markOnly = File("\xFF\xFE");
    ASSERT_TRUE(engine.WriteProfileString(u"S", u"k", u"v", markOnly));
    EXPECT_EQ(ReadFileBytes(PathFromUtf16(markOnly)), Utf16LeBytes(u"[S]\nk=v\n"));
}

TEST_F(ProfileEngineTest, KeepsBytesThatAreNotUtf8AndWritesOnlyUtf8) {
    const std::u16string path = File(
        "[S]\nbad=a\xFF"
        "b\xC3\nk=1\n");
    EXPECT_EQ(Get(path, u"S", u"bad"), u"a\uFFFDb\uFFFD");
    ASSERT_TRUE(engine.WriteProfileString(u"S", u"k", u"x\xD800y", path));  // a lone surrogate
    EXPECT_EQ(ReadFileBytes(PathFromUtf16(path)),
              "[S]\nbad=a\xFF"
              "b\xC3\nk=x\xEF\xBF\xBDy\n");

    const std::u16string wide = File(Utf16LeBytes(u"[S]\r\n"));
    ASSERT_TRUE(engine.WriteProfileString(u"S", u"k", u"x\xD800y", wide));
    EXPECT_EQ(Get(wide, u"S", u"k"), u"x\xD800y");  // UTF-16 files hold any unit
}

TEST_F(ProfileEngineTest, SeesChangesThatKeepTheSizeAndTheWriteTime) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows keeps no change time that a program cannot set";
#else
    // Long enough for a stamp to settle, so that the engine trusts it and reads no bytes.
    auto settle = [] { std::this_thread::sleep_for(std::chrono::milliseconds(60)); };
    const fs::path file = folder / "shared.ini";
    WriteFileBytes(file, "[S]\nk=one\n");
    const auto writeTime = fs::last_write_time(file);
    const std::u16string path = U16(file);
    settle();
    EXPECT_EQ(Get(path, u"S", u"k"), u"one");
    WriteFileBytes(file, "[S]\nk=two\n");
    fs::last_write_time(file, writeTime);
    EXPECT_EQ(Get(path, u"S", u"k"), u"two");

    settle();
    EXPECT_EQ(Get(path, u"S", u"k"), u"two");
    const fs::path copy = folder / "copy.tmp";
    WriteFileBytes(copy, "[S]\nk=six\n");
    fs::last_write_time(copy, writeTime);
    fs::rename(copy, file);
    EXPECT_EQ(Get(path, u"S", u"k"), u"six");
#endif
}

TEST_F(ProfileEngineTest, LeavesAReadOnlyFileAndNoCopiesBehind) {
    const fs::path file = folder / "settings.ini";
    const std::u16string path = U16(file);
    ASSERT_TRUE(engine.WriteProfileString(u"S", u"a", u"1", path));
    ASSERT_TRUE(engine.WriteProfileString(u"S", u"b", u"2", path));
    fs::permissions(file, fs::perms::owner_read);
    EXPECT_FALSE(engine.WriteProfileString(u"S", u"a", u"3", path));
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(ReadFileBytes(file), "[S]\na=1\nb=2\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace t47
