#include "settings/macro_library_file.h"

#include <gtest/gtest.h>

#include "support/profile_files_implementations.h"
#include "support/temp_folder.h"

namespace t47 {
namespace {

using test::ProfileFilesImplementation;

class MacroLibraryFileTest : public testing::TestWithParam<ProfileFilesImplementation> {
  protected:
    std::unique_ptr<ProfileFiles> files = GetParam().make();
    test::TempFolder folder;
    std::u16string path = folder.File(u"BulletSetting");

    std::string FileText() const { return test::ReadFileText(std::filesystem::path(path)); }
};

TEST_P(MacroLibraryFileTest, EntryHoldsTheBulletCountAndTheEventSlots) {
    MacroEvents events{};
    events[0] = {0x03, 0x00, 0x0001};
    events[1] = {0x0C, 0x00, 0x3705};
    WriteLibraryEntry(*files, path, 1, 1, MacroEventsToBytes(events));

    // 03 00 01 00 0C 00 05 37, 360 zero bytes, and the checksum of 76.
    EXPECT_EQ(FileText(), "[BulletProfile1]\nBulletNum=1\nMacro=030001000C000537" +
                              std::string(720, '0') + "4C\n");
}

TEST_P(MacroLibraryFileTest, EmptyEventsAreAllZeroDigits) {
    WriteLibraryEntry(*files, path, 0, 0, MacroEventsBytes{});
    EXPECT_EQ(FileText(), "[BulletProfile0]\nBulletNum=0\nMacro=" + std::string(738, '0') + "\n");
}

TEST_P(MacroLibraryFileTest, RewrittenEntryKeepsItsPlaceAndOtherEntriesStay) {
    test::WriteFileBytes(
        std::filesystem::path(path),
        "[BulletProfile3]\nBulletNum=9\nMacro=00\n[BulletProfile7]\nBulletNum=2\n");
    MacroEvents first{};
    first[0] = {0x05, 0x00, 1};
    MacroEvents second{};
    second[0] = {0x05, 0x00, 0};
    WriteLibraryEntry(*files, path, 3, 4, MacroEventsToBytes(first));
    WriteLibraryEntry(*files, path, 3, 2, MacroEventsToBytes(second));

    EXPECT_EQ(FileText(), "[BulletProfile3]\nBulletNum=2\nMacro=05000000" + std::string(728, '0') +
                              "05\n[BulletProfile7]\nBulletNum=2\n");
}

TEST_P(MacroLibraryFileTest, NoPathNoWrite) {
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    WriteLibraryEntry(*files, u"", 0, 0, MacroEventsBytes{});
    std::filesystem::current_path(before);
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

INSTANTIATE_TEST_SUITE_P(, MacroLibraryFileTest,
                         testing::ValuesIn(test::ProfileFilesImplementations()),
                         [](const auto& implementation) { return implementation.param.name; });

}  // namespace
}  // namespace t47
