// t47agent on a GNOME desktop: the profile's pointer options in GSettings, through the real
// gsettings and the schemas of gsettings-desktop-schemas, kept by GLib's keyfile backend in the
// run's own configuration folder.

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "mouse_choice.h"
#include "platform/linux/attached_hid_nodes.h"
#include "platform/profile/profile_engine.h"
#include "programs/program_run.h"
#include "settings/settings_file.h"
#include "support/temp_folder.h"

namespace t47 {
namespace {

namespace fs = std::filesystem;
using test::CountLines;
using test::ProgramRun;

// The keys of the mouse's group in the keyfile, as GLib wrote them.
std::map<std::string, std::string> MouseKeys(const ProgramRun& run) {
    std::istringstream text(
        test::ReadFileBytes(run.Folder() / "config" / "glib-2.0" / "settings" / "keyfile"));
    std::map<std::string, std::string> keys;
    bool inGroup = false;
    for (std::string line; std::getline(text, line);) {
        if (line.starts_with("[")) {
            inGroup = line == "[org/gnome/desktop/peripherals/mouse]";
        } else if (inGroup && line.find('=') != std::string::npos) {
            keys[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
        }
    }
    if (keys.contains("speed")) {  // GLib writes doubles in full: -0.80000000000000004
        std::ostringstream speed;
        speed.precision(2);
        speed << std::stod(keys["speed"]);
        keys["speed"] = speed.str();
    }
    return keys;
}

TEST(LinuxAgentOnGnome, ThePointerOptionsReachGSettingsAtStartUpAndAtEachChangedApply) {
    SystemHidrawNodeIo io;
    for (const AttachedHidNode& node : ListAttachedHidNodes("/sys", "/dev", io)) {
        if (IsNorvaneT47(node.attributes)) {
            GTEST_SKIP() << "a Norvane T47 is attached (/dev/" << node.name << ")";
        }
    }
    ASSERT_TRUE(fs::exists("/usr/bin/gsettings"))
        << "scripts/install-build-deps installs libglib2.0-bin and gsettings-desktop-schemas";
    ProgramRun run({T47AGENT_PATH, T47CTL_PATH},
                   {{"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}, {"GSETTINGS_BACKEND", "keyfile"}});
    // Each key's line follows its write: once all three are there, the keyfile holds them.
    const auto written = [&run](const std::string& doubleClick, const std::string& speed,
                                const std::string& profile) {
        for (const std::string& key :
             {"double-click = " + doubleClick, "speed = " + speed, "accel-profile = " + profile}) {
            if (!run.WaitForAgentLine("Pointer setting into GNOME: " + key)) {
                return false;
            }
        }
        return true;
    };

    // The default profile: double-click step 4, speed step 5, no enhanced precision.
    ASSERT_TRUE(run.StartAgent()) << run.AgentLines();
    ASSERT_TRUE(written("680", "0.0", "'flat'")) << run.AgentLines();
    using Keys = std::map<std::string, std::string>;
    EXPECT_EQ(MouseKeys(run),
              (Keys{{"double-click", "680"}, {"speed", "0"}, {"accel-profile", "'flat'"}}));

    // The companion UI changes the active profile, then asks for an apply.
    ProfileEngine files;
    SettingData settings{};
    ReadValidatedSettings(files, run.SettingsPath(), settings);
    ProfileData& profile = settings.Profiles[settings.Active];
    profile.DBClick_Speed = 10;
    profile.Mouse_Speed = 2;
    profile.mouse_enhance = 1;
    profile.Scroll_Speed = 9;  // GNOME has no such key
    WriteAllSettings(files, settings, run.SettingsPath());
    ASSERT_EQ(run.Control({"apply"}).status, 0);
    ASSERT_TRUE(written("200", "-0.6", "'adaptive'")) << run.AgentLines();
    EXPECT_EQ(MouseKeys(run),
              (Keys{{"double-click", "200"}, {"speed", "-0.6"}, {"accel-profile", "'adaptive'"}}));

    // The same settings again: nothing is written. The agent's end waits for its writes.
    ASSERT_EQ(run.Control({"apply"}).status, 0);
    ASSERT_EQ(run.Control({"stop"}).status, 0);
    ASSERT_EQ(run.Agent().WaitForExit(ProgramRun::kPatience), 0) << run.AgentLines();
    const std::string lines = run.AgentLines();
    EXPECT_EQ(CountLines(lines, "Simulated mouse: report 4 set (2049 bytes)"), 2u) << lines;
    std::size_t writes = 0;
    for (std::size_t at = 0;
         (at = lines.find("Pointer setting into GNOME", at)) != std::string::npos; ++at) {
        ++writes;
    }
    EXPECT_EQ(writes, 6u) << lines;
    EXPECT_EQ(lines.find("not carried"), std::string::npos) << lines;
}

}  // namespace
}  // namespace t47
