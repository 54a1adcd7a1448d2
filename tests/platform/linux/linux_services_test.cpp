// The smaller Linux services: named mutex, folders, registry and pointer settings, shell,
// debug output, clock, and the whole platform built over a user's folders.

#include <gtest/gtest.h>

#include <csignal>
#include <future>
#include <map>
#include <thread>

#include "platform/linux/linux_platform.h"
#include "platform/linux/runtime_folder.h"
#include "platform/linux/stop_signals.h"
#include "platform/linux/testing/test_channels.h"
#include "platform/linux/testing/test_processes.h"
#include "platform/profile/profile_engine.h"
#include "platform/text_encoding.h"
#include "support/temp_folder.h"

namespace t47 {
namespace {

namespace fs = std::filesystem;

class RecordingDebugOutput final : public DebugOutput {
  public:
    void Write(std::u16string_view text) override { lines += Utf8FromUtf16(text); }
    std::string lines;
};

TEST(LinuxProcess, TheMutexIsHeldByOneHandleAtATimeAcrossProcesses) {
    test::TempFolder folder;
    LinuxProcess process(folder / "run");
    const NamedMutex first = process.CreateNamedMutex(u"Norvane_T47_Hid");
    ASSERT_NE(first.handle, kNoMutex);
    EXPECT_FALSE(first.alreadyExisted);
    EXPECT_TRUE(fs::exists(folder / "run" / "Norvane_T47_Hid.lock"));

    const NamedMutex second = process.CreateNamedMutex(u"Norvane_T47_Hid");
    EXPECT_NE(second.handle, kNoMutex);
    EXPECT_TRUE(second.alreadyExisted);
    EXPECT_FALSE(process.CreateNamedMutex(u"Another").alreadyExisted);
    EXPECT_EQ(test::RunInChildProcess([&] {
                  LinuxProcess other(folder / "run");
                  return other.CreateNamedMutex(u"Norvane_T47_Hid").alreadyExisted;
              }),
              0);

    process.CloseMutex(second.handle);
    process.CloseMutex(first.handle);
    process.CloseMutex(first.handle);  // once only: nothing else is closed
    process.CloseMutex(MutexHandle{0x7FFFFFFF});
    const NamedMutex third = process.CreateNamedMutex(u"Norvane_T47_Hid");
    EXPECT_FALSE(third.alreadyExisted);

    // A folder that others can enter is not used.
    LinuxProcess elsewhere(folder.Path());
    fs::permissions(folder.Path(), fs::perms::others_exec, fs::perm_options::add);
    EXPECT_EQ(elsewhere.CreateNamedMutex(u"Norvane_T47_Hid").handle, kNoMutex);
}

TEST(RuntimeFolder, PrivateFoldersAndFileNames) {
    test::TempFolder folder;
    const fs::path own = folder / "own";
    EXPECT_TRUE(EnsurePrivateFolder(own));
    EXPECT_EQ(fs::status(own).permissions(), fs::perms::owner_all);
    EXPECT_TRUE(EnsurePrivateFolder(own));  // again: still fine
    EXPECT_FALSE(EnsurePrivateFolder(folder / "missing" / "own"));
    fs::create_directory_symlink(own, folder / "link");
    EXPECT_FALSE(EnsurePrivateFolder(folder / "link"));
    test::WriteFileBytes(folder / "file", "");
    EXPECT_FALSE(EnsurePrivateFolder(folder / "file"));
    if (test::RunningAsRoot()) {
        ASSERT_TRUE(test::GiveToNobody(own));  // made first by another user
        EXPECT_FALSE(EnsurePrivateFolder(own));
    }

    const std::pair<std::u16string_view, std::string_view> names[] = {
        {u"Norvane_T47_Hid", "Norvane_T47_Hid.window"},
        {u"Norvane T47", "Norvane T47.window"},
        {u"..", "%2E%2E.window"},
        {u"a/b\\c%", "a%2Fb%5Cc%25.window"},
        {u"\u00E9", "%C3%A9.window"},
        {u"", ".window"},
    };
    for (const auto& [name, file] : names) {
        EXPECT_EQ(RuntimeFileName(name, ".window"), file);
    }
}

TEST(UserFolders, FromTheEnvironmentAsTheXdgRulesSay) {
    struct Case {
        std::map<std::string, std::string> variables;
        fs::path runtime;
        std::optional<fs::path> config;
    };
    const Case cases[] = {
        {{{"XDG_RUNTIME_DIR", "/run/user/1000"}, {"XDG_CONFIG_HOME", "/cfg"}, {"HOME", "/h"}},
         "/run/user/1000/norvane-t47",
         "/cfg"},
        {{{"HOME", "/home/u"}}, "/tmp/norvane-t47-1000", "/home/u/.config"},
        {{{"XDG_RUNTIME_DIR", "run"}, {"XDG_CONFIG_HOME", ""}, {"HOME", "/home/u"}},
         "/tmp/norvane-t47-1000",
         "/home/u/.config"},
        {{{"XDG_CONFIG_HOME", "relative"}}, "/tmp/norvane-t47-1000", std::nullopt},
    };
    for (const Case& c : cases) {
        const UserFolders folders = UserFoldersFrom(
            [&](const char* name) {
                const auto found = c.variables.find(name);
                return found == c.variables.end() ? nullptr : found->second.c_str();
            },
            1000);
        EXPECT_EQ(folders.runtime, c.runtime);
        EXPECT_EQ(folders.config, c.config);
        EXPECT_EQ(folders.sysfs, "/sys");
        EXPECT_EQ(folders.dev, "/dev");
    }
}

TEST(LinuxRegistryAndSystemParameters, KeptInTheirFileAndSaidOnTheDebugOutput) {
    test::TempFolder folder;
    ProfileEngine files;
    RecordingDebugOutput debug;
    const std::u16string file = folder.File(u"SystemSettings.ini");
    LinuxRegistry registry(files, debug, file);
    LinuxSystemParameters parameters(files, debug, file);

    const auto text = [](std::u16string_view value) {
        std::vector<std::uint8_t> bytes;
        for (const char16_t unit : value) {
            bytes.push_back(static_cast<std::uint8_t>(unit));
            bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
        }
        return bytes;
    };
    const RegistryKey mouse =
        registry.OpenKey(RegistryRoot::kCurrentUser, u"Control Panel\\Mouse", kKeyRead | kKeyWrite);
    ASSERT_NE(mouse, kNoRegistryKey);
    EXPECT_TRUE(
        registry.SetValue(mouse, u"DoubleClickSpeed", kRegSz, text(std::u16string(u"680\0", 4))));
    EXPECT_TRUE(registry.SetValue(mouse, u"MouseSpeed", kRegSz, text(u"1")));  // no zero: all of it
    const RegistryKey machine = registry.CreateKey(RegistryRoot::kLocalMachine, u"Software\\T47");
    EXPECT_TRUE(registry.SetValue(machine, u"Name", kRegSz, text(std::u16string(u"\u00E9\0x", 3))));
    // What a profile file cannot hold, and what is not text, is refused.
    const std::pair<std::u16string_view, std::vector<std::uint8_t>> refused[] = {
        {u"A=B", text(u"1")},       {u"Line\nBreak", text(u"1")},  {u"", text(u"1")},
        {u"[Section]", text(u"1")}, {u"Value", text(u"1\r\n[X]")}, {u"Odd", {0x31, 0x00, 0x32}},
    };
    for (const auto& [name, data] : refused) {
        EXPECT_FALSE(registry.SetValue(mouse, name, kRegSz, data));
    }
    EXPECT_FALSE(registry.SetValue(mouse, u"Binary", 3, text(u"1")));
    EXPECT_EQ(registry.CreateKey(RegistryRoot::kCurrentUser, u"Bad]\nKey"), kNoRegistryKey);
    EXPECT_EQ(registry.CreateKey(RegistryRoot{0x80000003}, u"Users"), kNoRegistryKey);
    registry.CloseKey(mouse);
    EXPECT_FALSE(registry.SetValue(mouse, u"MouseSpeed", kRegSz, text(u"0")));

    EXPECT_TRUE(parameters.SetDoubleClickTime(680));
    EXPECT_TRUE(parameters.SetMouse({6, 10, 1}, kSpifSendChange));
    EXPECT_TRUE(parameters.SetMouseSpeed(10, kSpifSendChange));
    EXPECT_FALSE(parameters.SetMouseSpeed(21, kSpifSendChange));
    EXPECT_FALSE(parameters.SetMouseSpeed(0, kSpifSendChange));
    EXPECT_TRUE(parameters.SetWheelScrollLines(0xFFFFFFFF, kSpifUpdateIniFile));

    EXPECT_EQ(test::ReadFileText(folder / "SystemSettings.ini"),
              "[HKEY_CURRENT_USER\\Control Panel\\Mouse]\n"
              "DoubleClickSpeed=680\n"
              "MouseSpeed=1\n"
              "[HKEY_LOCAL_MACHINE\\Software\\T47]\n"
              "Name=\xC3\xA9\n"
              "[SystemParameters]\n"
              "DoubleClickTime=680\n"
              "MouseThreshold1=6\n"
              "MouseThreshold2=10\n"
              "MouseAcceleration=1\n"
              "MouseSpeed=10\n"
              "WheelScrollLines=-1\n");
    EXPECT_EQ(debug.lines,
              "Registry: HKEY_CURRENT_USER\\Control Panel\\Mouse\\DoubleClickSpeed = 680\n"
              "Registry: HKEY_CURRENT_USER\\Control Panel\\Mouse\\MouseSpeed = 1\n"
              "Registry: HKEY_LOCAL_MACHINE\\Software\\T47\\Name = \xC3\xA9\n"
              "Pointer settings are not carried into this desktop: they are kept in "
              "SystemSettings.ini\n"
              "System parameter: DoubleClickTime = 680\n"
              "System parameter: MouseThreshold1 = 6\n"
              "System parameter: MouseThreshold2 = 10\n"
              "System parameter: MouseAcceleration = 1\n"
              "System parameter: MouseSpeed = 10\n"
              "System parameter: WheelScrollLines = -1\n");

    // Without a folder for the file nothing is kept, and nothing is written elsewhere.
    LinuxSystemParameters nowhere(files, debug, folder.File(u"missing/SystemSettings.ini"));
    EXPECT_FALSE(nowhere.SetDoubleClickTime(500));
    EXPECT_FALSE(fs::exists(folder / "missing"));
}

TEST(LinuxShell, TrayAndMenuAreDebugLinesAndProgramsStart) {
    test::TempFolder folder;
    RecordingDebugOutput debug;
    LinuxShell shell(folder / "config", debug);
    EXPECT_EQ(shell.ApplicationDataFolder(), Utf16FromPath(folder / "config"));
    EXPECT_TRUE(fs::is_directory(folder / "config"));
    EXPECT_FALSE(LinuxShell(std::nullopt, debug).ApplicationDataFolder().has_value());
    test::WriteFileBytes(folder / "file", "");
    EXPECT_FALSE(LinuxShell(folder / "file" / "config", debug).ApplicationDataFolder());

    const fs::path executableFolder = PathFromUtf16(shell.ExecutableFolder());
    EXPECT_TRUE(fs::exists(executableFolder / "platform_linux_tests"));
    // An installed program's files are under share/, only where that folder exists.
    fs::create_directories(folder / "usr" / "bin");
    EXPECT_EQ(AgentFolderOfProgram(folder / "usr" / "bin"), folder / "usr" / "bin");
    for (const char* made : {"usr/share/norvane-t47", "opt/t47", "opt/share/norvane-t47"}) {
        fs::create_directories(folder / made);
    }
    EXPECT_EQ(AgentFolderOfProgram(folder / "usr" / "bin"), folder / "usr/share/norvane-t47");
    EXPECT_EQ(AgentFolderOfProgram(folder / "opt" / "t47"), folder / "opt" / "t47");

    const TrayIcon icon{WindowHandle{1}, 128, 7, 0x465, 137, u"Norvane T47"};
    EXPECT_TRUE(shell.AddTrayIcon(icon));
    const MenuEntry entries[] = {{6001, u"Open"}, {6002, u"Hide \u00E9"}};
    shell.ShowPopupMenu(WindowHandle{1}, entries);
    EXPECT_TRUE(shell.DeleteTrayIcon(icon));
    EXPECT_EQ(debug.lines,
              "Tray icon shown: Norvane T47\n"
              "Tray menu: 6001 Open\n"
              "Tray menu: 6002 Hide \xC3\xA9\n"
              "Tray icon removed: Norvane T47\n");

    // The program, named as the agent joins paths, starts and writes into a pipe.
    test::NamedPipe pipe(folder / "pipe");
    test::WriteFileBytes(folder / "Gaming.exe",
                         "#!/bin/sh\necho started > '" + (folder / "pipe").string() + "'\n");
    fs::permissions(folder / "Gaming.exe", fs::perms::owner_all);
    shell.OpenProgram(Utf16FromPath(folder.Path()) + u"\\Gaming.exe");
    shell.OpenProgram(Utf16FromPath(folder.Path()) + u"\\Missing.exe");  // nothing happens
    EXPECT_EQ(pipe.ReadWithin(std::chrono::minutes(1)), "started\n");
}

TEST(LinuxDebugOutput, WritesUtf8ToItsDescriptorOneLineACall) {
    test::Pipe pipe;
    LinuxDebugOutput output(pipe.WriteEnd());
    output.Write(u"OnCreate over");  // the agent's own line has no line feed, as on Windows
    output.Write(u"4: 02 00 03 00 \u00E9\n");
    output.Write(u"two\nlines\n");
    output.Write(u"");
    EXPECT_EQ(pipe.CloseAndRead(), "OnCreate over\n4: 02 00 03 00 \xC3\xA9\ntwo\nlines\n\n");
}

TEST(StopSignals, TheFirstRunsTheHandlerALaterOneEndsTheProcess) {
    const auto handled = [](std::promise<void>& stopped) {
        return stopped.get_future().wait_for(std::chrono::minutes(1)) == std::future_status::ready;
    };
    // In a child, which the last signal ends.
    const int status = test::RunInChildProcess([&handled] {
        std::promise<void> first;
        {
            const StopSignals signals([&first] { first.set_value(); });
            std::raise(SIGHUP);
            if (!handled(first)) {
                return false;
            }
        }
        // A later object does as the first did.
        std::promise<void> second;
        const StopSignals signals([&second] { second.set_value(); });
        std::raise(SIGTERM);
        if (!handled(second)) {
            return false;
        }
        std::raise(SIGINT);  // asked again: the default ends the process
        std::this_thread::sleep_for(std::chrono::minutes(1));
        return true;
    });
    EXPECT_EQ(status, -1) << "0: the second signal did not end the process; 1: no handler ran";
}

TEST(LinuxClock, SleepsAtLeastAsLongAsAsked) {
    LinuxClock clock;
    const std::uint32_t before = clock.TickCount();
    clock.Sleep(20);
    EXPECT_GE(static_cast<std::uint32_t>(clock.TickCount() - before), 20u);
}

TEST(LinuxPlatform, BuildsOverTheUsersFoldersWithTheProductFolder) {
    test::TempFolder folder;
    UserFolders folders{folder / "run", folder / "config", folder / "sys", folder / "dev"};
    LinuxPlatform platform(folders, DesktopSession{});
    const PlatformServices services = platform.Services();
    EXPECT_TRUE(fs::is_directory(folder / "config" / "Norvane" / "T47"));

    // The agent's own way of joining paths reaches the settings folder.
    const std::u16string settings =
        *services.shell.ApplicationDataFolder() + u"\\Norvane\\T47\\GamingMouse";
    EXPECT_TRUE(services.files.WriteProfileString(u"Setting", u"Device", u"1", settings));
    EXPECT_EQ(test::ReadFileText(folder / "config" / "Norvane" / "T47" / "GamingMouse"),
              "[Setting]\nDevice=1\n");
    services.parameters.SetDoubleClickTime(680);
    EXPECT_TRUE(fs::exists(folder / "config" / "Norvane" / "T47" / "SystemSettings.ini"));
    EXPECT_TRUE(services.hid.ListInterfaces().empty());
    EXPECT_FALSE(services.process.CreateNamedMutex(u"Norvane_T47_Hid").alreadyExisted);
}

}  // namespace
}  // namespace t47
