// The pointer values as GNOME and Plasma get them, and their writer over stand-ins for the
// desktops' tools (Plasma's are not on these machines): what runs, in which order, what is
// not run again, and what a missing or failing tool costs.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/linux/desktop_pointer_mapping.h"
#include "platform/linux/desktop_pointer_writer.h"
#include "platform/linux/linux_system_parameters.h"
#include "platform/profile/profile_engine.h"
#include "platform/text_encoding.h"
#include "support/temp_folder.h"
#include "system/pointer_values.h"

namespace t47 {
namespace {

namespace fs = std::filesystem;

class RecordingDebugOutput final : public DebugOutput {
  public:
    void Write(std::u16string_view text) override { lines += Utf8FromUtf16(text); }
    std::string lines;
};

std::size_t CountLines(std::string_view text, std::string_view line) {
    std::size_t count = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        count += text.substr(start, end - start) == line ? 1 : 0;
        start = end + 1;
    }
    return count;
}

std::size_t Occurrences(std::string_view text, std::string_view part) {
    std::size_t count = 0;
    for (std::size_t at = 0; (at = text.find(part, at)) != std::string_view::npos; ++at) {
        ++count;
    }
    return count;
}

TEST(DesktopOf, TheFirstKnownNameOfTheList) {
    const std::pair<std::string_view, Desktop> cases[] = {
        {"GNOME", Desktop::kGnome},
        {"ubuntu:GNOME", Desktop::kGnome},
        {"GNOME-Classic:GNOME", Desktop::kGnome},
        {"KDE", Desktop::kPlasma},
        {"X-Generic:KDE:GNOME", Desktop::kPlasma},
        {"gnome", Desktop::kOther},
        {"XFCE", Desktop::kOther},
        {"", Desktop::kOther},
        {":", Desktop::kOther},
        {"GNOMEX:KDEX", Desktop::kOther},
    };
    for (const auto& [names, desktop] : cases) {
        EXPECT_EQ(DesktopOf(names), desktop) << names;
    }
}

// Every step of each profile field, through the values the agent gives the system, to what
// each desktop gets.
TEST(DesktopWrites, EveryStepOfEachFieldOnGnomeAndPlasma) {
    const char* const speeds[] = {"-0.8", "-0.6", "-0.4", "-0.2", "0.0",
                                  "0.2",  "0.4",  "0.6",  "0.8",  "1.0"};
    const char* const doubleClicks[] = {"920", "840", "760", "680", "600",
                                        "520", "440", "360", "280", "200"};
    for (std::int32_t step = 1; step <= 10; ++step) {
        const std::int32_t enhance = step % 2;  // both, across the steps
        const std::string speed = speeds[step - 1];
        const std::string ms = doubleClicks[step - 1];
        const std::string lines = std::to_string(step);
        const std::string flat = enhance ? "false" : "true";
        const std::string profile = enhance ? "'adaptive'" : "'flat'";
        const PointerValues values{DoubleClickTimeOf(step), PointerSpeedOf(step),
                                   AccelerationOf(enhance).acceleration != 0,
                                   WheelScrollLinesOf(0, step)};
        const std::string gnome = "org.gnome.desktop.peripherals.mouse";
        EXPECT_EQ(DesktopWrites(Desktop::kGnome, values),
                  (std::vector<DesktopWrite>{
                      {"double-click", ms, {"set", gnome, "double-click", ms}},
                      {"speed", speed, {"set", gnome, "speed", speed}},
                      {"accel-profile", profile, {"set", gnome, "accel-profile", profile}}}))
            << step;
        const auto plasma = [](std::string file, std::string group, std::string key,
                               std::string value) {
            std::vector<std::string> arguments = {"--file", file, "--group", group, "--key", key};
            if (value == "true" || value == "false") {
                arguments.insert(arguments.end(), {"--type", "bool"});
            }
            arguments.push_back(value);
            return DesktopWrite{file + " [" + group + "] " + key, value, arguments};
        };
        EXPECT_EQ(DesktopWrites(Desktop::kPlasma, values),
                  (std::vector<DesktopWrite>{
                      plasma("kdeglobals", "KDE", "DoubleClickInterval", ms),
                      plasma("kcminputrc", "Mouse", "XLbInptPointerAcceleration", speed),
                      plasma("kcminputrc", "Mouse", "XLbInptAccelProfileFlat", flat),
                      plasma("kcminputrc", "Mouse", "WheelScrollLines", lines)}))
            << step;
        EXPECT_TRUE(DesktopWrites(Desktop::kOther, values).empty());
    }
    // A page of scrolling has no counterpart; values not set yet are left alone; speeds off
    // the profile's steps stay on the scale.
    EXPECT_TRUE(DesktopWrites(Desktop::kPlasma, {.wheelLines = WheelScrollLinesOf(1, 3)}).empty());
    EXPECT_TRUE(DesktopWrites(Desktop::kGnome, {.wheelLines = 3}).empty());
    EXPECT_EQ(DesktopSpeedText(1), "-0.9");
    EXPECT_EQ(DesktopSpeedText(0), "-1.0");
    EXPECT_EQ(DesktopSpeedText(25), "1.0");
}

// The desktop's tools as stand-ins in a folder of their own, which is the whole search path.
class DesktopTools {
  public:
    explicit DesktopTools(const std::vector<const char*>& names) {
        for (const char* name : names) {
            fs::create_symlink(T47_RECORDING_PROGRAM, folder / name);
        }
    }
    std::string Runs() const { return test::ReadFileBytes(folder / "runs"); }
    const fs::path& Folder() const { return folder.Path(); }

  private:
    test::TempFolder folder;
};

// The agent's apply, as the pointer settings make it: each value, one call at a time.
void Apply(DesktopPointerWriter& writer, std::uint32_t ms, std::uint32_t speed, bool accelerated,
           std::uint32_t lines) {
    test::TempFolder folder;
    ProfileEngine files;
    RecordingDebugOutput debug;
    LinuxSystemParameters parameters(files, debug, folder.File(u"SystemSettings.ini"), &writer);
    parameters.SetDoubleClickTime(ms);
    parameters.SetMouse(accelerated ? MouseAcceleration{6, 10, 1} : MouseAcceleration{},
                        kSpifSendChange);
    parameters.SetMouseSpeed(speed, kSpifSendChange);
    parameters.SetWheelScrollLines(lines, kSpifUpdateIniFile);
}  // here the desktop holds them

TEST(DesktopPointerWriter, PlasmaGetsWhatChangedThenTheReloadSignal) {
    DesktopTools tools({"kwriteconfig5", "dbus-send"});
    SystemProgramRunner runner(tools.Folder().string());
    RecordingDebugOutput debug;
    DesktopPointerWriter writer(Desktop::kPlasma, runner, debug);
    const std::string signal =
        "dbus-send --session --type=signal /KGlobalSettings "
        "org.kde.KGlobalSettings.notifyChange int32:3 int32:0\n";

    Apply(writer, 680, 10, false, 3);
    const std::string first =
        "kwriteconfig5 --file kdeglobals --group KDE --key DoubleClickInterval 680\n"
        "kwriteconfig5 --file kcminputrc --group Mouse --key XLbInptAccelProfileFlat --type bool "
        "true\n"
        "kwriteconfig5 --file kcminputrc --group Mouse --key XLbInptPointerAcceleration 0.0\n"
        "kwriteconfig5 --file kcminputrc --group Mouse --key WheelScrollLines 3\n";
    // The writer may take the values in one batch or in several as they come: each setting
    // once, and after the last the signal.
    const std::string runs = tools.Runs();
    for (std::size_t start = 0; start < first.size();) {
        const std::size_t end = first.find('\n', start) + 1;
        EXPECT_EQ(CountLines(runs, first.substr(start, end - start - 1)), 1u) << runs;
        start = end;
    }
    EXPECT_TRUE(runs.ends_with(signal)) << runs;
    EXPECT_EQ(std::count(runs.begin(), runs.end(), '\n') -
                  CountLines(runs, signal.substr(0, signal.size() - 1)),
              4)
        << runs;

    Apply(writer, 680, 10, false, 3);  // nothing changed: nothing runs
    EXPECT_EQ(tools.Runs(), runs);

    Apply(writer, 680, 20, false, 0xFFFFFFFF);  // a page: the lines stay
    EXPECT_EQ(tools.Runs(), runs +
                                "kwriteconfig5 --file kcminputrc --group Mouse --key "
                                "XLbInptPointerAcceleration 1.0\n" +
                                signal);
    EXPECT_EQ(CountLines(debug.lines,
                         "Pointer setting into Plasma: kcminputrc [Mouse] "
                         "XLbInptPointerAcceleration = 1.0"),
              1u)
        << debug.lines;
}

TEST(DesktopPointerWriter, AMissingOrFailingToolIsOneLineAndTheDesktopIsLeftAlone) {
    struct Case {
        Desktop desktop;
        std::vector<const char*> tools;
        std::string fails;  // a tool that fails, with a complaint
        std::string line;
        std::size_t runs;  // recorded by the two applies
    };
    const std::string off = "Pointer settings are not carried into ";
    const std::string noReload = "Plasma was not told to reload its input settings: ";
    const std::string complaint = " ended with status 1: cannot write: read-only file system";
    const Case cases[] = {
        {Desktop::kGnome, {}, "", off + "GNOME: gsettings is not installed", 0},
        {Desktop::kGnome, {"gsettings"}, "gsettings", off + "GNOME: gsettings" + complaint, 0},
        {Desktop::kPlasma,
         {"kwriteconfig6", "kwriteconfig5"},
         "kwriteconfig6",
         off + "Plasma: kwriteconfig6" + complaint,
         0},
        {Desktop::kPlasma,
         {"dbus-send"},
         "",
         off + "Plasma: neither kwriteconfig6 nor kwriteconfig5 is installed",
         0},
        // Without a session bus the files are still written: Plasma reads them at its start.
        {Desktop::kPlasma,
         {"kwriteconfig6", "dbus-send"},
         "dbus-send",
         noReload + "dbus-send" + complaint,
         8},
        {Desktop::kPlasma,
         {"kwriteconfig6"},
         "",
         noReload + "neither dbus-send nor gdbus is installed",
         8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        DesktopTools tools(c.tools);
        if (!c.fails.empty()) {
            test::WriteFileBytes(tools.Folder() / (c.fails + ".fails"),
                                 "cannot write: read-only file system\nand more\n");
        }
        SystemProgramRunner runner(tools.Folder().string());
        RecordingDebugOutput debug;
        DesktopPointerWriter writer(c.desktop, runner, debug);
        Apply(writer, 680, 10, true, 3);
        Apply(writer, 200, 2, false, 5);
        const std::string runs = tools.Runs();
        EXPECT_EQ(std::count(runs.begin(), runs.end(), '\n'), static_cast<std::ptrdiff_t>(c.runs))
            << runs;
        EXPECT_EQ(Occurrences(debug.lines, "Pointer setting into"), c.runs) << debug.lines;
        EXPECT_EQ(CountLines(debug.lines, c.line), 1u) << debug.lines;
    }
}

TEST(SystemProgramRunner, FindsInTheSearchPathAndStopsAProgramThatHangs) {
    DesktopTools tools({"gsettings"});
    test::WriteFileBytes(tools.Folder() / "plain", "not a program");
    SystemProgramRunner runner(
        "relative:" + (tools.Folder() / "none").string() + "::" + tools.Folder().string(),
        std::chrono::milliseconds(200));
    EXPECT_EQ(runner.Find("gsettings"), tools.Folder() / "gsettings");
    EXPECT_EQ(runner.Find("plain"), std::nullopt);  // not executable
    EXPECT_EQ(runner.Find("sh"), std::nullopt);     // not in this search path

    const ProgramResult done = runner.Run(tools.Folder() / "gsettings", {"a b", "'c'"});
    EXPECT_TRUE(done.Succeeded());
    EXPECT_EQ(tools.Runs(), "gsettings a b 'c'\n");
    EXPECT_FALSE(runner.Run(tools.Folder() / "missing", {}).ran);

    test::WriteFileBytes(tools.Folder() / "gsettings.hangs", "");
    const ProgramResult hung = runner.Run(tools.Folder() / "gsettings", {});
    EXPECT_TRUE(hung.ran);
    EXPECT_EQ(hung.status, -1);
}

}  // namespace
}  // namespace t47
