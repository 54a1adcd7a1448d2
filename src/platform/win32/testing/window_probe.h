#pragma once

// For tests: what the system knows of a window, the shell's restart notice, and a hand on the
// popup menu that another thread shows.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/handles.h"
#include "platform/window_messages.h"

namespace t47::testing {

struct WindowFacts {
    std::uint32_t style = 0;
    std::uint32_t extendedStyle = 0;
    bool visible = false;
    std::vector<int> placement;  // x, y, width, height
};

// None when it is no window (any more).
std::optional<WindowFacts> FactsOf(WindowHandle window);

// Waits until a top-level window of that title exists (or, with `present` false, none does);
// false when `limit` passed first.
bool WaitForWindow(std::u16string_view title, bool present, std::chrono::milliseconds limit);

// The process of a window, held open: its id goes to no other process meanwhile.
struct WindowOwner {
    std::uint32_t processId = 0;
    std::filesystem::path program;  // the program file it runs
    std::shared_ptr<void> process;

    // Waits until the process has ended; false when `limit` passed first.
    bool WaitForEnd(std::chrono::milliseconds limit) const;
};

// The process of the top-level window of that title, once there is one; none when `limit`
// passed first.
std::optional<WindowOwner> WaitForWindowOwner(std::u16string_view title,
                                              std::chrono::milliseconds limit);

// The number the system gives the shell's restart notice, "TaskbarCreated", in this session.
MessageId ShellRestartNotice();

struct MenuItemFacts {
    std::uint32_t commandId = 0;
    std::u16string text;
    bool plainText = false;  // MF_STRING, nothing else

    friend bool operator==(const MenuItemFacts&, const MenuItemFacts&) = default;
};

// Waits for a popup menu shown by any thread of this process, reads its entries, and chooses
// the one at `index` with the keyboard (the menu then closes and posts its command); the
// entries, or none when no menu came within `limit`.
std::optional<std::vector<MenuItemFacts>> ChooseFromPopupMenu(std::size_t index,
                                                              std::chrono::milliseconds limit);

}  // namespace t47::testing
