#include "contract/companion_contract.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/window_messages.h"

namespace t47 {
namespace {

// The companion UI matches messages by number: two requests sharing a number, or a number
// outside the private range, would be taken for something else.
TEST(CompanionContract, PrivateMessagesAreDistinctAndInThePrivateRange) {
    const MessageId messages[] = {MSG_TRAY_CALLBACK,  MSG_RELOAD_APPLY,     MSG_DEVICE_DPI,
                                  MSG_DEVICE_COMMAND, MSG_UI_SETTINGS_READ, MSG_UI_DPI_CHANGED,
                                  MSG_UI_DEVICE_STATE};
    std::set<MessageId> seen;
    for (MessageId message : messages) {
        EXPECT_GE(message, 0x400u) << message;   // WM_USER
        EXPECT_LT(message, 0x8000u) << message;  // WM_APP
        EXPECT_TRUE(seen.insert(message).second) << message;
    }
}

TEST(CompanionContract, AgentWindowAndMutexShareTheirName) {
    EXPECT_EQ(std::u16string_view(kAgentWindowTitle),
              std::u16string_view(kSingleInstanceMutexName));
    EXPECT_NE(std::u16string_view(kAgentWindowTitle), std::u16string_view(kCompanionWindowTitle));
}

}  // namespace
}  // namespace t47
