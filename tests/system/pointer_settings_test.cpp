// The profile's pointer options as the system and the registry receive them, and the registry
// key object's paths.

#include "system/pointer_settings.h"

#include <gtest/gtest.h>

#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_system_parameters.h"
#include "platform/memory/recorded_debug_output.h"
#include "settings/settings_defaults.h"
#include "system/pointer_values.h"

namespace t47 {
namespace {

struct PointerCase {
    std::int32_t dbClickSpeed, mouseSpeed, mouseEnhance, scrollSpeed, scrollPage;
    std::vector<std::string> calls;
    std::u16string doubleClickSpeed, mouseSpeedText, threshold1, threshold2;
};

TEST(PointerSettings, CarryTheProfileIntoTheSystemAndTheRegistry) {
    const PointerCase cases[] = {
        {4,
         5,
         1,
         3,
         0,
         {"SetDoubleClickTime 680", "SPI_SETMOUSE 6 10 1 flags 2", "SPI_SETMOUSESPEED 10 flags 2",
          "SPI_SETWHEELSCROLLLINES 3 flags 1"},
         u"680",
         u"1",
         u"6",
         u"10"},
        {10,
         1,
         0,
         10,
         0,
         {"SetDoubleClickTime 200", "SPI_SETMOUSE 0 0 0 flags 2", "SPI_SETMOUSESPEED 2 flags 2",
          "SPI_SETWHEELSCROLLLINES 10 flags 1"},
         u"200",
         u"0",
         u"0",
         u"0"},
        {1,
         10,
         1,
         7,
         1,
         {"SetDoubleClickTime 920", "SPI_SETMOUSE 6 10 1 flags 2", "SPI_SETMOUSESPEED 20 flags 2",
          "SPI_SETWHEELSCROLLLINES 4294967295 flags 1"},
         u"920",
         u"1",
         u"6",
         u"10"},
    };
    for (const PointerCase& c : cases) {
        SCOPED_TRACE(c.dbClickSpeed);
        MemorySystemParameters parameters;
        MemoryRegistry registry;
        RecordedDebugOutput debug;
        ProfileData profile = DefaultProfile();
        profile.DBClick_Speed = c.dbClickSpeed;
        profile.Mouse_Speed = c.mouseSpeed;
        profile.mouse_enhance = c.mouseEnhance;
        profile.Scroll_Speed = c.scrollSpeed;
        profile.scroll_page = c.scrollPage;
        {
            RegistryPathKey mouseKey(registry);
            const PointerSettingsTarget target{parameters, registry, debug, mouseKey};
            // The first run finds no mouse key: the double-click step does not create it, the
            // pointer-speed step does, so only the second run writes "DoubleClickSpeed".
            ApplyPointerSettings(target, profile);
            EXPECT_EQ(registry.Text(RegistryRoot::kCurrentUser, kMouseSubKey, u"DoubleClickSpeed"),
                      std::nullopt);
            ApplyPointerSettings(target, profile);
            EXPECT_TRUE(mouseKey.IsOpen()) << "the mouse key stays open after a run";
        }
        EXPECT_EQ(registry.OpenKeyCount(), 0);
        std::vector<std::string> twice = c.calls;
        twice.insert(twice.end(), c.calls.begin(), c.calls.end());
        EXPECT_EQ(parameters.Calls(), twice);
        const auto text = [&](std::u16string_view name) {
            return registry.Text(RegistryRoot::kCurrentUser, u"control panel\\MOUSE", name);
        };
        EXPECT_EQ(text(u"DoubleClickSpeed"), c.doubleClickSpeed);
        EXPECT_EQ(text(u"MouseSpeed"), c.mouseSpeedText);
        EXPECT_EQ(text(u"MouseThreshold1"), c.threshold1);
        EXPECT_EQ(text(u"MouseThreshold2"), c.threshold2);
        EXPECT_EQ(registry.AccessRequested(),
                  (std::vector<std::uint32_t>{0x2001F, 0xF003F, 0x2001F, 0xF003F}));
        const std::vector<std::u16string> lines = {
            u"RefreshDoubleClickSpeed\n", u"RefreshMouseMoveSpeed\n", u"RefreshScrollLine\n"};
        std::vector<std::u16string> expectedLines = lines;
        expectedLines.insert(expectedLines.end(), lines.begin(), lines.end());
        EXPECT_EQ(debug.Lines(), expectedLines);
    }
}

TEST(PointerValues, RegistryTextsCountTheirTerminatingZero) {
    EXPECT_EQ(RegistryStringBytes(u"10"), (std::vector<std::uint8_t>{'1', 0, '0', 0, 0, 0}));
    EXPECT_EQ(RegistryStringBytes(u""), (std::vector<std::uint8_t>{0, 0}));
    EXPECT_EQ(RegistryStringBytes(u"\u00E9"), (std::vector<std::uint8_t>{0xE9, 0, 0, 0}));
}

struct SplitCase {
    std::u16string_view path;
    std::int32_t result;
    RegistryRoot root;
    std::u16string_view subKey;
};

TEST(RegistryPathKey, SplitsTheRootNameIgnoringCase) {
    const std::u16string longSubKey(259, u'k');
    const std::u16string tooLong(260, u'k');
    const std::u16string longPath = u"HKEY_CURRENT_USER\\" + longSubKey;
    const std::u16string tooLongPath = u"HKEY_CURRENT_USER\\" + tooLong;
    const SplitCase cases[] = {
        {u"HKEY_CURRENT_USER\\Control Panel\\Mouse", 1, RegistryRoot::kCurrentUser,
         u"Control Panel\\Mouse"},
        {u"hkey_current_user\\Software", 1, RegistryRoot::kCurrentUser, u"Software"},
        {u"HKEY_LOCAL_MACHINE\\A", 1, RegistryRoot::kLocalMachine, u"A"},
        {u"Hkey_Current_Config\\B", 1, RegistryRoot::kCurrentConfig, u"B"},
        {u"HKEY_CLASSES_ROOT\\.txt", 1, RegistryRoot::kClassesRoot, u".txt"},
        {u"HKEY_USERS\\S-1-5-18", 1, RegistryRoot::kLocalMachine, u"HKEY_USERS\\S-1-5-18"},
        {u"HKEY_CURRENT_USER", 0, RegistryRoot{}, u""},
        {longPath, 1, RegistryRoot::kCurrentUser, longSubKey},
        {tooLongPath, 0, RegistryRoot{}, u""},  // refused rather than cut to another key
    };
    for (const SplitCase& c : cases) {
        MemoryRegistry registry;
        RegistryPathKey key(registry);
        EXPECT_EQ(key.SplitRootPath(c.path), c.result);
        EXPECT_EQ(key.Root(), c.root);
        EXPECT_EQ(key.SubKey(), c.subKey);
        EXPECT_EQ(key.OpenPath(c.path, kKeyAllAccess), c.result) << "nothing opened unsplit";
        EXPECT_EQ(registry.OpenKeyCount(), c.result);
    }
}

TEST(RegistryPathKey, ClosingKeepsTheRootAndEmptiesTheSubKey) {
    MemoryRegistry registry;
    RegistryPathKey key(registry);
    ASSERT_EQ(key.OpenPath(u"HKEY_CURRENT_USER\\Control Panel\\Mouse", kKeyAllAccess), 1);
    EXPECT_EQ(key.WriteStringValue(u"MouseSpeed", u"1"), 1);
    key.CloseKey();
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(key.Root(), RegistryRoot::kCurrentUser);
    EXPECT_EQ(key.SubKey(), u"");
    EXPECT_EQ(key.WriteStringValue(u"MouseSpeed", u"0"), 0) << "no key to write into";
    EXPECT_EQ(registry.Text(RegistryRoot::kCurrentUser, u"Control Panel\\Mouse", u"MouseSpeed"),
              u"1");
}

}  // namespace
}  // namespace t47
