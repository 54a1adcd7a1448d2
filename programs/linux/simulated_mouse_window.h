#pragma once

// The window through which t47ctl reaches the simulated mouse inside the agent process. Its
// procedure presses the DPI button, unplugs and plugs the mouse on the message loop's thread,
// between two messages of the agent window, as a hand on a real mouse would; each is said on
// the debug output first.

#include <optional>

#include "platform/debug_output.h"
#include "platform/memory/simulated_mouse.h"
#include "platform/window_host.h"

namespace t47 {

class SimulatedMouseWindow final : public WindowProcedure {
  public:
    SimulatedMouseWindow(SimulatedMouse& mouse, DebugOutput& debug);

    // Creates the hidden window titled kSimulatedMouseWindowTitle, whose messages the agent's
    // loop then hands here; false when it could not be created.
    bool Create(WindowHost& windows);

    std::optional<LParam> HandleMessage(WindowHandle window, MessageId id, WParam wParam,
                                        LParam lParam) override;

  private:
    SimulatedMouse& mouse;
    DebugOutput& debug;
};

}  // namespace t47
