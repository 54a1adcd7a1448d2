#pragma once

// t47ctl's configuration commands, the settings tool of Linux:
//
//   t47ctl show [--profile N] [--json]     a profile (the active one by default)
//   t47ctl show --global [--json]          section "Setting"
//   t47ctl set [--profile N] KEY=VALUE...  keys of a profile section, or of "Setting"
//   t47ctl button B FUNCTION               a fixed function by name or code (buttons 1 to 7)
//   t47ctl macro B FILE|-                  a macro in the notation of macro_text.h
//   t47ctl profile N                       slot N becomes the active one
//
// Every change is one replacement of the settings file: the keys of one command land together
// or not at all. Then the agent is asked to apply (unless --no-apply), and one line says what
// happened. A value, key or command line that is refused gets one line naming it and status 2;
// the file is then unchanged. A file that cannot be written gets status 1.

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

#include "platform/profile/profile_engine.h"
#include "platform/window_messages.h"

namespace t47 {

inline constexpr int kConfigureRefused = 2;

struct ConfigureSystem {
    ProfileEngine& files;
    std::u16string settingsPath;  // empty: no configuration folder
    WindowMessages& messages;
    std::istream& input;  // for `macro B -`
};

bool IsConfigureCommand(std::string_view name);

// `arguments` without the program's name, the command first.
int RunConfigureCommand(std::span<const std::string> arguments, std::ostream& out,
                        std::ostream& err, const ConfigureSystem& system);

// The usage lines of these commands.
std::string ConfigureUsage();

}  // namespace t47
