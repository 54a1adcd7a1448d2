#include "simulated_mouse_window.h"

#include "simulated_mouse_control.h"

namespace t47 {

SimulatedMouseWindow::SimulatedMouseWindow(SimulatedMouse& simulated, DebugOutput& output)
    : mouse(simulated), debug(output) {}

bool SimulatedMouseWindow::Create(WindowHost& windows) {
    const WindowHandle window = windows.CreateHiddenWindow(kSimulatedMouseWindowTitle, *this);
    if (window == kNoWindow) {
        return false;
    }
    // t47ctl's controls are all that other processes may send it.
    constexpr MessageId kControls[] = {kPressDpiButton, kUnplugMouse, kPlugInMouse};
    windows.AcceptFromLowerPrivilege(window, kControls);
    return true;
}

std::optional<LParam> SimulatedMouseWindow::HandleMessage(WindowHandle, MessageId id, WParam,
                                                          LParam) {
    const bool pluggedIn = mouse.IsPluggedIn();
    switch (id) {
        case kPressDpiButton:
            debug.Write(pluggedIn ? u"Simulated mouse: DPI button pressed\n"
                                  : u"Simulated mouse: DPI button pressed while unplugged\n");
            mouse.PressDpiButton();
            return 0;
        case kUnplugMouse:
            debug.Write(pluggedIn ? u"Simulated mouse: unplugged\n"
                                  : u"Simulated mouse: unplugged already\n");
            mouse.Unplug();
            return 0;
        case kWmClose:
            return 0;  // the mouse goes with the agent, not on another program's word
        case kPlugInMouse:
            debug.Write(pluggedIn ? u"Simulated mouse: plugged in already\n"
                                  : u"Simulated mouse: plugged in\n");
            mouse.PlugIn();
            return 0;
        default:
            return std::nullopt;
    }
}

}  // namespace t47
