#include "message_names.h"

#include <cstdio>
#include <string_view>

#include "app/agent_window.h"
#include "app/message_names.h"
#include "contract/companion_contract.h"

namespace t47 {
namespace {

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
    const std::optional<std::string_view> name = KnownMessageName(id);
    std::string line = name ? std::string(*name) : std::string(unknown);
    line += " wParam=" + Number(wParam);
    if (const std::string_view meaning = WParamName(id, wParam); !meaning.empty()) {
        line += " (" + std::string(meaning) + ")";
    }
    return line + " lParam=" + Signed(lParam);
}

}  // namespace t47
