#include "message_names.h"

#include <cstdio>
#include <string_view>

#include "app/message_names.h"

namespace t47 {
namespace {

std::string Hex(std::uint64_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(value));
    return text;
}

}  // namespace

std::string MessageName(MessageId id) {
    const std::optional<std::string_view> name = KnownMessageName(id);
    return name ? std::string(*name) : Hex(id, 4);
}

std::string MessageLine(MessageId id, WParam wParam, LParam lParam) {
    return MessageName(id) + " wParam=" + Hex(wParam, 1) +
           " lParam=" + Hex(static_cast<std::uintptr_t>(lParam), 1);
}

}  // namespace t47
