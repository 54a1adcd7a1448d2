#include "message_names.h"

#include <cstdio>
#include <string_view>

#include "app/agent_window.h"
#include "app/companion_contract.h"

namespace t47 {
namespace {

struct MessageName {
    MessageId id;
    std::string_view name;
};

// The companion UI's side of the contract, and the system messages a window may get.
constexpr MessageName kMessageNames[] = {
    {MSG_UI_SETTINGS_READ, "MSG_UI_SETTINGS_READ"},
    {MSG_UI_DPI_CHANGED, "MSG_UI_DPI_CHANGED"},
    {MSG_UI_DEVICE_STATE, "MSG_UI_DEVICE_STATE"},
    {MSG_RELOAD_APPLY, "MSG_RELOAD_APPLY"},
    {MSG_DEVICE_DPI, "MSG_DEVICE_DPI"},
    {MSG_DEVICE_COMMAND, "MSG_DEVICE_COMMAND"},
    {MSG_TRAY_CALLBACK, "MSG_TRAY_CALLBACK"},
    {kWmNull, "WM_NULL"},
    {kWmCreate, "WM_CREATE"},
    {kWmDestroy, "WM_DESTROY"},
    {kWmClose, "WM_CLOSE"},
    {kWmCommand, "WM_COMMAND"},
    {kWmDeviceChange, "WM_DEVICECHANGE"},
    {kWmWtsSessionChange, "WM_WTSSESSION_CHANGE"},
};

std::string Number(std::uintmax_t value) {
    char text[24];
    if (value < 0x400) {
        std::snprintf(text, sizeof text, "%ju", value);
    } else {
        std::snprintf(text, sizeof text, "0x%jX", value);
    }
    return text;
}

std::string Signed(std::intmax_t value) {
    return value < 0 ? "-" + Number(0 - static_cast<std::uintmax_t>(value))
                     : Number(static_cast<std::uintmax_t>(value));
}

// The name of a wParam that has one for this message.
std::string_view WParamName(MessageId id, WParam wParam) {
    if (id == MSG_UI_DEVICE_STATE && wParam == DEVICE_STATE_ABSENT) {
        return "DEVICE_STATE_ABSENT";
    }
    if (id == kWmCommand && wParam == kAgentClosingCommand) {
        return "the agent closes";
    }
    return {};
}

}  // namespace

std::string DescribeMessage(MessageId id, WParam wParam, LParam lParam) {
    char unknown[24];
    std::snprintf(unknown, sizeof unknown, "message 0x%04X", static_cast<unsigned>(id));
    std::string line = unknown;
    for (const MessageName& known : kMessageNames) {
        if (known.id == id) {
            line = known.name;
        }
    }
    line += " wParam=" + Number(wParam);
    if (const std::string_view name = WParamName(id, wParam); !name.empty()) {
        line += " (" + std::string(name) + ")";
    }
    return line + " lParam=" + Signed(lParam);
}

}  // namespace t47
