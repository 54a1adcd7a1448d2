#pragma once

// Desktop notifications (org.freedesktop.Notifications) as one bubble that each new text
// replaces in place: every Notify names the bubble the server gave last (replaces_id), and a
// text that comes while a Notify is still unanswered waits for that answer, so two quick
// presses never make two bubbles. Without a notification server, said once in the log.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/debug_output.h"

struct sd_bus;

namespace t47 {

class DesktopNotifications {
  public:
    DesktopNotifications(sd_bus* bus, DebugOutput& debug);

    void Show(const std::string& summary, const std::string& body);

    std::uint32_t BubbleId() const { return bubble; }

    struct Access;

  private:
    friend struct Access;
    void Send(const std::string& summary, const std::string& body);

    sd_bus* bus;
    DebugOutput& debug;
    std::uint32_t bubble = 0;  // the server's id of the bubble, 0 before the first
    bool waiting = false;
    std::optional<std::pair<std::string, std::string>> next;
    bool absenceSaid = false;
};

}  // namespace t47
