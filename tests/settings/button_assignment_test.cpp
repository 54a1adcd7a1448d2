#include "settings/button_assignment.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "settings/settings_defaults.h"

namespace t47 {
namespace {

// A button record written out by hand, byte by byte, as the settings file stores it.
ButtonAssignmentBytes HandWrittenRecord() {
    ButtonAssignmentBytes bytes{};
    bytes[0] = 0x03;  // ButtonNo
    bytes[1] = 0xA7;  // FunctionCode
    bytes[2] = 0x02;  // EventCount
    bytes[3] = 0x5A;  // carried as stored
    // event 0: Code 3, carried 0x11, Value 0x0001
    bytes[4] = 0x03, bytes[5] = 0x11, bytes[6] = 0x01, bytes[7] = 0x00;
    // event 1: Code 12, Value 0x3705
    bytes[8] = 0x0C, bytes[9] = 0x00, bytes[10] = 0x05, bytes[11] = 0x37;
    // event 91, the last slot: Code 0xFF, carried 0x22, Value 0xEEFF
    bytes[368] = 0xFF, bytes[369] = 0x22, bytes[370] = 0xFF, bytes[371] = 0xEE;
    bytes[372] = 0x01;                     // RepeatMode
    bytes[373] = 0x05;                     // RepeatCount
    bytes[374] = 0xC3, bytes[375] = 0x3C;  // carried as stored
    // MacroIndex -2, little-endian
    bytes[376] = 0xFE, bytes[377] = 0xFF, bytes[378] = 0xFF, bytes[379] = 0xFF;
    return bytes;
}

TEST(ButtonAssignmentBytes, HandWrittenRecordDecodesFieldByField) {
    const ButtonAssignmentBytes bytes = HandWrittenRecord();
    const ButtonAssignment record = ButtonAssignmentFromBytes(bytes);

    EXPECT_EQ(record.ButtonNo, 3);
    EXPECT_EQ(record.FunctionCode, 0xA7);
    EXPECT_EQ(record.EventCount, 2);
    EXPECT_EQ(record.carriedByte3, 0x5A);
    EXPECT_EQ(record.Events[0], (MacroEvent{0x03, 0x11, 0x0001}));
    EXPECT_EQ(record.Events[1], (MacroEvent{0x0C, 0x00, 0x3705}));
    for (std::size_t i = 2; i < 91; ++i) {
        EXPECT_EQ(record.Events[i], MacroEvent{}) << "slot " << i;
    }
    EXPECT_EQ(record.Events[91], (MacroEvent{0xFF, 0x22, 0xEEFF}));
    EXPECT_EQ(record.RepeatMode, 1);
    EXPECT_EQ(record.RepeatCount, 5);
    EXPECT_EQ(record.carriedBytes374, (std::array<std::uint8_t, 2>{0xC3, 0x3C}));
    EXPECT_EQ(record.MacroIndex, -2);
}

TEST(ButtonAssignmentBytes, HandWrittenRecordRoundTrips) {
    const ButtonAssignmentBytes bytes = HandWrittenRecord();
    EXPECT_EQ(ButtonAssignmentToBytes(ButtonAssignmentFromBytes(bytes)), bytes);
}

TEST(ButtonAssignmentBytes, EveryByteSurvivesARoundTrip) {
    // Distinct values in every position: a field written at the wrong offset or width shows.
    ButtonAssignmentBytes bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    EXPECT_EQ(ButtonAssignmentToBytes(ButtonAssignmentFromBytes(bytes)), bytes);
}

TEST(ButtonAssignmentBytes, DefaultRecordLayout) {
    const ButtonAssignmentBytes bytes = ButtonAssignmentToBytes(DefaultButtonAssignment(3));
    EXPECT_EQ(bytes[0], 4);     // ButtonNo is the index + 1
    EXPECT_EQ(bytes[1], 0xC0);  // the fourth button's default function
    EXPECT_TRUE(std::all_of(bytes.begin() + 2, bytes.begin() + 376, [](auto b) { return b == 0; }));
    EXPECT_EQ(bytes[376], 0xFF);  // MacroIndex -1
    EXPECT_EQ(bytes[377], 0xFF);
    EXPECT_EQ(bytes[378], 0xFF);
    EXPECT_EQ(bytes[379], 0xFF);
}

TEST(MacroEventBytes, ValueIsLittleEndianAfterTheCarriedByte) {
    std::array<std::uint8_t, kMacroEventSize> bytes{};
    MacroEventToBytes(MacroEvent{0xFF, 0x9C, 0x1234}, bytes);
    EXPECT_EQ(bytes, (std::array<std::uint8_t, 4>{0xFF, 0x9C, 0x34, 0x12}));
    EXPECT_EQ(MacroEventFromBytes(bytes), (MacroEvent{0xFF, 0x9C, 0x1234}));
}

TEST(MacroEventBytes, EventBlockHoldsTheSlotsInOrder) {
    MacroEvents events{};
    events[0] = {0x03, 0x00, 0x0001};
    events[1] = {0x0C, 0x00, 0x3705};
    events[91] = {0x14, 0x00, 0x0000};
    const MacroEventsBytes bytes = MacroEventsToBytes(events);
    EXPECT_EQ(bytes[0], 0x03);
    EXPECT_EQ(bytes[2], 0x01);
    EXPECT_EQ(bytes[4], 0x0C);
    EXPECT_EQ(bytes[6], 0x05);
    EXPECT_EQ(bytes[7], 0x37);
    EXPECT_EQ(bytes[364], 0x14);
    EXPECT_EQ(MacroEventsFromBytes(bytes), events);
}

}  // namespace
}  // namespace t47
