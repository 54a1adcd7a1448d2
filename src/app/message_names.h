#pragma once

// Window messages by name: the agent's private messages, its companion's, and the system
// messages a top-level window gets. For the companion stand-ins' logs.

#include <optional>
#include <string_view>

#include "platform/window_messages.h"

namespace t47 {

// "MSG_UI_DPI_CHANGED", "WM_COMMAND", "TaskbarCreated" (the shell's restart notice); none for a
// number without a name.
std::optional<std::string_view> KnownMessageName(MessageId id);

}  // namespace t47
