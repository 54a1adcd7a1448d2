// The agent's desktop parts over private buses: a session bus and a "system" bus of the test's
// own, on which the test plays the panel's watcher, the notification server and logind, and
// looks at the agent's objects as a panel or a script would.

#include "platform/linux/linux_desktop.h"

#include <gtest/gtest.h>
#include <systemd/sd-bus.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "contract/companion_contract.h"
#include "platform/linux/agent_bus_interface.h"
#include "platform/linux/desktop_notifications.h"
#include "platform/linux/logind_session_watch.h"
#include "platform/linux/status_notifier_item.h"
#include "platform/linux/testing/fake_desktop_services.h"
#include "platform/linux/testing/private_bus.h"
#include "programs/program_run.h"
#include "support/temp_folder.h"

namespace t47 {
namespace {

using test::CountLines;
using test::FakeLogind;
using test::FakeNotifications;
using test::FakeWatcher;
using test::kSessionPath;
using test::PrivateBus;
using test::TempFolder;

constexpr std::chrono::milliseconds kPatience =
    std::chrono::seconds(20);  // only a broken bus takes this long
constexpr WindowHandle kAgent{7};
const TrayIcon kIcon{kAgent, 128, 7, MSG_TRAY_CALLBACK, 137, u"Norvane T47"};

struct Delivered {
    WindowHandle window;
    MessageId id;
    WParam wParam;
    LParam lParam;
    friend bool operator==(const Delivered&, const Delivered&) = default;
};

class Lines final : public DebugOutput {
  public:
    void Write(std::u16string_view text) override { lines.emplace_back(text); }
    std::vector<std::u16string> lines;
};

// A reply that frees itself.
struct Reply {
    sd_bus_message* message = nullptr;
    ~Reply() { sd_bus_message_unref(message); }
    bool IsError() const { return sd_bus_message_is_method_error(message, nullptr) > 0; }
};

// Two private buses, the agent's connection and the fakes' connection on each, and what the
// parts under test deliver to the agent window. The fakes record what reaches them.
class DesktopBuses {
  public:
    DesktopBuses()
        : session(folder.Path(), "session"),
          system(folder.Path(), "system"),
          agentSession(session.Connect()),
          fakes(session.Connect()),
          agentSystem(system.Connect()),
          fakeSystem(system.Connect()) {}

    bool Ready() const { return agentSession && fakes && agentSystem && fakeSystem; }

    DeliverMessage Recorder() {
        return [this](WindowHandle window, MessageId id, WParam wParam, LParam lParam) {
            delivered.push_back({window, id, wParam, lParam});
        };
    }

    // Serves every connection until `done`; false when it never came.
    bool Pump(const std::function<bool()>& done) {
        BusConnection* const all[] = {agentSession.get(), fakes.get(), agentSystem.get(),
                                      fakeSystem.get()};
        return test::ServeUntil(all, done, kPatience);
    }

    // Serves the buses until every message sent so far has been handled: a round trip of the
    // fakes' connection and of the agent's through the daemon.
    void Settle() {
        Call(*fakes, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
             "GetId");
        Call(*agentSession, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
             "GetId");
    }

    // A method call from `from`, its reply once it came.
    std::unique_ptr<Reply> Call(BusConnection& from, const char* destination, const char* path,
                                const char* interface, const char* member,
                                const std::function<void(sd_bus_message*)>& append = {}) {
        sd_bus_message* call = nullptr;
        sd_bus_message_new_method_call(from.Bus(), &call, destination, path, interface, member);
        if (append) {
            append(call);
        }
        auto reply = std::make_unique<Reply>();
        sd_bus_call_async(
            from.Bus(), nullptr, call,
            [](sd_bus_message* message, void* userdata, sd_bus_error*) {
                static_cast<Reply*>(userdata)->message = sd_bus_message_ref(message);
                return 0;
            },
            reply.get(), 0);
        sd_bus_message_unref(call);
        EXPECT_TRUE(Pump([&reply] { return reply->message != nullptr; })) << member;
        return reply;
    }

    bool HasOwner(const char* name) {
        std::unique_ptr<Reply> reply = Call(
            *fakes, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "NameHasOwner", [name](sd_bus_message* m) { sd_bus_message_append(m, "s", name); });
        int has = 0;
        sd_bus_message_read(reply->message, "b", &has);
        return has != 0;
    }

    TempFolder folder;
    PrivateBus session;
    PrivateBus system;
    std::unique_ptr<BusConnection> agentSession;
    std::unique_ptr<BusConnection> fakes;
    std::unique_ptr<BusConnection> agentSystem;
    std::unique_ptr<BusConnection> fakeSystem;
    std::vector<Delivered> delivered;
    Lines debug;
};

std::vector<std::string> Labels(sd_bus_message* layout) {
    std::vector<std::string> labels;
    std::uint32_t revision = 0;
    std::int32_t id = 0;
    sd_bus_message_read(layout, "u", &revision);
    sd_bus_message_enter_container(layout, 'r', "ia{sv}av");
    sd_bus_message_read(layout, "i", &id);
    sd_bus_message_skip(layout, "a{sv}");
    sd_bus_message_enter_container(layout, 'a', "v");
    while (sd_bus_message_enter_container(layout, 'v', "(ia{sv}av)") > 0) {
        sd_bus_message_enter_container(layout, 'r', "ia{sv}av");
        sd_bus_message_read(layout, "i", &id);
        sd_bus_message_enter_container(layout, 'a', "{sv}");
        while (sd_bus_message_enter_container(layout, 'e', "sv") > 0) {
            const char* key = "";
            const char* value = "";
            sd_bus_message_read(layout, "s", &key);
            if (std::strcmp(key, "label") == 0) {
                sd_bus_message_read(layout, "v", "s", &value);
                labels.push_back(std::to_string(id) + "=" + value);
            } else {
                sd_bus_message_skip(layout, "v");
            }
            sd_bus_message_exit_container(layout);
        }
        sd_bus_message_exit_container(layout);
        sd_bus_message_skip(layout, "av");
        sd_bus_message_exit_container(layout);
        sd_bus_message_exit_container(layout);
    }
    return labels;
}

class LinuxDesktopTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(buses.Ready()) << "dbus-daemon did not start"; }

    std::unique_ptr<Reply> ItemCall(const char* path, const char* interface, const char* member,
                                    const std::function<void(sd_bus_message*)>& append = {}) {
        return buses.Call(*buses.fakes, item->BusName().c_str(), path, interface, member, append);
    }

    // The item shown and registered with a fake watcher.
    void ShowItem() {
        item = std::make_unique<StatusNotifierItem>(buses.agentSession->Bus(), buses.Recorder(),
                                                    buses.debug);
        watcher = std::make_unique<FakeWatcher>(buses.fakes->Bus());
        item->Show(kIcon);
        ASSERT_TRUE(buses.Pump([this] { return watcher->registered.size() == 1; }));
    }

    DesktopBuses buses;
    std::unique_ptr<StatusNotifierItem> item;
    std::unique_ptr<FakeWatcher> watcher;
};

TEST_F(LinuxDesktopTest, TrayIconRegistersWithTheWatcherAgainWhenItComesBackAndGoesWhenHidden) {
    ShowItem();
    EXPECT_EQ(watcher->registered, (std::vector<std::string>{item->BusName()}));
    EXPECT_TRUE(buses.HasOwner(item->BusName().c_str()));

    watcher->Stop();  // the panel restarts
    watcher->Start();
    ASSERT_TRUE(buses.Pump([this] { return watcher->registered.size() == 2; }));

    item->Hide();
    buses.Settle();
    EXPECT_FALSE(buses.HasOwner(item->BusName().c_str()));
    watcher->Stop();  // a hidden icon stays hidden when the panel comes back
    watcher->Start();
    buses.Settle();
    buses.Settle();
    EXPECT_EQ(watcher->registered.size(), 2u);
}

TEST_F(LinuxDesktopTest, TrayIconShowsTheAgentsPictureAndTip) {
    ShowItem();
    const auto get = [this](const char* property) {
        return ItemCall("/StatusNotifierItem", "org.freedesktop.DBus.Properties", "Get",
                        [property](sd_bus_message* m) {
                            sd_bus_message_append(m, "ss", "org.kde.StatusNotifierItem", property);
                        });
    };
    const char* title = "";
    ASSERT_GE(sd_bus_message_read(get("Title")->message, "v", "s", &title), 0);
    EXPECT_STREQ(title, "Norvane T47");
    std::unique_ptr<Reply> tip = get("ToolTip");
    const char* icon = "";
    const char* tipTitle = "";
    sd_bus_message_enter_container(tip->message, 'v', "(sa(iiay)ss)");
    sd_bus_message_enter_container(tip->message, 'r', "sa(iiay)ss");
    sd_bus_message_read(tip->message, "s", &icon);
    sd_bus_message_skip(tip->message, "a(iiay)");
    sd_bus_message_read(tip->message, "s", &tipTitle);
    EXPECT_STREQ(tipTitle, "Norvane T47");

    // Every size drawn, ARGB: a clear corner, an opaque middle.
    std::unique_ptr<Reply> pixmaps = get("IconPixmap");
    sd_bus_message_enter_container(pixmaps->message, 'v', "a(iiay)");
    sd_bus_message_enter_container(pixmaps->message, 'a', "(iiay)");
    std::vector<int> sizes;
    std::int32_t width = 0;
    std::int32_t height = 0;
    while (sd_bus_message_enter_container(pixmaps->message, 'r', "iiay") > 0) {
        const void* bytes = nullptr;
        std::size_t length = 0;
        sd_bus_message_read(pixmaps->message, "ii", &width, &height);
        sd_bus_message_read_array(pixmaps->message, 'y', &bytes, &length);
        sd_bus_message_exit_container(pixmaps->message);
        ASSERT_EQ(length, static_cast<std::size_t>(width) * height * 4);
        const auto* argb = static_cast<const std::uint8_t*>(bytes);
        const std::size_t middle = (static_cast<std::size_t>(height / 2) * width + width / 2) * 4;
        EXPECT_EQ(argb[0], 0) << width;
        EXPECT_EQ(argb[middle], 255) << width;
        sizes.push_back(width);
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 24, 32, 48, 64, 128, 256}));
}

TEST_F(LinuxDesktopTest, PanelRequestsReachTheAgentWindowAsItsMessages) {
    ShowItem();
    item->MenuShown(std::vector<MenuEntry>{{ID_TRAY_OPEN, u"Open"}, {ID_TRAY_HIDE, u"Hide"}});
    struct Case {
        const char* interface;
        const char* member;
        std::function<void(sd_bus_message*)> append;
        std::vector<Delivered> expected;
    };
    const auto event = [](int id, const char* name) {
        return [id, name](sd_bus_message* m) {
            sd_bus_message_append(m, "isvu", id, name, "s", "", 0);
        };
    };
    const auto at = [](sd_bus_message* m) { sd_bus_message_append(m, "ii", 10, 10); };
    const Case cases[] = {
        {"org.kde.StatusNotifierItem", "Activate", at, {{kAgent, MSG_TRAY_CALLBACK, 128, 0x203}}},
        {"org.kde.StatusNotifierItem", "SecondaryActivate", at, {}},
        {"com.canonical.dbusmenu", "Event", event(1, "clicked"), {{kAgent, kWmCommand, 6001, 0}}},
        {"com.canonical.dbusmenu", "Event", event(2, "clicked"), {{kAgent, kWmCommand, 6002, 0}}},
        {"com.canonical.dbusmenu", "Event", event(1, "hovered"), {}},
        {"com.canonical.dbusmenu", "Event", event(3, "clicked"), {}},
        {"com.canonical.dbusmenu",
         "EventGroup",
         [](sd_bus_message* m) {
             sd_bus_message_append(m, "a(isvu)", 2, 2, "clicked", "s", "", 0, 1, "opened", "s", "",
                                   0);
         },
         {{kAgent, kWmCommand, 6002, 0}}},
    };
    for (const Case& c : cases) {
        buses.delivered.clear();
        const char* path = std::strcmp(c.member, "Activate") == 0 ||
                                   std::strcmp(c.member, "SecondaryActivate") == 0
                               ? "/StatusNotifierItem"
                               : "/MenuBar";
        EXPECT_FALSE(ItemCall(path, c.interface, c.member, c.append)->IsError()) << c.member;
        EXPECT_EQ(buses.delivered, c.expected) << c.member;
    }
}

TEST_F(LinuxDesktopTest, MenuTextsComeFromTheAgentAtEveryOpening) {
    ShowItem();
    const Delivered rightPress{kAgent, MSG_TRAY_CALLBACK, 128, 0x204};
    // The first layout waits for the agent's texts, as a right-button press reads them.
    auto layoutAsked = [this] {
        return ItemCall("/MenuBar", "com.canonical.dbusmenu", "GetLayout",
                        [](sd_bus_message* m) { sd_bus_message_append(m, "iias", 0, -1, 0); });
    };
    std::unique_ptr<Reply> layout;
    sd_bus_message* call = nullptr;
    sd_bus_message_new_method_call(buses.fakes->Bus(), &call, item->BusName().c_str(), "/MenuBar",
                                   "com.canonical.dbusmenu", "GetLayout");
    sd_bus_message_append(call, "iias", 0, -1, 0);
    Reply pending;
    sd_bus_call_async(
        buses.fakes->Bus(), nullptr, call,
        [](sd_bus_message* m, void* userdata, sd_bus_error*) {
            static_cast<Reply*>(userdata)->message = sd_bus_message_ref(m);
            return 0;
        },
        &pending, 0);
    sd_bus_message_unref(call);
    ASSERT_TRUE(buses.Pump([this] { return !buses.delivered.empty(); }));
    EXPECT_EQ(buses.delivered, std::vector<Delivered>{rightPress});
    EXPECT_EQ(pending.message, nullptr);
    item->MenuShown(std::vector<MenuEntry>{{ID_TRAY_OPEN, u"Open"}, {ID_TRAY_HIDE, u"Hide_it"}});
    ASSERT_TRUE(buses.Pump([&pending] { return pending.message != nullptr; }));
    EXPECT_EQ(Labels(pending.message), (std::vector<std::string>{"1=Open", "2=Hide__it"}));

    // Each opening asks again; new texts are a new layout, the same ones are not.
    for (const auto& [texts, changed] :
         std::vector<std::pair<std::u16string, bool>>{{u"Otevřít", true}, {u"Otevřít", false}}) {
        buses.delivered.clear();
        sd_bus_message_new_method_call(buses.fakes->Bus(), &call, item->BusName().c_str(),
                                       "/MenuBar", "com.canonical.dbusmenu", "AboutToShow");
        sd_bus_message_append(call, "i", 0);
        Reply opened;
        sd_bus_call_async(
            buses.fakes->Bus(), nullptr, call,
            [](sd_bus_message* m, void* userdata, sd_bus_error*) {
                static_cast<Reply*>(userdata)->message = sd_bus_message_ref(m);
                return 0;
            },
            &opened, 0);
        sd_bus_message_unref(call);
        ASSERT_TRUE(buses.Pump([this] { return !buses.delivered.empty(); }));
        EXPECT_EQ(buses.delivered, std::vector<Delivered>{rightPress});
        item->MenuShown(std::vector<MenuEntry>{{ID_TRAY_OPEN, texts}, {ID_TRAY_HIDE, u"Skrýt"}});
        ASSERT_TRUE(buses.Pump([&opened] { return opened.message != nullptr; }));
        int needUpdate = -1;
        sd_bus_message_read(opened.message, "b", &needUpdate);
        EXPECT_EQ(needUpdate, changed ? 1 : 0);
    }
    buses.delivered.clear();
    layout = layoutAsked();  // known texts answer at once
    EXPECT_EQ(Labels(layout->message), (std::vector<std::string>{"1=Otevřít", "2=Skrýt"}));
    EXPECT_TRUE(buses.delivered.empty());
}

TEST_F(LinuxDesktopTest, DpiNoticesUpdateOneBubble) {
    FakeNotifications server(buses.fakes->Bus());
    DesktopNotifications notifications(buses.agentSession->Bus(), buses.debug);
    // Three presses, the second and third while the first is unanswered: the third's text
    // replaces the second's, in the same bubble.
    notifications.Show("DPI stage 2 of 7", "");
    notifications.Show("DPI stage 3 of 7", "");
    notifications.Show("DPI stage 4 of 7", "");
    ASSERT_TRUE(buses.Pump([&server] { return server.calls.size() == 2; }));
    buses.Settle();
    notifications.Show("DPI stage 5 of 7", "");
    ASSERT_TRUE(buses.Pump([&server] { return server.calls.size() == 3; }));
    buses.Settle();
    using Call = std::pair<std::uint32_t, std::string>;
    EXPECT_EQ(server.calls,
              (std::vector<Call>{
                  {0, "DPI stage 2 of 7"}, {1, "DPI stage 4 of 7"}, {1, "DPI stage 5 of 7"}}));
    EXPECT_EQ(server.bubbles, 1u);
    EXPECT_EQ(notifications.BubbleId(), 1u);
}

TEST_F(LinuxDesktopTest, NotificationsWithoutAServerAreSaidOnce) {
    DesktopNotifications notifications(buses.agentSession->Bus(), buses.debug);
    notifications.Show("DPI stage 2 of 7", "");
    notifications.Show("DPI stage 3 of 7", "");
    ASSERT_TRUE(buses.Pump([this] { return !buses.debug.lines.empty(); }));
    buses.Settle();
    buses.Settle();
    EXPECT_EQ(buses.debug.lines,
              std::vector<std::u16string>{
                  u"Desktop: no notification server; DPI stages are not shown\n"});
}

TEST_F(LinuxDesktopTest, LogindNoticesReachTheRegisteredWindowAsSessionNotices) {
    FakeLogind logind(buses.fakeSystem->Bus());
    LogindSessionWatch watch(buses.agentSystem->Bus(), buses.Recorder(), buses.debug);
    ASSERT_TRUE(buses.Pump([&watch] { return !watch.SessionPath().empty(); }));
    EXPECT_EQ(watch.SessionPath(), kSessionPath);
    watch.Register(kAgent);
    struct Case {
        const char* path;
        const char* interface;
        const char* member;
        int sleeping;  // PrepareForSleep's argument
        std::vector<Delivered> expected;
    };
    const char* session = "org.freedesktop.login1.Session";
    const char* manager = "org.freedesktop.login1.Manager";
    const Case cases[] = {
        {kSessionPath, session, "Lock", -1, {{kAgent, kWmWtsSessionChange, 7, 0}}},
        {kSessionPath, session, "Unlock", -1, {{kAgent, kWmWtsSessionChange, 8, 0}}},
        {"/org/freedesktop/login1/session/_32", session, "Lock", -1, {}},
        {"/org/freedesktop/login1",
         manager,
         "PrepareForSleep",
         1,
         {{kAgent, kWmWtsSessionChange, 2, 0}}},
        {"/org/freedesktop/login1",
         manager,
         "PrepareForSleep",
         0,
         {{kAgent, kWmWtsSessionChange, 1, 0}}},
    };
    for (const bool registered : {true, false}) {
        if (!registered) {
            watch.Unregister(kAgent);
        }
        for (const Case& c : cases) {
            buses.delivered.clear();
            if (c.sleeping < 0) {
                sd_bus_emit_signal(buses.fakeSystem->Bus(), c.path, c.interface, c.member, "");
            } else {
                sd_bus_emit_signal(buses.fakeSystem->Bus(), c.path, c.interface, c.member, "b",
                                   c.sleeping);
            }
            // A round trip of the agent's connection after the signal went out.
            buses.Call(*buses.fakeSystem, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                       "org.freedesktop.DBus", "GetId");
            buses.Call(*buses.agentSystem, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                       "org.freedesktop.DBus", "GetId");
            EXPECT_EQ(buses.delivered, registered ? c.expected : std::vector<Delivered>{})
                << c.member << " " << c.path << " registered " << registered;
        }
    }
}

TEST_F(LinuxDesktopTest, AgentInterfacePublishesTheStateAndTakesTheCompanionsRequests) {
    AgentBusInterface agent(buses.agentSession->Bus(), buses.Recorder(), buses.debug);
    agent.SetAgentWindow(kAgent);
    ASSERT_TRUE(buses.Pump([this] { return buses.HasOwner(kAgentBusName); }));
    std::vector<std::vector<std::string>> signalled;
    sd_bus_match_signal(
        buses.fakes->Bus(), nullptr, kAgentBusName, kAgentBusPath,
        "org.freedesktop.DBus.Properties", "PropertiesChanged",
        [](sd_bus_message* m, void* userdata, sd_bus_error*) {
            std::vector<std::string> names;
            const char* interface = "";
            sd_bus_message_read(m, "s", &interface);
            sd_bus_message_enter_container(m, 'a', "{sv}");
            while (sd_bus_message_enter_container(m, 'e', "sv") > 0) {
                const char* name = "";
                sd_bus_message_read(m, "s", &name);
                names.emplace_back(name);
                sd_bus_message_skip(m, "v");
                sd_bus_message_exit_container(m);
            }
            static_cast<std::vector<std::vector<std::string>>*>(userdata)->push_back(names);
            return 0;
        },
        &signalled);
    const auto stateIs = [this](const char* property) {
        std::unique_ptr<Reply> reply =
            buses.Call(*buses.fakes, kAgentBusName, kAgentBusPath,
                       "org.freedesktop.DBus.Properties", "Get", [property](sd_bus_message* m) {
                           sd_bus_message_append(m, "ss", kAgentBusInterface, property);
                       });
        int value = -1;
        const char* type = std::strcmp(property, "Connected") == 0 ? "b" : "i";
        sd_bus_message_read(reply->message, "v", type, &value);
        return value;
    };
    struct Case {
        AgentState state;
        std::vector<std::string> changed;
    };
    const Case cases[] = {
        {{true, 0, 3}, {"Connected", "DpiStage"}},
        {{true, 0, 3}, {}},
        {{true, 2, 5}, {"ActiveProfile", "DpiStage"}},
        {{false, 2, 5}, {"Connected"}},
    };
    for (const Case& c : cases) {
        signalled.clear();
        agent.StateChanged(c.state);
        buses.Settle();
        buses.Settle();
        EXPECT_EQ(signalled, c.changed.empty() ? std::vector<std::vector<std::string>>{}
                                               : std::vector<std::vector<std::string>>{c.changed});
        EXPECT_EQ(stateIs("Connected"), c.state.connected ? 1 : 0);
        EXPECT_EQ(stateIs("ActiveProfile"), c.state.activeProfile);
        EXPECT_EQ(stateIs("DpiStage"), c.state.dpiStage);
    }
    buses.delivered.clear();
    for (const char* method : {"Apply", "Command"}) {
        EXPECT_FALSE(
            buses.Call(*buses.fakes, kAgentBusName, kAgentBusPath, kAgentBusInterface, method)
                ->IsError());
    }
    EXPECT_EQ(buses.delivered, (std::vector<Delivered>{{kAgent, MSG_RELOAD_APPLY, 0, 0},
                                                       {kAgent, MSG_DEVICE_COMMAND, 0, 0}}));
}

TEST_F(LinuxDesktopTest, WithoutBusesEveryPartIsOffAndSaidOnce) {
    LinuxWindows windows(buses.folder / "runtime");
    Lines debug;
    LinuxDesktop desktop(windows, debug, nullptr, nullptr);
    EXPECT_EQ(desktop.Tray(), nullptr);
    EXPECT_TRUE(debug.lines.empty()) << "said when the agent window registers";
    EXPECT_FALSE(desktop.Windows().RegisterSessionNotices(kAgent));
    desktop.StateChanged({true, 1, 2});
    desktop.ShowDpiStage(2);
    desktop.Windows().UnregisterSessionNotices(kAgent);
    EXPECT_FALSE(desktop.Windows().RegisterSessionNotices(kAgent));
    EXPECT_EQ(debug.lines.size(), 2u);
}

// t47agent with the simulated mouse on the private buses, seen as the panel, the notification
// server, logind and a script see it.
TEST_F(LinuxDesktopTest, TheAgentOnADesktop) {
    FakeWatcher panel(buses.fakes->Bus());
    FakeNotifications server(buses.fakes->Bus());
    FakeLogind logind(buses.fakeSystem->Bus());
    test::ProgramRun run({T47AGENT_PATH, T47CTL_PATH});
    run.SetEnvironment("DBUS_SESSION_BUS_ADDRESS", buses.session.Address());
    run.SetEnvironment("DBUS_SYSTEM_BUS_ADDRESS", buses.system.Address());
    ASSERT_TRUE(run.StartAgent()) << run.AgentLines();
    ASSERT_TRUE(buses.Pump([&panel] { return panel.registered.size() == 1; }));
    const std::string itemName = panel.registered[0];

    // The menu's texts are read from the language file when the panel asks for them.
    std::unique_ptr<Reply> layout = buses.Call(
        *buses.fakes, itemName.c_str(), "/MenuBar", "com.canonical.dbusmenu", "GetLayout",
        [](sd_bus_message* m) { sd_bus_message_append(m, "iias", 0, -1, 0); });
    EXPECT_EQ(Labels(layout->message),
              (std::vector<std::string>{"1=Open Norvane T47", "2=Hide icon"}));

    // A DPI press: the settings file, the bus interface's property and one bubble.
    ASSERT_EQ(run.Control({"press-dpi"}).status, 0);
    ASSERT_TRUE(buses.Pump([&server] { return server.calls.size() == 1; }));
    EXPECT_EQ(server.calls[0].first, 0u);
    EXPECT_TRUE(server.calls[0].second.starts_with("DPI stage ")) << server.calls[0].second;
    std::unique_ptr<Reply> stage = buses.Call(
        *buses.fakes, kAgentBusName, kAgentBusPath, "org.freedesktop.DBus.Properties", "Get",
        [](sd_bus_message* m) { sd_bus_message_append(m, "ss", kAgentBusInterface, "DpiStage"); });
    std::int32_t dpiStage = 0;
    sd_bus_message_read(stage->message, "v", "i", &dpiStage);
    EXPECT_EQ(server.calls[0].second, "DPI stage " + std::to_string(dpiStage) + " of 7");

    // Without a companion program, activating the icon says how to do without; with the
    // user's companion command, the menu's first entry starts it.
    const auto openCompanion = [&](const char* member, const char* interface, const char* path,
                                   const std::function<void(sd_bus_message*)>& append) {
        EXPECT_FALSE(
            buses.Call(*buses.fakes, itemName.c_str(), path, interface, member, append)->IsError());
    };
    const std::filesystem::path command = run.Folder() / "config/Norvane/T47/companion";
    std::ofstream(command) << "#!/bin/sh\necho started >> \"$0.log\"\n";
    std::filesystem::permissions(command, std::filesystem::perms::owner_all);
    openCompanion("Event", "com.canonical.dbusmenu", "/MenuBar", [](sd_bus_message* m) {
        sd_bus_message_append(m, "isvu", 1, "clicked", "s", "", 0);
    });
    ASSERT_TRUE(buses.Pump([&command] {
        return test::ReadFileBytes(command.string() + ".log") == "started\n";
    })) << run.AgentLines();
    EXPECT_EQ(server.calls.size(), 1u);
    std::filesystem::remove(command);
    openCompanion("Activate", "org.kde.StatusNotifierItem", "/StatusNotifierItem",
                  [](sd_bus_message* m) { sd_bus_message_append(m, "ii", 0, 0); });
    ASSERT_TRUE(buses.Pump([&server] { return server.calls.size() == 2; }));
    EXPECT_EQ(server.calls[1].first, 1u) << "the same bubble";

    // Locked: the icon goes; unlocked: the mouse is read again and the icon comes back.
    sd_bus_emit_signal(buses.fakeSystem->Bus(), kSessionPath, "org.freedesktop.login1.Session",
                       "Lock", "");
    ASSERT_TRUE(buses.Pump(
        [&run] { return CountLines(run.AgentLines(), "Tray icon removed: Norvane T47") == 1; }));
    sd_bus_emit_signal(buses.fakeSystem->Bus(), kSessionPath, "org.freedesktop.login1.Session",
                       "Unlock", "");
    ASSERT_TRUE(buses.Pump([&panel] { return panel.registered.size() == 2; }));

    // The second entry hides the icon; Apply over the bus writes the mouse and shows it again.
    EXPECT_FALSE(buses
                     .Call(*buses.fakes, itemName.c_str(), "/MenuBar", "com.canonical.dbusmenu",
                           "Event",
                           [](sd_bus_message* m) {
                               sd_bus_message_append(m, "isvu", 2, "clicked", "s", "", 0);
                           })
                     ->IsError());
    ASSERT_TRUE(buses.Pump(
        [&run] { return CountLines(run.AgentLines(), "Tray icon removed: Norvane T47") == 2; }));
    EXPECT_FALSE(
        buses.Call(*buses.fakes, kAgentBusName, kAgentBusPath, kAgentBusInterface, "Apply")
            ->IsError());
    ASSERT_TRUE(buses.Pump([&panel] { return panel.registered.size() == 3; }));
    EXPECT_EQ(CountLines(run.AgentLines(),
                         "Desktop: no session bus; the tray icon, the "
                         "notifications and the agent's bus interface are off"),
              0u);

    run.Agent().Terminate();
    EXPECT_EQ(run.Agent().WaitForExit(test::ProgramRun::kPatience), 0);
}

}  // namespace
}  // namespace t47
