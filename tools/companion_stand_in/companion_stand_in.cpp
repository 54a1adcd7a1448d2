#include "companion_stand_in.h"

#include <utility>

#include "contract/companion_contract.h"
#include "message_names.h"

namespace t47 {
namespace {

struct Request {
    std::string_view name;
    const char16_t* window;
    MessageId message;
};

constexpr Request kRequests[] = {
    {"apply", kAgentWindowTitle, MSG_RELOAD_APPLY},
    {"command", kAgentWindowTitle, MSG_DEVICE_COMMAND},
    {"close-agent", kAgentWindowTitle, kWmClose},
    {"quit", kCompanionWindowTitle, kWmClose},
};

}  // namespace

CompanionStandIn::CompanionStandIn(std::ostream& logStream) : log(logStream) {}

std::optional<LParam> CompanionStandIn::HandleMessage(WindowHandle, MessageId id, WParam wParam,
                                                      LParam lParam) {
    log << MessageLine(id, wParam, lParam) << std::endl;
    return std::nullopt;
}

int RunCompanionWindow(WindowHost& windows, std::ostream& log) {
    CompanionStandIn standIn(log);
    log << "Gaming.exe started" << std::endl;
    const WindowHandle window = windows.CreateHiddenWindow(kCompanionWindowTitle, standIn);
    if (window == kNoWindow) {
        log << "Gaming.exe: cannot create its window" << std::endl;
        return 1;
    }
    return windows.RunMessageLoop(window);
}

int PostCompanionRequest(WindowMessages& messages, std::string_view request) {
    for (const Request& known : kRequests) {
        if (known.name == request) {
            const WindowHandle window = messages.FindTopLevelWindow(known.window);
            return window != kNoWindow && messages.Post(window, known.message, 0, 0)
                       ? kPosted
                       : kNoWindowToPostTo;
        }
    }
    return kBadArguments;
}

}  // namespace t47
