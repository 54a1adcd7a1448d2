#pragma once

// Window messages by name, as the companion stand-in logs them: the agent's private messages,
// the system messages that reach a window, and any other as its number.

#include <string>

#include "platform/window_messages.h"

namespace t47 {

// "MSG_UI_DPI_CHANGED", "WM_COMMAND", "TaskbarCreated" (the shell's restart notice); "0x7777"
// for a message without a name.
std::string MessageName(MessageId id);

// One line of the log: "MSG_UI_DPI_CHANGED wParam=0x1 lParam=0x4", numbers in hexadecimal,
// lParam as its bits.
std::string MessageLine(MessageId id, WParam wParam, LParam lParam);

}  // namespace t47
