// The parts of t47agent and t47ctl that decide and describe: the mouse the agent serves, its
// command line, the lines of the simulated mouse, and the messages as t47ctl watch prints them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agent_options.h"
#include "contract/companion_contract.h"
#include "message_names.h"
#include "mouse_choice.h"
#include "platform/text_encoding.h"
#include "simulated_mouse_bus.h"

namespace t47 {
namespace {

AttachedHidNode Node(std::string name, std::uint16_t vendor, std::uint16_t product, bool opens) {
    return {std::move(name), {vendor, product}, opens};
}

TEST(MouseChoice, TheSimulatedMouseOnlyWhenAskedAndNoMouseIsAttached) {
    const AttachedHidNode keyboard = Node("hidraw0", 0x046D, 0xC31C, true);
    struct Case {
        std::vector<AttachedHidNode> attached;
        bool simulatedWanted;
        MouseChoice choice;
        std::string line;  // the start of what the user is told
    };
    const Case cases[] = {
        {{keyboard}, false, MouseChoice::kAbsent, "t47agent: no Norvane T47 is attached: waiting"},
        {{}, true, MouseChoice::kSimulated, "t47agent: no Norvane T47 is attached: using the sim"},
        // Every pairing of the mouse's ids and the alternate ones is the mouse.
        {{keyboard, Node("hidraw3", 0x3938, 0x1101, true)},
         true,
         MouseChoice::kAttached,
         "t47agent: the Norvane T47 is attached (/dev/hidraw3)"},
        {{Node("hidraw3", 0x1B80, 0xB412, true), Node("hidraw4", 0x3938, 0xB412, true)},
         false,
         MouseChoice::kAttached,
         "t47agent: the Norvane T47 is attached (/dev/hidraw3, /dev/hidraw4)"},
        {{Node("hidraw5", 0x1B80, 0x1101, true)}, true, MouseChoice::kAttached, ""},
        // Half a pair is another device.
        {{Node("hidraw5", 0x1B80, 0x0001, true), Node("hidraw6", 0x0001, 0xB412, true)},
         true,
         MouseChoice::kSimulated,
         ""},
        // A mouse that does not open is still no reason to simulate one.
        {{Node("hidraw3", 0x1B80, 0xB412, true), Node("hidraw4", 0x1B80, 0xB412, false)},
         true,
         MouseChoice::kUnreachable,
         "t47agent: the Norvane T47 is attached, but /dev/hidraw4 cannot be opened: install the "
         "udev rule"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const MouseChoice choice = ChooseMouse(c.attached, c.simulatedWanted);
        EXPECT_EQ(choice, c.choice);
        const std::string line = MouseChoiceLine(choice, c.attached);
        EXPECT_TRUE(line.starts_with(c.line)) << line;
        EXPECT_EQ(line.find('\n'), std::string::npos);
    }
}

TEST(AgentOptions, OneOptionAndHelp) {
    struct Case {
        std::vector<std::string> arguments;
        bool simulatedMouse;
        bool help;
        std::string error;
    };
    const Case cases[] = {
        {{}, false, false, ""},
        {{"--simulated-mouse"}, true, false, ""},
        {{"--simulated-mouse", "--simulated-mouse"}, true, false, ""},
        {{"-h"}, false, true, ""},
        {{"--simulated-mouse", "--help"}, true, true, ""},
        {{"--simulated-mouse", "mouse"}, true, false, "unknown argument \"mouse\""},
        {{"--Simulated-Mouse"}, false, false, "unknown argument \"--Simulated-Mouse\""},
        {{""}, false, false, "unknown argument \"\""},
    };
    for (const Case& c : cases) {
        const ParsedAgentOptions parsed = ParseAgentOptions(c.arguments);
        EXPECT_EQ(parsed.options.simulatedMouse, c.simulatedMouse) << parsed.error;
        EXPECT_EQ(parsed.options.help, c.help) << parsed.error;
        EXPECT_TRUE(parsed.error.starts_with(c.error)) << parsed.error;
        EXPECT_EQ(parsed.error.empty(), c.error.empty()) << parsed.error;
    }
}

TEST(SimulatedMouseBus, EachTransferIsOneLineShortReportsWhole) {
    const std::vector<std::uint8_t> command = {6, 0x5A, 0, 0, 0, 0, 0, 0};
    const struct {
        Transfer transfer;
        std::u16string line;
    } cases[] = {
        {{0, TransferKind::kSet, 6, true, command},
         u"Simulated mouse: report 6 set: 06 5a 00 00 00 00 00 00\n"},
        {{0, TransferKind::kGet, 3, true, std::vector<std::uint8_t>(kShownReportLength, 0xAB)},
         u"Simulated mouse: report 3 read:" + Utf16FromUtf8([] {
             std::string bytes;
             for (std::size_t i = 0; i < kShownReportLength; ++i) {
                 bytes += " ab";
             }
             return bytes;
         }()) +
             u"\n"},
        {{0, TransferKind::kGet, 4, true, std::vector<std::uint8_t>(2049)},
         u"Simulated mouse: report 4 read (2049 bytes)\n"},
        {{300, TransferKind::kSet, 3, false, {}}, u"Simulated mouse: report 3 set refused\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TransferLine(c.transfer), c.line);
    }
}

TEST(MessageNames, TheCompanionsMessagesByNameAndTheirNamedValues) {
    const struct {
        MessageId id;
        WParam wParam;
        LParam lParam;
        std::string line;
    } cases[] = {
        {MSG_UI_DPI_CHANGED, 0, 3, "MSG_UI_DPI_CHANGED wParam=0 lParam=3"},
        {MSG_UI_SETTINGS_READ, 0, 0, "MSG_UI_SETTINGS_READ wParam=0 lParam=0"},
        {MSG_UI_DEVICE_STATE, DEVICE_STATE_ABSENT, 0,
         "MSG_UI_DEVICE_STATE wParam=0x917 (DEVICE_STATE_ABSENT) lParam=0"},
        {MSG_UI_DEVICE_STATE, 0x916, 0, "MSG_UI_DEVICE_STATE wParam=0x916 lParam=0"},
        {kWmCommand, 0xFFFFFFFF, 0, "WM_COMMAND wParam=0xFFFFFFFF (the agent closes) lParam=0"},
        {kWmCommand, 6001, 0, "WM_COMMAND wParam=0x1771 lParam=0"},
        {MSG_RELOAD_APPLY, 1023, 1024, "MSG_RELOAD_APPLY wParam=1023 lParam=0x400"},
        {kWmClose, 0, -1, "WM_CLOSE wParam=0 lParam=-1"},
        {0x123, 0, -2048, "message 0x0123 wParam=0 lParam=-0x800"},
        {0xC0DE0, ~WParam{0}, 0, "message 0xC0DE0 wParam=0xFFFFFFFFFFFFFFFF lParam=0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DescribeMessage(c.id, c.wParam, c.lParam), c.line);
    }
}

}  // namespace
}  // namespace t47
