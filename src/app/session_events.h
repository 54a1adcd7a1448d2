#pragma once

// What a change of the user's session means to the agent. Before major version 6 the system
// sends lock and unlock without the console events that follow them, and the agent lets them
// pass:
//
//   event                           version 6 or higher   below 6
//   1 WTS_CONSOLE_CONNECT           connect               connect
//   8 WTS_SESSION_UNLOCK            connect               nothing
//   2 WTS_CONSOLE_DISCONNECT        suspend               suspend
//   7 WTS_SESSION_LOCK              suspend               nothing
//   any other                       nothing               nothing

#include <cstdint>

#include "platform/window_messages.h"

namespace t47 {

enum class SessionAction { kNothing, kConnect, kSuspend };

SessionAction SessionActionOf(WParam event, std::uint32_t osMajorVersion);

}  // namespace t47
