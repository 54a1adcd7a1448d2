// Where the engine behaves differently from the Windows functions on purpose, and what only
// the engine has: its file formats, its handling of bytes that are not UTF-8, its cache, its
// lock between writers, its bound on file size and its copies.

#include "platform/profile/profile_engine.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "platform/profile/file_contents.h"
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
    // As written just now, and dated an hour ahead (a file from another machine's clock).
    for (const bool ahead : {false, true}) {
        SCOPED_TRACE(ahead ? "dated ahead" : "dated now");
        const fs::path file = folder / (ahead ? "ahead.ini" : "now.ini");
        WriteFileBytes(file, "[S]\nk=one\n");
        if (ahead) {
            fs::last_write_time(file, fs::last_write_time(file) + std::chrono::hours(1));
        }
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

        settle();
        WriteFileBytes(file, "[S]\nk=ten\n");  // dated now again
        EXPECT_EQ(Get(path, u"S", u"k"), u"ten");
    }
#endif
}

// As two programs do: each engine keeps its own copy of the file between its calls. Without the
// folder's lock, about a third of the keys went missing.
TEST_F(ProfileEngineTest, EnginesWritingOneFileTogetherLoseNoKey) {
    const std::u16string path = U16(folder / "shared.ini");
    constexpr int kKeys = 150;
    auto writeKeys = [&path](char16_t prefix) {
        ProfileEngine own({TextEncoding::kUtf8, LineEnd::kLf});
        for (int i = 0; i < kKeys; ++i) {
            own.WriteProfileString(u"S", prefix + Utf16FromUtf8(std::to_string(i)), u"1", path);
        }
    };
    std::thread first(writeKeys, u'a');
    std::thread second(writeKeys, u'b');
    first.join();
    second.join();
    ProfileEngine fresh;
    int missing = 0;
    for (const char16_t prefix : {u'a', u'b'}) {
        for (int i = 0; i < kKeys; ++i) {
            missing +=
                fresh.GetProfileInt(u"S", prefix + Utf16FromUtf8(std::to_string(i)), 0, path) != 1;
        }
    }
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"shared.ini"});
}

// A change of several keys: one replacement of the file, in order, the later of two values of one
// key winning; a reader in another engine sees the keys of a change all or none, and a writer
// of single keys meanwhile loses none of them.
TEST_F(ProfileEngineTest, SeveralKeysLandAsOneChange) {
    const std::u16string path = File("[S]\nk=old\n");
    const ProfileKeyValue change[] = {
        {u"S", u"k", u"first"}, {u"T", u"n", u"\u00e9t\u00e9"}, {u"S", u"k", u"new"}};
    ASSERT_TRUE(engine.WriteProfileStrings(change, path));
    EXPECT_EQ(ReadFileBytes(PathFromUtf16(path)), "[S]\nk=new\n[T]\nn=\xC3\xA9t\xC3\xA9\n");
    EXPECT_TRUE(engine.WriteProfileStrings(change, path));  // nothing new: nothing written

    constexpr int kChanges = 100;
    std::thread batches([&path] {
        ProfileEngine own({TextEncoding::kUtf8, LineEnd::kLf});
        for (int i = 0; i < kChanges; ++i) {
            const std::u16string value = Utf16FromUtf8(std::to_string(i));
            const ProfileKeyValue pair[] = {{u"P", u"x", value}, {u"P", u"y", value}};
            own.WriteProfileStrings(pair, path);
        }
    });
    ProfileEngine other({TextEncoding::kUtf8, LineEnd::kLf});
    int torn = 0;
    for (int i = 0; i < kChanges; ++i) {
        other.WriteProfileString(u"Q", Utf16FromUtf8(std::to_string(i)), u"1", path);
        const ProfileDocument now(ReadFileBytes(PathFromUtf16(path)), LineEnd::kLf);
        torn += now.Value(u"P", u"x") != now.Value(u"P", u"y");
    }
    batches.join();
    EXPECT_EQ(torn, 0);
    ProfileEngine fresh;
    EXPECT_EQ(fresh.GetProfileInt(u"P", u"y", -1, path), kChanges - 1);
    int missing = 0;
    for (int i = 0; i < kChanges; ++i) {
        missing += fresh.GetProfileInt(u"Q", Utf16FromUtf8(std::to_string(i)), 0, path) != 1;
    }
    EXPECT_EQ(missing, 0);
}

// A file that large is none of ours: read as missing, never written, never read into memory
// whole (40 GiB could not be).
TEST_F(ProfileEngineTest, AFileLargerThanAnyProfileFileReadsAsMissingAndStays) {
    const fs::path file = folder / "huge.ini";
    const std::u16string path = U16(file);
    for (const std::uintmax_t size : {kMaxProfileFileBytes + 1, std::uintmax_t{40} << 30}) {
        WriteFileBytes(file, "[S]\nk=v\n");
        fs::resize_file(file, size);  // sparse: no disk space taken
        EXPECT_EQ(Get(path, u"S", u"k"), u"<DEF>") << size;
        EXPECT_EQ(engine.GetProfileInt(u"S", u"k", 7, path), 7);
        EXPECT_FALSE(engine.WriteProfileString(u"S", u"k", u"w", path));
        EXPECT_FALSE(engine.CreateProfileFile(path, [](ProfileFiles&) {}));
        EXPECT_TRUE(engine.FileExists(path));
        EXPECT_EQ(fs::file_size(file), size);
    }
    fs::resize_file(file, kMaxProfileFileBytes);  // the value ends at the first zero byte
    EXPECT_EQ(Get(path, u"S", u"k"), u"v");
}

TEST_F(ProfileEngineTest, LeavesAReadOnlyFileAndNoCopiesBehind) {
    const fs::path file = folder / "settings.ini";
    const std::u16string path = U16(file);
    // What a writer killed between writing its copy and renaming it leaves: taken away by the
    // next write, whether that creates the file or changes it.
    WriteFileBytes(folder / "settings.ini.t47.tmp", "[S]\nhalf");
    ASSERT_TRUE(engine.WriteProfileString(u"S", u"a", u"1", path));
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"settings.ini"});
    WriteFileBytes(folder / "settings.ini.t47.tmp", "[S]\nhalf");
    ASSERT_TRUE(engine.WriteProfileString(u"S", u"b", u"2", path));
    fs::permissions(file, fs::perms::owner_read);
    EXPECT_FALSE(engine.WriteProfileString(u"S", u"a", u"3", path));
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(ReadFileBytes(file), "[S]\na=1\nb=2\n");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"settings.ini"});
}

// Where no copy can be made beside the file (here a name that leaves no room for the copy's;
// as well a folder that takes no new file), the write goes into the file itself.
TEST_F(ProfileEngineTest, WritesInPlaceWhereNoCopyFitsBeside) {
    const fs::path file = folder / std::string(250, 'n');
    WriteFileBytes(file, "[S]\na=old\nm=1\n");
    ASSERT_TRUE(engine.WriteProfileString(u"S", u"a", u"longer", U16(file)));
    EXPECT_EQ(ReadFileBytes(file), "[S]\na=longer\nm=1\n");
    ASSERT_TRUE(engine.WriteProfileString(u"S", u"a", u"v", U16(file)));
    EXPECT_EQ(ReadFileBytes(file), "[S]\na=v\nm=1\n");
    EXPECT_EQ(Get(U16(file), u"S", u"a"), u"v");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{file.filename().string()});
    // A new file cannot appear whole there: it is not created.
    EXPECT_FALSE(engine.WriteProfileString(u"S", u"a", u"v", U16(folder / std::string(251, 'n'))));
    EXPECT_EQ(folder.Names().size(), 1u);
}

TEST(FileContents, NewFilesAndRenamesNeverTakeANameInUse) {
    TempFolder folder;
    WriteFileBytes(folder / "taken", "old");
    EXPECT_EQ(WriteNewFile(folder / "taken", "new"), NewFileResult::kNotCreated);
    EXPECT_EQ(WriteNewFile(folder / "missing" / "new", "new"), NewFileResult::kNotCreated);
    EXPECT_EQ(WriteNewFile(folder / "fresh", "new"), NewFileResult::kWritten);
    EXPECT_FALSE(RenameWithoutReplacing(folder / "fresh", folder / "taken"));
    EXPECT_TRUE(RenameWithoutReplacing(folder / "fresh", folder / "moved"));
    EXPECT_EQ(ReadFileBytes(folder / "taken"), "old");
    EXPECT_EQ(ReadFileBytes(folder / "moved"), "new");
#ifndef _WIN32
    // A link planted where a copy goes is never followed to the file it names.
    fs::create_symlink(folder / "elsewhere", folder / "planted");
    EXPECT_EQ(WriteNewFile(folder / "planted", "new"), NewFileResult::kNotCreated);
    EXPECT_FALSE(fs::exists(folder / "elsewhere"));
    fs::remove(folder / "planted");
#endif
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"moved", "taken"}));
}

}  // namespace
}  // namespace t47
