#include "platform/linux/logind_session_watch.h"

#include <systemd/sd-bus.h>

#include <utility>

namespace t47 {
namespace {

constexpr char kLogind[] = "org.freedesktop.login1";
constexpr char kManagerPath[] = "/org/freedesktop/login1";
constexpr char kManager[] = "org.freedesktop.login1.Manager";

constexpr WParam kConsoleConnect = 1;
constexpr WParam kConsoleDisconnect = 2;
constexpr WParam kSessionLock = 7;
constexpr WParam kSessionUnlock = 8;

LogindSessionWatch& Self(void* userdata) {
    return *static_cast<LogindSessionWatch*>(userdata);
}

}  // namespace

struct LogindSessionWatch::Access {
    static int SessionSignal(sd_bus_message* signal, void* userdata, sd_bus_error*) {
        LogindSessionWatch& watch = Self(userdata);
        const char* path = sd_bus_message_get_path(signal);
        if (path == nullptr || watch.sessionPath != path) {
            return 0;  // another session's
        }
        watch.Notify(sd_bus_message_is_signal(signal, nullptr, "Lock") ? kSessionLock
                                                                       : kSessionUnlock);
        return 0;
    }

    static int Sleep(sd_bus_message* signal, void* userdata, sd_bus_error*) {
        int starting = 0;
        if (sd_bus_message_read(signal, "b", &starting) >= 0) {
            Self(userdata).Notify(starting != 0 ? kConsoleDisconnect : kConsoleConnect);
        }
        return 0;
    }

    // This process's own session; a user service has none, and takes the user's display
    // session instead.
    static int OwnSession(sd_bus_message* reply, void* userdata, sd_bus_error*) {
        LogindSessionWatch& watch = Self(userdata);
        const char* path = nullptr;
        if (!sd_bus_message_is_method_error(reply, nullptr) &&
            sd_bus_message_read(reply, "o", &path) >= 0) {
            watch.sessionPath = path;
            return 0;
        }
        if (sd_bus_call_method_async(
                watch.bus, nullptr, kLogind, "/org/freedesktop/login1/user/self",
                "org.freedesktop.DBus.Properties", "Get", DisplaySession, userdata, "ss",
                "org.freedesktop.login1.User", "Display") < 0) {
            watch.debug.Write(u"Desktop: logind is not reachable; lock and sleep go unheard\n");
        }
        return 0;
    }

    static int DisplaySession(sd_bus_message* reply, void* userdata, sd_bus_error*) {
        LogindSessionWatch& watch = Self(userdata);
        const char* id = nullptr;
        const char* path = nullptr;
        if (!sd_bus_message_is_method_error(reply, nullptr) &&
            sd_bus_message_read(reply, "v", "(so)", &id, &path) >= 0 && *id != '\0') {
            watch.sessionPath = path;
        } else {
            watch.debug.Write(
                u"Desktop: no logind session of this user; lock and unlock go "
                u"unheard\n");
        }
        return 0;
    }
};

LogindSessionWatch::LogindSessionWatch(sd_bus* systemBus, DeliverMessage deliverMessage,
                                       DebugOutput& debugOutput, pid_t process)
    : bus(systemBus), deliver(std::move(deliverMessage)), debug(debugOutput) {
    sd_bus_slot* slot = nullptr;
    for (const char* member : {"Lock", "Unlock"}) {
        if (sd_bus_match_signal_async(bus, &slot, kLogind, nullptr,
                                      "org.freedesktop.login1.Session", member,
                                      Access::SessionSignal, nullptr, this) >= 0) {
            slots.push_back(slot);
        }
    }
    if (sd_bus_match_signal_async(bus, &slot, kLogind, kManagerPath, kManager, "PrepareForSleep",
                                  Access::Sleep, nullptr, this) >= 0) {
        slots.push_back(slot);
    }
    if (sd_bus_call_method_async(bus, &slot, kLogind, kManagerPath, kManager, "GetSessionByPID",
                                 Access::OwnSession, this, "u",
                                 static_cast<std::uint32_t>(process)) >= 0) {
        slots.push_back(slot);
    }
}

LogindSessionWatch::~LogindSessionWatch() {
    for (sd_bus_slot* slot : slots) {
        sd_bus_slot_unref(slot);
    }
}

void LogindSessionWatch::Unregister(WindowHandle window) {
    if (target == window) {
        target = kNoWindow;
    }
}

void LogindSessionWatch::Notify(WParam event) {
    if (target != kNoWindow) {
        deliver(target, kWmWtsSessionChange, event, 0);
    }
}

}  // namespace t47
