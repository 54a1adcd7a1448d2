#include "contract/companion_contract.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>

#include "app/agent_window.h"
#include "app/message_names.h"
#include "message_names.h"
#include "platform/window_host.h"

namespace t47 {
namespace {

// Every number that crosses a process boundary, written out as the other side knows it: the
// companion UI, the shell and the system match them by value, so a renumbered constant must
// fail here even though every other test uses the constants themselves.
struct ContractNumber {
    std::string_view name;
    std::uintmax_t constant;
    std::uintmax_t literal;
    // The message's name in the stand-ins' logs; empty for a number that is no message.
    std::string_view logName;
};

constexpr ContractNumber kContractNumbers[] = {
    {"MSG_TRAY_CALLBACK", MSG_TRAY_CALLBACK, 0x465, "MSG_TRAY_CALLBACK"},
    {"MSG_RELOAD_APPLY", MSG_RELOAD_APPLY, 0x4FF, "MSG_RELOAD_APPLY"},
    {"MSG_DEVICE_DPI", MSG_DEVICE_DPI, 0x500, "MSG_DEVICE_DPI"},
    {"MSG_DEVICE_COMMAND", MSG_DEVICE_COMMAND, 0x501, "MSG_DEVICE_COMMAND"},
    {"MSG_UI_SETTINGS_READ", MSG_UI_SETTINGS_READ, 0x505, "MSG_UI_SETTINGS_READ"},
    {"MSG_UI_DPI_CHANGED", MSG_UI_DPI_CHANGED, 0x506, "MSG_UI_DPI_CHANGED"},
    {"MSG_UI_DEVICE_STATE", MSG_UI_DEVICE_STATE, 0x915, "MSG_UI_DEVICE_STATE"},
    {"DEVICE_STATE_ABSENT", DEVICE_STATE_ABSENT, 0x917, ""},
    {"ID_TRAY_OPEN", ID_TRAY_OPEN, 6001, ""},
    {"ID_TRAY_HIDE", ID_TRAY_HIDE, 6002, ""},
    {"tray icon id", kTrayIconId, 128, ""},
    {"tray icon flags", kTrayIconFlags, 7, ""},
    {"tray icon resource", kAgentIconResource, 137, ""},
    {"closing command", kAgentClosingCommand, 0xFFFFFFFF, ""},
    {"WM_NULL", kWmNull, 0x0000, "WM_NULL"},
    {"WM_CREATE", kWmCreate, 0x0001, "WM_CREATE"},
    {"WM_DESTROY", kWmDestroy, 0x0002, "WM_DESTROY"},
    {"WM_CLOSE", kWmClose, 0x0010, "WM_CLOSE"},
    {"WM_COMMAND", kWmCommand, 0x0111, "WM_COMMAND"},
    {"WM_DEVICECHANGE", kWmDeviceChange, 0x0219, "WM_DEVICECHANGE"},
    {"WM_WTSSESSION_CHANGE", kWmWtsSessionChange, 0x02B1, "WM_WTSSESSION_CHANGE"},
};

TEST(CompanionContract, NumbersCrossingProcessesKeepTheirValuesAndLogNames) {
    for (const ContractNumber& number : kContractNumbers) {
        SCOPED_TRACE(number.name);
        EXPECT_EQ(number.constant, number.literal);
        if (!number.logName.empty()) {
            const auto id = static_cast<MessageId>(number.literal);
            EXPECT_EQ(KnownMessageName(id), number.logName);
            EXPECT_EQ(MessageName(id), number.logName);  // the companion stand-in's log
        }
    }
}

TEST(CompanionContract, NamesCrossingProcessesKeepTheirText) {
    const std::pair<std::u16string_view, std::u16string_view> names[] = {
        {kAgentWindowTitle, u"Norvane_T47_Hid"}, {kSingleInstanceMutexName, u"Norvane_T47_Hid"},
        {kCompanionWindowTitle, u"Norvane T47"}, {kCompanionProgram, u"Gaming.exe"},
        {kOsdWindowTitle, u"OSDMain"},
    };
    for (const auto& [constant, literal] : names) {
        EXPECT_EQ(constant, literal);
    }
}

}  // namespace
}  // namespace t47
