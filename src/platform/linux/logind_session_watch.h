#pragma once

// The user's session as logind tells it on the system bus, turned into the session notices of
// Windows for the agent window: Lock and Unlock of this process's session (its own, or the
// user's graphical session for a user service) as WTS_SESSION_LOCK (7) and WTS_SESSION_UNLOCK
// (8); PrepareForSleep as WTS_CONSOLE_DISCONNECT (2) before the sleep and WTS_CONSOLE_CONNECT
// (1) after it. Notices go to the registered window only.

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/debug_output.h"
#include "platform/linux/status_notifier_item.h"

namespace t47 {

class LogindSessionWatch {
  public:
    LogindSessionWatch(sd_bus* systemBus, DeliverMessage deliver, DebugOutput& debug,
                       pid_t process = ::getpid());
    ~LogindSessionWatch();
    LogindSessionWatch(const LogindSessionWatch&) = delete;
    LogindSessionWatch& operator=(const LogindSessionWatch&) = delete;

    void Register(WindowHandle window) { target = window; }
    void Unregister(WindowHandle window);

    // The session's object path, once logind named it.
    const std::string& SessionPath() const { return sessionPath; }

    struct Access;

  private:
    friend struct Access;
    void Notify(WParam event);

    sd_bus* bus;
    DeliverMessage deliver;
    DebugOutput& debug;
    WindowHandle target = kNoWindow;
    std::string sessionPath;
    std::vector<sd_bus_slot*> slots;
};

}  // namespace t47
