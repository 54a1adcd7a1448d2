#include "report_tool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <vector>

#include "hex_bytes.h"
#include "platform/profile/file_contents.h"
#include "platform/text_encoding.h"
#include "protocol/button_macro_report.h"
#include "protocol/command_report.h"
#include "protocol/settings_report.h"
#include "settings/settings_defaults.h"
#include "settings/settings_file.h"
#include "support/profile_files_implementations.h"
#include "support/temp_folder.h"

namespace t47 {
namespace {

using test::ProfileFilesImplementation;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

class ReportToolTest : public testing::TestWithParam<ProfileFilesImplementation> {
  protected:
    std::unique_ptr<ProfileFiles> files = GetParam().make();
    test::TempFolder folder;
    std::u16string path = folder.File(u"GamingMouse");

    Outcome Run(std::vector<std::u16string> arguments, const std::string& input = "") {
        std::istringstream in(input);
        std::ostringstream out;
        std::ostringstream err;
        const int status = RunReportTool(arguments, in, out, err, *files);
        return {status, out.str(), err.str()};
    }

    std::string FileBytes() const { return test::ReadFileBytes(std::filesystem::path(path)); }
    std::string PathText() const { return Utf8FromUtf16(path); }

    void WriteSettings(const SettingData& settings) { WriteAllSettings(*files, settings, path); }

    // Refused: status 2, one line on the error stream, nothing on the output.
    static void ExpectRefused(const Outcome& outcome, const std::string& what) {
        EXPECT_EQ(outcome.status, 2) << what;
        EXPECT_EQ(outcome.out, "") << what;
        EXPECT_TRUE(outcome.err.starts_with("t47report: ")) << what << ": " << outcome.err;
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << what;
    }
};

// Two slots; slot 1, the active one, differs from the defaults in what the reports carry.
SettingData TwoSlots() {
    SettingData settings = DefaultSettings();
    settings.Totle = 2;
    settings.Active = 1;
    settings.Current = 0;
    ProfileData& profile = settings.Profiles[1];
    profile.DPI_Cur = 5;
    profile.light_type = 3;
    profile.ButtonAssigned[0].FunctionCode = 0xB3;
    return settings;
}

// A bullet macro whose first event (Code 5) numbers library entry 3. The mouse tells a bullet
// macro by its kind 0xC entry.
ButtonAssignment BulletMacro(std::uint16_t bulletValue) {
    ButtonAssignment macro = DefaultButtonAssignment(1);
    macro.FunctionCode = 0xA7;
    macro.Events[0] = {5, 0, 1};
    macro.Events[1] = {5, 0, 0};
    macro.Events[2] = {12, 0, bulletValue};
    macro.EventCount = 3;
    macro.RepeatMode = 0;
    macro.MacroIndex = 7;
    return macro;
}

TEST_P(ReportToolTest, LoadCreatesAMissingFileAndPrintsWhatItHolds) {
    const Outcome outcome = Run({u"load", path});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_TRUE(outcome.out.starts_with("[Setting]\nTotle=6\nCurrent=0\n")) << outcome.out;
    EXPECT_EQ(outcome.out, test::ReadFileText(std::filesystem::path(path)));
}

TEST_P(ReportToolTest, LoadPrintsTheValidatedSettingsAndLeavesAnExistingFile) {
    test::WriteFileBytes(std::filesystem::path(path),
                         "[Setting]\nTotle=9\nlan_id=7\n[Profile0Setting]\nlight_speed=0\n");
    const std::string before = FileBytes();
    const Outcome outcome = Run({u"load", path});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.out.find("\nTotle=1\n"), std::string::npos);
    EXPECT_NE(outcome.out.find("\nlan_id=1\n"), std::string::npos);
    EXPECT_NE(outcome.out.find("\nlight_speed=3\n"), std::string::npos);
    // Only the slot in use: section "Setting" and one profile section.
    EXPECT_EQ(std::count(outcome.out.begin(), outcome.out.end(), '['), 2);
    EXPECT_EQ(FileBytes(), before);
}

TEST_P(ReportToolTest, EncodePrintsTheThreeReportsOfTheChosenSlot) {
    const SettingData settings = TwoSlots();
    WriteSettings(settings);
    const std::string before = FileBytes();
    for (const auto& [arguments, slot] :
         std::vector<std::pair<std::vector<std::u16string>, std::size_t>>{
             {{u"encode", path}, 1}, {{u"encode", path, u"1"}, 1}, {{u"encode", path, u"0"}, 0}}) {
        const ProfileData& profile = settings.Profiles[slot];
        const Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_EQ(outcome.out, HexBytesText(BuildSettingsReport(profile)) + "\n" +
                                   HexBytesText(BuildButtonMacroReport(profile.ButtonAssigned)) +
                                   "\n" + "06 5a 00 00 00 00 00 00\n");
    }
    EXPECT_TRUE(Run({u"encode", path}).out.starts_with("03 05 02 30 "));
    EXPECT_EQ(FileBytes(), before);
}

TEST_P(ReportToolTest, BadSlotsAreRefused) {
    WriteSettings(TwoSlots());
    for (const std::u16string slot : {u"2", u"6", u"-1", u"x", u"", u"1x", u" 1"}) {
        ExpectRefused(Run({u"encode", path, slot}), Utf8FromUtf16(slot));
    }
}

TEST_P(ReportToolTest, EncodeAndDecodeNeitherCreateNorChangeTheFile) {
    ExpectRefused(Run({u"encode", path}), "encode");
    ExpectRefused(Run({u"decode", path}, "06 5a 00 00 00 00 00 00"), "decode");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(path)));

    ExpectRefused(Run({u"encode", folder.File(u"")}), "a folder is no file");
    ExpectRefused(Run({u"load", folder.File(u"missing/GamingMouse")}), "missing folder");
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

TEST_P(ReportToolTest, DecodeReport3WithoutFileStartsFromTheDefaults) {
    ProfileData profile = DefaultProfile();
    profile.DPI_Cur = 6;
    profile.light_speed = 1;
    const Outcome outcome = Run({u"decode"}, HexBytesText(BuildSettingsReport(profile)));
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_TRUE(outcome.out.starts_with("[Profile0Setting]\nGroupID=0\nDPI_Cur=6\n"))
        << outcome.out;
    EXPECT_NE(outcome.out.find("\nlight_speed=1\n"), std::string::npos);
    EXPECT_EQ(std::count(outcome.out.begin(), outcome.out.end(), '['), 1);
}

TEST_P(ReportToolTest, DecodeReport4AgainstTheHeldButtonsOfTheActiveSlot) {
    SettingData settings = TwoSlots();
    settings.Current = 1;
    settings.Active = 1;
    settings.ProfileGroup = {4, 2, 0, 0, 0, 0};
    settings.Profiles[1].ButtonAssigned[1] = BulletMacro(0x3705);
    WriteSettings(settings);

    // The mouse holds another bullet macro on button 2, and its own first button.
    ButtonAssignments inMouse = settings.Profiles[1].ButtonAssigned;
    inMouse[1] = BulletMacro(0x3806);
    inMouse[0].FunctionCode = 0xA4;
    const ButtonMacroReport report = BuildButtonMacroReport(inMouse);
    // Line breaks between bytes are free.
    std::string input = HexBytesText(report);
    std::replace(input.begin(), input.begin() + 30, ' ', '\n');

    const Outcome outcome = Run({u"decode", path}, input);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    // The section numbered by Current itself, not by a slot's group; then library entry 5 - 2.
    EXPECT_TRUE(outcome.out.starts_with("[Profile1Setting]\n")) << outcome.out.substr(0, 40);
    EXPECT_NE(outcome.out.find("\nButtonAssigned0=00A4"), std::string::npos);
    EXPECT_NE(outcome.out.find("\n[BulletProfile3]\nBulletNum=1\nMacro=05000100050000000C000638"),
              std::string::npos);
    EXPECT_EQ(std::count(outcome.out.begin(), outcome.out.end(), '['), 2);
}

TEST_P(ReportToolTest, DecodeOfAMacroEqualToTheHeldOneWritesNoLibraryEntry) {
    SettingData settings = TwoSlots();
    settings.Profiles[1].ButtonAssigned[1] = BulletMacro(0x3705);
    WriteSettings(settings);
    const Outcome outcome =
        Run({u"decode", path},
            HexBytesText(BuildButtonMacroReport(settings.Profiles[1].ButtonAssigned)));
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out.find("BulletProfile"), std::string::npos);
}

TEST_P(ReportToolTest, BadReportsAreRefused) {
    const std::string report3 = HexBytesText(BuildSettingsReport(DefaultProfile()));
    const std::string report4 =
        HexBytesText(BuildButtonMacroReport(DefaultProfile().ButtonAssigned));
    const struct {
        const char* what;
        std::string input;
    } cases[] = {
        {"nothing", ""},
        {"blanks only", " \n "},
        {"a lone digit", "0"},
        {"not hex", "0g"},
        {"a blank inside a byte", "0 3"},
        {"a prefix", "0x03"},
        {"report 3 cut short", report3.substr(0, report3.size() - 3)},
        {"report 3 too long", report3 + " 00"},
        {"report 4 cut short", report4.substr(0, report4.size() - 3)},
        {"unknown id", "06" + report3.substr(2)},
    };
    for (const auto& c : cases) {
        ExpectRefused(Run({u"decode"}, c.input), c.what);
    }
}

TEST_P(ReportToolTest, WrongCommandLinesGetTheUsage) {
    for (const auto& arguments :
         std::vector<std::vector<std::u16string>>{{},
                                                  {u"print"},
                                                  {u"load"},
                                                  {u"load", path, path},
                                                  {u"encode"},
                                                  {u"encode", path, u"0", u"1"},
                                                  {u"decode", path, path}}) {
        const Outcome outcome = Run(arguments);
        ExpectRefused(outcome, "usage");
        EXPECT_NE(outcome.err.find("usage:"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(path)));
}

TEST_P(ReportToolTest, RefusesWhatItCannotShowFaithfully) {
    const std::filesystem::path huge = folder / "huge";
    test::WriteFileBytes(huge, "[Setting]\nTotle=2\n");
    std::filesystem::resize_file(huge, kMaxProfileFileBytes + 1);  // sparse
    const std::u16string hugePath = folder.File(u"huge");
    const std::string report3 = HexBytesText(BuildSettingsReport(DefaultProfile()));
    // More than the bound, though it would hold a report if the blanks went.
    const std::string paddedReport = std::string(kMaxProfileFileBytes, ' ') + report3;
    const struct {
        const char* what;
        std::vector<std::u16string> arguments;
        std::string input;
    } cases[] = {
        {"load of a file too large", {u"load", hugePath}, ""},
        {"encode of a file too large", {u"encode", hugePath}, ""},
        {"decode against a file too large", {u"decode", hugePath}, report3},
        {"standard input too large", {u"decode"}, paddedReport},
        // The copy's name beside it would be too long: the file cannot be created.
        {"load of a file that cannot be created",
         {u"load", folder.File(std::u16string(250, u'n'))},
         ""},
    };
    for (const auto& c : cases) {
        ExpectRefused(Run(c.arguments, c.input), c.what);
    }
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"huge"});
    EXPECT_EQ(std::filesystem::file_size(huge), kMaxProfileFileBytes + 1);
}

// As the Linux program passes its command line: bytes taken for UTF-8.
TEST_P(ReportToolTest, ArgumentsThatAreNotUtf8AreRefused) {
    auto run = [&](std::vector<std::string> arguments) {
        std::istringstream in;
        std::ostringstream out;
        std::ostringstream err;
        const int status = RunReportToolWithUtf8Arguments(arguments, in, out, err, *files);
        return Outcome{status, out.str(), err.str()};
    };
    const std::string folderText = Utf8FromUtf16(folder.File(u""));
    for (const std::string bad : {"GamingMouse\xFF", "Gaming\xC3(Mouse", "\xED\xA0\x80"}) {
        ExpectRefused(run({"load", folderText + bad}), "not UTF-8");
    }
    ExpectRefused(run({"load\xFF", PathText()}), "a verb that is not UTF-8");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{});

    const Outcome outcome = run({"load", folderText + "Zo\xC3\xAB"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"Zo\xC3\xAB"});
}

INSTANTIATE_TEST_SUITE_P(, ReportToolTest, testing::ValuesIn(test::ProfileFilesImplementations()),
                         [](const auto& implementation) { return implementation.param.name; });

TEST(HexBytes, TextIsLowerCaseBytesBetweenSingleSpaces) {
    const std::uint8_t bytes[] = {0x03, 0xAB, 0x00, 0xFF};
    EXPECT_EQ(HexBytesText(bytes), "03 ab 00 ff");
    EXPECT_EQ(HexBytesText({}), "");
}

TEST(HexBytes, ParsingAcceptsEitherCaseAndFreeBlanksBetweenBytes) {
    EXPECT_EQ(ParseHexBytes("03ab\n\tFf 0A\r\n"),
              (std::vector<std::uint8_t>{0x03, 0xAB, 0xFF, 0x0A}));
    EXPECT_EQ(ParseHexBytes(""), std::vector<std::uint8_t>{});
    EXPECT_FALSE(ParseHexBytes("03a"));
    EXPECT_FALSE(ParseHexBytes("0,3"));
}

}  // namespace
}  // namespace t47
