#pragma once

// The desktop's services as a test plays them over a private bus, each an object of its own on
// the test's connection, recording what reaches it: the panel's watcher, the notification
// server, logind.

#include <systemd/sd-bus.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace t47::test {

// The session that the fake logind gives this process.
inline constexpr char kSessionPath[] = "/org/freedesktop/login1/session/_31";

// The fake panel watcher: the names registered with it, in order.
struct FakeWatcher {
    static int Register(sd_bus_message* call, void* userdata, sd_bus_error*) {
        const char* name = "";
        sd_bus_message_read(call, "s", &name);
        static_cast<FakeWatcher*>(userdata)->registered.emplace_back(name);
        return sd_bus_reply_method_return(call, "");
    }
    static constexpr sd_bus_vtable kTable[] = {
        SD_BUS_VTABLE_START(0), SD_BUS_METHOD("RegisterStatusNotifierItem", "s", "", Register, 0),
        SD_BUS_VTABLE_END};

    explicit FakeWatcher(sd_bus* connection) : bus(connection) {
        sd_bus_add_object_vtable(bus, nullptr, "/StatusNotifierWatcher",
                                 "org.kde.StatusNotifierWatcher", kTable, this);
        Start();
    }
    void Start() { sd_bus_request_name(bus, "org.kde.StatusNotifierWatcher", 0); }
    void Stop() { sd_bus_release_name(bus, "org.kde.StatusNotifierWatcher"); }

    sd_bus* bus;
    std::vector<std::string> registered;
};

// The fake notification server: each Notify's replaces_id and summary; one id per bubble.
struct FakeNotifications {
    static int Notify(sd_bus_message* call, void* userdata, sd_bus_error*) {
        auto& self = *static_cast<FakeNotifications*>(userdata);
        const char* app = "";
        std::uint32_t replaces = 0;
        const char* icon = "";
        const char* summary = "";
        sd_bus_message_read(call, "suss", &app, &replaces, &icon, &summary);
        self.calls.emplace_back(replaces, summary);
        return sd_bus_reply_method_return(call, "u", replaces != 0 ? replaces : ++self.bubbles);
    }
    static constexpr sd_bus_vtable kTable[] = {
        SD_BUS_VTABLE_START(0), SD_BUS_METHOD("Notify", "susssasa{sv}i", "u", Notify, 0),
        SD_BUS_VTABLE_END};

    explicit FakeNotifications(sd_bus* bus) {
        sd_bus_add_object_vtable(bus, nullptr, "/org/freedesktop/Notifications",
                                 "org.freedesktop.Notifications", kTable, this);
        sd_bus_request_name(bus, "org.freedesktop.Notifications", 0);
    }

    std::uint32_t bubbles = 0;
    std::vector<std::pair<std::uint32_t, std::string>> calls;
};

// The fake logind: this process's session is kSessionPath.
struct FakeLogind {
    static int SessionOf(sd_bus_message* call, void*, sd_bus_error*) {
        return sd_bus_reply_method_return(call, "o", kSessionPath);
    }
    static constexpr sd_bus_vtable kTable[] = {
        SD_BUS_VTABLE_START(0), SD_BUS_METHOD("GetSessionByPID", "u", "o", SessionOf, 0),
        SD_BUS_VTABLE_END};

    explicit FakeLogind(sd_bus* bus) {
        sd_bus_add_object_vtable(bus, nullptr, "/org/freedesktop/login1",
                                 "org.freedesktop.login1.Manager", kTable, this);
        sd_bus_request_name(bus, "org.freedesktop.login1", 0);
    }
};

}  // namespace t47::test
