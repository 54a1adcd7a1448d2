// The round trip through the whole exchange: random valid profiles uploaded to the simulated
// mouse and downloaded into a fresh agent's state come back as the round-trip model says, in
// memory, in the settings file and in the macro library.

#include <gtest/gtest.h>

#include <map>

#include "device/device_world.h"
#include "exchange/device_state_download.h"
#include "exchange/profile_upload.h"
#include "settings/macro_library_file.h"
#include "settings/settings_defaults.h"
#include "settings/settings_file.h"
#include "support/mouse_read_back.h"
#include "support/profile_differences.h"
#include "support/random_valid_profile.h"

namespace t47::test {
namespace {

TEST(MouseRoundTripEndToEnd, UploadThenDownloadGivesBackWhatTheMouseCarries) {
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(testing::Message() << "RandomValidProfile(" << seed << ")");
        const ProfileData uploaded = RandomValidProfile(seed);
        DeviceWorld world;
        world.bus.AttachMouse();
        ASSERT_EQ(UploadProfile(*world.link, world.clock, uploaded), 1);

        // A fresh agent: the settings it loads hold the uploaded profile, or the defaults.
        SettingData settings = DefaultSettings();
        if (seed % 2 == 1) {
            settings.Profiles[0] = uploaded;
        }
        ProfileData current = settings.Profiles[0];
        std::uint32_t lastDownloadTick = 0;
        ASSERT_EQ(DownloadDeviceState({*world.link, world.clock, world.files, world.windows,
                                       settings, current, world.settingsPath,
                                       world.bulletSettingPath, lastDownloadTick}),
                  1);

        const MouseReadBack expected = ReadBackThroughMouse(uploaded, settings.Profiles[0]);
        EXPECT_EQ(ProfileDifferences(expected.profile, current), "");
        ProfileData written;
        ReadProfile(world.files, written, 0, world.settingsPath);
        ProfileData expectedInFile = expected.profile;
        // Texts are not the mouse's; the file keeps them without their trailing blanks.
        expectedInFile.Profil_Name = written.Profil_Name;
        expectedInFile.SYNCFilesPath = written.SYNCFilesPath;
        expectedInFile.ExePath = written.ExePath;
        expectedInFile.ExeName = written.ExeName;
        EXPECT_EQ(ProfileDifferences(expectedInFile, written), "") << "in the settings file";

        // Two macros of one first code share a library entry: the later button's stays.
        std::map<std::int32_t, LibraryEntry> library;
        for (const LibraryEntry& entry : expected.libraryEntries) {
            library[entry.number] = entry;
        }
        for (const auto& [number, entry] : library) {
            const std::u16string section = LibrarySectionName(number);
            EXPECT_EQ(world.files.GetProfileInt(section, u"BulletNum", -1, world.bulletSettingPath),
                      entry.bulletCount);
            MacroEventsBytes events{};
            EXPECT_TRUE(
                world.files.GetProfileStruct(section, u"Macro", events, world.bulletSettingPath));
            EXPECT_EQ(events, entry.events);
        }
        EXPECT_EQ(world.files.FileExists(world.bulletSettingPath),
                  !expected.libraryEntries.empty());
    }
}

}  // namespace
}  // namespace t47::test
