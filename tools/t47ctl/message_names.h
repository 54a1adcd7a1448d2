#pragma once

// The messages the agent posts to the companion UI, as t47ctl watch prints them: by name, with
// a name for the values that have one.
//
//   MSG_UI_DPI_CHANGED wParam=0 lParam=3
//   MSG_UI_DEVICE_STATE wParam=0x917 (DEVICE_STATE_ABSENT) lParam=0
//   WM_COMMAND wParam=0xFFFFFFFF (the agent closes) lParam=0

#include <string>

#include "platform/window_messages.h"

namespace t47 {

// One line, without its line feed. Values below 0x400 in decimal, larger ones in hex; a
// message without a name as "message 0x0123".
std::string DescribeMessage(MessageId id, WParam wParam, LParam lParam);

}  // namespace t47
