#include "app/message_names.h"

#include <utility>

#include "contract/companion_contract.h"
#include "platform/window_host.h"

namespace t47 {
namespace {

constexpr std::pair<MessageId, std::string_view> kNames[] = {
    {kWmNull, "WM_NULL"},
    {kWmCreate, "WM_CREATE"},
    {kWmDestroy, "WM_DESTROY"},
    {0x0003, "WM_MOVE"},
    {0x0005, "WM_SIZE"},
    {0x0006, "WM_ACTIVATE"},
    {0x0007, "WM_SETFOCUS"},
    {0x0008, "WM_KILLFOCUS"},
    {0x000C, "WM_SETTEXT"},
    {0x000D, "WM_GETTEXT"},
    {0x000E, "WM_GETTEXTLENGTH"},
    {0x000F, "WM_PAINT"},
    {kWmClose, "WM_CLOSE"},
    {0x0011, "WM_QUERYENDSESSION"},
    {0x0012, "WM_QUIT"},
    {0x0016, "WM_ENDSESSION"},
    {0x0018, "WM_SHOWWINDOW"},
    {0x001A, "WM_SETTINGCHANGE"},
    {0x001C, "WM_ACTIVATEAPP"},
    {0x0024, "WM_GETMINMAXINFO"},
    {0x0046, "WM_WINDOWPOSCHANGING"},
    {0x0047, "WM_WINDOWPOSCHANGED"},
    {0x007F, "WM_GETICON"},
    {0x0081, "WM_NCCREATE"},
    {0x0082, "WM_NCDESTROY"},
    {0x0083, "WM_NCCALCSIZE"},
    {0x0086, "WM_NCACTIVATE"},
    {kWmCommand, "WM_COMMAND"},
    {0x0112, "WM_SYSCOMMAND"},
    {0x0113, "WM_TIMER"},
    {kWmDeviceChange, "WM_DEVICECHANGE"},
    {0x0281, "WM_IME_SETCONTEXT"},
    {0x0282, "WM_IME_NOTIFY"},
    {kWmWtsSessionChange, "WM_WTSSESSION_CHANGE"},
    {MSG_TRAY_CALLBACK, "MSG_TRAY_CALLBACK"},
    {MSG_RELOAD_APPLY, "MSG_RELOAD_APPLY"},
    {MSG_DEVICE_DPI, "MSG_DEVICE_DPI"},
    {MSG_DEVICE_COMMAND, "MSG_DEVICE_COMMAND"},
    {MSG_UI_SETTINGS_READ, "MSG_UI_SETTINGS_READ"},
    {MSG_UI_DPI_CHANGED, "MSG_UI_DPI_CHANGED"},
    {MSG_UI_DEVICE_STATE, "MSG_UI_DEVICE_STATE"},
    {kShellRestartedMessage, "TaskbarCreated"},
};

}  // namespace

std::optional<std::string_view> KnownMessageName(MessageId id) {
    for (const auto& [number, name] : kNames) {
        if (number == id) {
            return name;
        }
    }
    return std::nullopt;
}

}  // namespace t47
