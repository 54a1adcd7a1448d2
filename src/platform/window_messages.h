#pragma once

// Messages between top-level windows, the agent's and other programs': found by title, and
// always posted, never sent, so nobody waits for an answer.

#include <cstdint>
#include <string_view>

#include "platform/handles.h"

namespace t47 {

using MessageId = std::uint32_t;
using WParam = std::uintptr_t;
using LParam = std::intptr_t;

// System messages the agent sends, receives or handles, by their Windows numbers (named
// apart from the Windows macros, which would replace them).
inline constexpr MessageId kWmNull = 0x0000;
inline constexpr MessageId kWmCreate = 0x0001;
inline constexpr MessageId kWmDestroy = 0x0002;
inline constexpr MessageId kWmClose = 0x0010;
inline constexpr MessageId kWmCommand = 0x0111;
inline constexpr MessageId kWmDeviceChange = 0x0219;
inline constexpr MessageId kWmWtsSessionChange = 0x02B1;

// One message as it was posted.
struct PostedMessage {
    MessageId id = 0;
    WParam wParam = 0;
    LParam lParam = 0;

    friend bool operator==(const PostedMessage&, const PostedMessage&) = default;
};

class WindowMessages {
  public:
    virtual ~WindowMessages() = default;

    // The top-level window with this title, looked up by title alone; kNoWindow when there is
    // none.
    virtual WindowHandle FindTopLevelWindow(std::u16string_view title) = 0;

    // Queues the message for the window's thread and returns at once; false when the window
    // does not exist or its queue refused it. Safe from any thread.
    virtual bool Post(WindowHandle window, MessageId id, WParam wParam, LParam lParam) = 0;
};

}  // namespace t47
