// The tray icon, its menu in the user's language, and the start of the companion UI.

#include <gtest/gtest.h>

#include "app/agent_scenario.h"

namespace t47::test {
namespace {

constexpr LParam kLeftButtonDown = 0x201;
constexpr LParam kLeftButtonUp = 0x202;
constexpr LParam kLeftButtonDoubleClick = 0x203;
constexpr LParam kRightButtonDown = 0x204;
constexpr LParam kRightButtonUp = 0x205;

struct TrayScenario : AgentScenario {
    TrayScenario() {
        AttachMouse();
        // The language files beside the agent, as the build installs them.
        const std::u16string lan = folder.File(u"Agent") + u"\\Lan";
        platform.shell.CreateFolder(lan);
        platform.files.WriteProfileString(u"TRAY_STRING", u"1", u"Open", lan + u"\\skin_En.ini");
        platform.files.WriteProfileString(u"TRAY_STRING", u"2", u"Hide", lan + u"\\skin_En.ini");
        platform.files.WriteProfileString(u"TRAY_STRING", u"1", u"Otevřít", lan + u"\\skin_Cs.ini");
        platform.files.WriteProfileString(u"TRAY_STRING", u"2", u"Skrýt", lan + u"\\skin_Cs.ini");
        Start();
    }
    void Click(LParam mouseMessage) { PostToAgent(MSG_TRAY_CALLBACK, kTrayIconId, mouseMessage); }
};

TEST(AgentTray, AddsOnceRemovesOnceAndKeepsItsRecord) {
    TrayScenario s;
    CMyWnd& window = s.Window();
    EXPECT_EQ(window.AddTrayIcon(), 0) << "already shown: no second request";
    window.RemoveTrayIcon();
    window.RemoveTrayIcon();
    const std::vector<TrayRequest> requests = s.platform.shell.TrayRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].kind, TrayRequestKind::kAdd);
    EXPECT_EQ(requests[1].kind, TrayRequestKind::kDelete);
    EXPECT_EQ(requests[0].icon,
              (TrayIcon{s.AgentWindowHandle(), 128, 7, MSG_TRAY_CALLBACK, 137, u"Norvane T47"}));
    EXPECT_EQ(requests[1].icon, requests[0].icon);
}

TEST(AgentTray, AnIconTheShellRefusedCountsAsShownAndReturnsWhenTheShellRestarts) {
    AgentScenario s;
    s.AttachMouse();
    s.platform.shell.SetAcceptsTrayIcons(false);
    s.Start();
    EXPECT_TRUE(s.Window().TrayIconShown());
    EXPECT_FALSE(s.platform.shell.TrayIconShown());
    EXPECT_EQ(s.Window().AddTrayIcon(), 0);

    s.platform.shell.SetAcceptsTrayIcons(true);
    s.PostToAgent(kShellRestartedMessage);
    EXPECT_TRUE(s.platform.shell.TrayIconShown());
    s.PostToAgent(kWmCommand, ID_TRAY_HIDE);
    s.PostToAgent(kShellRestartedMessage);
    EXPECT_FALSE(s.platform.shell.TrayIconShown()) << "a hidden icon stays hidden";
}

TEST(AgentTray, MouseMessagesOtherThanDoubleClickAndRightPressDoNothing) {
    TrayScenario s;
    for (const LParam message : {kLeftButtonDown, kLeftButtonUp, kRightButtonUp, LParam{0x200}}) {
        s.Click(message);
    }
    EXPECT_TRUE(s.platform.shell.MenusShown().empty());
    EXPECT_EQ(s.platform.shell.OpenedPrograms().size(), 1u) << "only the start-up launch";
}

TEST(AgentTray, DoubleClickStartsTheCompanionUnlessItsWindowIsOpen) {
    TrayScenario s;
    s.Click(kLeftButtonDoubleClick);
    EXPECT_EQ(s.platform.shell.OpenedPrograms().size(), 2u);
    s.OpenCompanion();
    s.Click(kLeftButtonDoubleClick);
    s.PostToAgent(kWmCommand, ID_TRAY_OPEN);
    EXPECT_EQ(s.platform.shell.OpenedPrograms(),
              std::vector<std::u16string>(2, s.folder.File(u"Agent") + u"\\Gaming.exe"));
}

TEST(AgentTray, MenuSpeaksTheLanguageTheSettingsNameAndRereadsThem) {
    TrayScenario s;
    s.WriteSetting(kSettingSection, u"lan_id", 0);
    s.WriteSetting(ProfileSectionName(0), u"DPI_Cur", 6);
    s.platform.shell.ChooseInNextMenu(ID_TRAY_HIDE);
    const std::size_t parametersBefore = s.platform.parameters.Calls().size();
    s.Click(kRightButtonDown);

    EXPECT_EQ(s.platform.shell.MenusShown(),
              (std::vector<std::vector<MenuEntry>>{
                  {{ID_TRAY_OPEN, u"Otevřít"}, {ID_TRAY_HIDE, u"Skrýt"}}}));
    EXPECT_EQ(s.platform.shell.BroughtForward(), std::vector<WindowHandle>{s.AgentWindowHandle()});
    EXPECT_EQ(s.Window().CurrentProfile().DPI_Cur, 6) << "the settings were read again";
    EXPECT_EQ(s.platform.parameters.Calls().size(), parametersBefore) << "nothing applied";
    EXPECT_FALSE(s.platform.shell.TrayIconShown()) << "the second entry hid the icon";
    const std::vector<PostedMessage> received = s.platform.windows.Received(s.AgentWindowHandle());
    EXPECT_EQ(std::vector<PostedMessage>(received.end() - 2, received.end()),
              (std::vector<PostedMessage>{{kWmCommand, ID_TRAY_HIDE, 0}, {kWmNull, 0, 0}}));

    s.WriteSetting(kSettingSection, u"lan_id", 1);
    s.Click(kRightButtonDown);  // dismissed: no command
    EXPECT_EQ(s.platform.shell.MenusShown().back(),
              (std::vector<MenuEntry>{{ID_TRAY_OPEN, u"Open"}, {ID_TRAY_HIDE, u"Hide"}}));

    s.WriteSetting(kSettingSection, u"Show_TrayIcon", 1);
    s.PostToAgent(MSG_RELOAD_APPLY);
    EXPECT_TRUE(s.platform.shell.TrayIconShown()) << "a successful upload shows it again";
}

TEST(AgentTray, MissingLanguageFileGivesEmptyEntriesThatStillWork) {
    AgentScenario s;
    s.AttachMouse();
    s.Start();
    s.platform.shell.ChooseInNextMenu(ID_TRAY_OPEN);
    s.PostToAgent(MSG_TRAY_CALLBACK, kTrayIconId, kRightButtonDown);
    EXPECT_EQ(s.platform.shell.MenusShown().back(),
              (std::vector<MenuEntry>{{ID_TRAY_OPEN, u""}, {ID_TRAY_HIDE, u""}}));
    EXPECT_EQ(s.platform.shell.OpenedPrograms().size(), 2u);
}

}  // namespace
}  // namespace t47::test
