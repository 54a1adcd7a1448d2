#pragma once

// t47ctl's commands: what each one posts to which window, and how the command line reads.
//
//   t47ctl watch       hold the companion UI's window and print each message the agent sends
//   t47ctl apply       the companion UI's reload-and-apply request
//   t47ctl command     the companion UI's command request
//   t47ctl stop        close the agent, as WM_CLOSE does
//   t47ctl press-dpi   press the simulated mouse's DPI button
//   t47ctl unplug      unplug the simulated mouse
//   t47ctl plug        plug it in again

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/window_messages.h"

namespace t47 {

// A command that posts one message, wParam and lParam 0, to a window found by its title.
struct PostCommand {
    std::string_view name;
    std::u16string_view window;
    MessageId message;
    std::string_view help;
    std::string_view done;  // said once the window took the message
};

std::span<const PostCommand> PostCommands();

enum class ControlAction { kHelp, kVersion, kWatch, kPost };

struct ControlCommand {
    ControlAction action = ControlAction::kHelp;
    const PostCommand* post = nullptr;  // for kPost
};

struct ParsedControlCommand {
    std::optional<ControlCommand> command;
    std::string error;  // when there is no command: one line, without the program's name
};

// The arguments without the program's name: one command, nothing after it.
ParsedControlCommand ParseControlCommand(std::span<const std::string> arguments);

std::string ControlUsage();

}  // namespace t47
