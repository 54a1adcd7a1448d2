#pragma once

// How t47ctl reaches the simulated mouse inside a t47agent run with --simulated-mouse: a
// window of the agent process of its own title, posted to like any window. Its messages carry
// no data (wParam and lParam 0). The agent's own window and messages stay as on Windows.

#include "platform/window_messages.h"

namespace t47 {

inline constexpr char16_t kSimulatedMouseWindowTitle[] = u"Norvane T47 simulated mouse";

// Numbers above WM_USER (0x400), private to that window.
inline constexpr MessageId kPressDpiButton = 0x0401;
inline constexpr MessageId kUnplugMouse = 0x0402;
inline constexpr MessageId kPlugInMouse = 0x0403;

}  // namespace t47
