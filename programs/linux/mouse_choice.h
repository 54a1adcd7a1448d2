#pragma once

// Which mouse t47agent serves, decided once at start from the HID devices attached then, and
// the line that tells the user.

#include <span>
#include <string>

#include "platform/hid_bus.h"
#include "platform/linux/attached_hid_nodes.h"

namespace t47 {

enum class MouseChoice {
    kAttached,     // the mouse is attached and opens
    kUnreachable,  // attached, but some of its nodes do not open (no udev rule)
    kSimulated,    // none attached, and the simulated mouse was asked for
    kAbsent,       // none attached: the agent waits for one
};

// The ids the agent takes for the mouse's: vendor 0x3938 or 0x1B80, product 0x1101 or 0xB412.
bool IsNorvaneT47(const HidAttributes& ids);

// The simulated mouse only when no node has the mouse's ids, so that it never hides a real one.
MouseChoice ChooseMouse(std::span<const AttachedHidNode> attached, bool simulatedMouseWanted);

// One line, without its line feed.
std::string MouseChoiceLine(MouseChoice choice, std::span<const AttachedHidNode> attached);

}  // namespace t47
