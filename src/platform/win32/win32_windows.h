#pragma once

// Windows and their messages over the Windows functions. The agent's windows are hidden
// WS_POPUP windows of a class of our own, whose window procedure hands every message to the
// agent's WindowProcedure from WM_NCCREATE on; the procedure's "none" is DefWindowProcW. The
// shell's restart notice (the message registered as "TaskbarCreated") reaches the procedure as
// kShellRestartedMessage, and only that notice does. WindowHandle values are the system's HWNDs.

#include "platform/window_host.h"
#include "platform/window_messages.h"

namespace t47 {

class Win32Windows final : public WindowMessages, public WindowHost {
  public:
    WindowHandle FindTopLevelWindow(std::u16string_view title) override;
    // False for kNoWindow, which the system would take as the calling thread's own queue.
    bool Post(WindowHandle window, MessageId id, WParam wParam, LParam lParam) override;

    // Once the procedure refused kWmCreate, no further message of that window reaches it: the
    // window never existed as far as the agent knows. The shell's restart notice is let through
    // from programs of a lower privilege level, so that an elevated agent still hears it.
    WindowHandle CreateHiddenWindow(std::u16string_view title, WindowProcedure& procedure) override;
    void SetTitle(WindowHandle window, std::u16string_view title) override;
    // GWL_EXSTYLE becomes WS_EX_TOOLWINDOW.
    void SetToolWindowStyle(WindowHandle window) override;
    // ChangeWindowMessageFilterEx with MSGFLT_ALLOW (on Vista, which lacks it, the filter of
    // the whole process).
    void AcceptFromLowerPrivilege(WindowHandle window,
                                  std::span<const MessageId> messages) override;
    // GetMessageW and DispatchMessageW on the calling thread, which made the window, until the
    // main window's WM_NCDESTROY posts the quit; at once 0 when it is not a window of ours.
    int RunMessageLoop(WindowHandle mainWindow) override;
    // GetVersionExW's major version; 0 when the system does not say.
    std::uint32_t OsMajorVersion() override;
    // WTSRegisterSessionNotification for this session.
    bool RegisterSessionNotices(WindowHandle window) override;
    void UnregisterSessionNotices(WindowHandle window) override;
};

}  // namespace t47
