// t47agent-setup.exe as a user runs it, silently, in a Wine prefix made for this test alone:
// an install, an install over the running agent, the uninstall its entry names; then the same
// in the companion program's folder, whose files stay as they are. Seen from outside: the
// files, the registry, the agent's window and its process.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <thread>

#include "platform/registry.h"
#include "platform/text_encoding.h"
#include "platform/win32/testing/child_process.h"
#include "platform/win32/testing/program_resources.h"
#include "platform/win32/testing/system_readback.h"
#include "platform/win32/testing/window_probe.h"
#include "support/eventually.h"
#include "support/temp_folder.h"

namespace t47 {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Generous: every wait here ends far sooner unless something is broken.
constexpr std::chrono::milliseconds kLimit = 60s;
const fs::path kSetup = T47_INSTALLER;
constexpr char16_t kAgentWindow[] = u"Norvane_T47_Hid";
constexpr char16_t kRunKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char16_t kRunValue[] = u"Norvane T47";
constexpr char16_t kUninstallKey[] =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NorvaneT47Agent";

fs::path KnownFolder(const char* variable) {
    const char* value = std::getenv(variable);
    return value == nullptr ? fs::path() : fs::path(value);
}

// A text value of the user's registry; none when it is missing.
std::optional<std::u16string> RegistryText(std::u16string_view key, std::u16string_view name) {
    const auto value = testing::ReadRegistryValue(RegistryRoot::kCurrentUser, key, name);
    if (!value) {
        return std::nullopt;
    }
    std::u16string text(value->bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(value->bytes[2 * i] | value->bytes[2 * i + 1] << 8);
    }
    return text.substr(0, text.find(u'\0'));
}

// The names of the files in the folder and below it.
std::set<fs::path> FilesIn(const fs::path& folder) {
    std::set<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        files.insert(fs::relative(entry.path(), folder));
    }
    return files;
}

// The user's settings folder still holds every file it held, the note unchanged (the agent
// itself may add files or write into its settings file).
void ExpectKept(const fs::path& settings, const std::set<fs::path>& files) {
    const std::set<fs::path> now = FilesIn(settings);
    EXPECT_TRUE(std::includes(now.begin(), now.end(), files.begin(), files.end()));
    EXPECT_EQ(test::ReadFileBytes(settings / "note.txt"), "the user's own");
}

std::u16string Quoted(const fs::path& path) {
    return u"\"" + Utf16FromPath(path) + u"\"";
}

// The exit code of a command line run to its end; -1 when it did not end within the limit.
std::int64_t Run(std::u16string commandLine) {
    testing::ChildProcess process(testing::CommandLine{std::move(commandLine)});
    const auto code = process.WaitForExit(kLimit);
    return code ? std::int64_t{*code} : -1;
}

template <typename Condition>
bool Eventually(Condition condition) {
    return test::Eventually(condition, kLimit);
}

// A silent install into `folder` (its default when the command line names none): what it
// leaves, and the agent it started.
testing::WindowOwner ExpectInstalled(const std::u16string& setupArguments, const fs::path& folder) {
    EXPECT_EQ(Run(Quoted(kSetup) + u" /S" + setupArguments), 0);
    const fs::path agent = folder / "t47agent.exe";
    const fs::path uninstaller = folder / "t47agent-uninstall.exe";
    for (const fs::path& file :
         {agent, uninstaller, folder / "Lan" / "skin_En.ini", folder / "Lan" / "skin_Cs.ini"}) {
        EXPECT_TRUE(fs::is_regular_file(file)) << file;
    }
    EXPECT_EQ(RegistryText(kRunKey, kRunValue), Quoted(agent));
    EXPECT_EQ(RegistryText(kUninstallKey, u"InstallLocation"), Utf16FromPath(folder));
    EXPECT_EQ(RegistryText(kUninstallKey, u"QuietUninstallString"), Quoted(uninstaller) + u" /S");
    EXPECT_EQ(RegistryText(kUninstallKey, u"DisplayVersion"),
              testing::VersionText(agent, u"ProductVersion"));
    const auto owner = testing::WaitForWindowOwner(kAgentWindow, kLimit);
    EXPECT_TRUE(owner && fs::equivalent(owner->program, agent)) << "no agent runs from " << agent;
    return owner.value_or(testing::WindowOwner{});
}

// The uninstall that the entry names, run as a system's settings run it. The uninstaller goes
// on in a copy of itself (which may remove the original), so it is over once its entry is gone.
void ExpectUninstalled(const testing::WindowOwner& agent) {
    const auto quiet = RegistryText(kUninstallKey, u"QuietUninstallString");
    ASSERT_TRUE(quiet);
    EXPECT_EQ(Run(*quiet), 0);
    EXPECT_TRUE(Eventually([] { return !RegistryText(kUninstallKey, u"DisplayName"); }));
    EXPECT_TRUE(agent.WaitForEnd(0ms));
    EXPECT_TRUE(testing::WaitForWindow(kAgentWindow, false, 0ms));
    EXPECT_FALSE(RegistryText(kRunKey, kRunValue));
}

TEST(WindowsInstaller, InstallsOverTheRunningAgentAndUninstallsKeepingTheSettings) {
    const fs::path folder = KnownFolder("LOCALAPPDATA") / "Programs" / "Norvane T47";
    const fs::path settings = KnownFolder("APPDATA") / "Norvane" / "T47";
    ASSERT_FALSE(KnownFolder("LOCALAPPDATA").empty());
    ASSERT_FALSE(fs::exists(folder)) << "the prefix is not fresh";

    const testing::WindowOwner first = ExpectInstalled(u"", folder);

    // The user's settings folder, which no install touches; a language file lost meanwhile.
    fs::create_directories(settings);
    test::WriteFileBytes(settings / "note.txt", "the user's own");
    const std::set<fs::path> settingsFiles = FilesIn(settings);
    fs::remove(folder / "Lan" / "skin_Cs.ini");
    // Into the same folder: the running agent is closed before its file is replaced.
    const testing::WindowOwner second = ExpectInstalled(u"", folder);
    EXPECT_TRUE(first.WaitForEnd(0ms));
    EXPECT_NE(second.processId, first.processId);
    ExpectKept(settings, settingsFiles);

    ExpectUninstalled(second);
    EXPECT_FALSE(fs::exists(folder));
    ExpectKept(settings, settingsFiles);
}

TEST(WindowsInstaller, BesideTheCompanionProgramItKeepsTheCompanionsFiles) {
    const fs::path folder = KnownFolder("LOCALAPPDATA") / "Programs" / "Norvane T47 UI";
    const fs::path companion = folder / "Gaming.exe";
    const fs::path language = folder / "Lan" / "skin_En.ini";
    fs::create_directories(folder / "Lan");
    test::WriteFileBytes(companion, "the companion program");
    test::WriteFileBytes(language, "[COMPANION]\r\n1=the companion's own words\r\n");

    const testing::WindowOwner agent = ExpectInstalled(u" /D=" + Utf16FromPath(folder), folder);
    EXPECT_EQ(test::ReadFileBytes(language), "[COMPANION]\r\n1=the companion's own words\r\n");

    ExpectUninstalled(agent);
    EXPECT_FALSE(fs::exists(folder / "t47agent.exe"));
    EXPECT_FALSE(fs::exists(folder / "t47agent-uninstall.exe"));
    EXPECT_EQ(test::ReadFileBytes(companion), "the companion program");
    EXPECT_EQ(test::ReadFileBytes(language), "[COMPANION]\r\n1=the companion's own words\r\n");
}

}  // namespace
}  // namespace t47
