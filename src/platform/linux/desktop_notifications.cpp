#include "platform/linux/desktop_notifications.h"

#include <systemd/sd-bus.h>

#include <utility>

namespace t47 {
namespace {

constexpr std::int32_t kShownForMs = 3000;

}  // namespace

struct DesktopNotifications::Access {
    static int Answered(sd_bus_message* reply, void* userdata, sd_bus_error*);
};

DesktopNotifications::DesktopNotifications(sd_bus* connection, DebugOutput& debugOutput)
    : bus(connection), debug(debugOutput) {}

void DesktopNotifications::Show(const std::string& summary, const std::string& body) {
    if (waiting) {
        next.emplace(summary, body);  // only the latest text matters
        return;
    }
    Send(summary, body);
}

void DesktopNotifications::Send(const std::string& summary, const std::string& body) {
    const int r = sd_bus_call_method_async(
        bus, nullptr, "org.freedesktop.Notifications", "/org/freedesktop/Notifications",
        "org.freedesktop.Notifications", "Notify", Access::Answered, this, "susssasa{sv}i",
        "Norvane T47", bubble, "input-mouse", summary.c_str(), body.c_str(), 0, 1, "category", "s",
        "device", kShownForMs);
    waiting = r >= 0;
}

int DesktopNotifications::Access::Answered(sd_bus_message* reply, void* userdata, sd_bus_error*) {
    auto& self = *static_cast<DesktopNotifications*>(userdata);
    self.waiting = false;
    std::uint32_t id = 0;
    if (sd_bus_message_is_method_error(reply, nullptr)) {
        if (!self.absenceSaid) {
            self.absenceSaid = true;
            self.debug.Write(u"Desktop: no notification server; DPI stages are not shown\n");
        }
    } else if (sd_bus_message_read(reply, "u", &id) >= 0) {
        self.bubble = id;
    }
    if (self.next) {
        auto [summary, body] = std::move(*self.next);
        self.next.reset();
        self.Send(summary, body);
    }
    return 0;
}

}  // namespace t47
