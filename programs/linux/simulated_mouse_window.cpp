#include "simulated_mouse_window.h"

#include "simulated_mouse_control.h"

namespace t47 {

SimulatedMouseWindow::SimulatedMouseWindow(SimulatedMouse& simulated, DebugOutput& output)
    : mouse(simulated), debug(output) {}

bool SimulatedMouseWindow::Create(WindowHost& windows) {
    return windows.CreateHiddenWindow(kSimulatedMouseWindowTitle, *this) != kNoWindow;
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
