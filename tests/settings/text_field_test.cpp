#include "settings/text_field.h"

#include <gtest/gtest.h>

namespace t47 {
namespace {

TEST(TextField, TextEndsAtTheFirstZero) {
    TextField<8> field{u'a', u'b', u'\0', u'c'};
    EXPECT_EQ(TextOf(field), u"ab");
}

TEST(TextField, FieldWithoutTerminatingZeroReadsWhole) {
    TextField<3> field{u'x', u'y', u'z'};
    EXPECT_EQ(TextOf(field), u"xyz");
}

TEST(TextField, SetTextCutsToLeaveRoomForTheZero) {
    TextField<5> field;
    field.fill(u'#');
    SetText(field, u"abcdefgh");
    EXPECT_EQ(TextOf(field), u"abcd");
    EXPECT_EQ(field[4], u'\0');
}

TEST(TextField, SetTextZeroesTheRestOfTheField) {
    TextField<6> field;
    field.fill(u'#');
    SetText(field, u"ab");
    EXPECT_EQ(field, (TextField<6>{u'a', u'b'}));
}

TEST(TextField, CutNeverSplitsASurrogatePair) {
    // U+1F600 is the pair D83D DE00; a field of 4 units holds 3 of text.
    const std::u16string text = u"ab\U0001F600";
    TextField<4> field;
    SetText(field, text);
    EXPECT_EQ(TextOf(field), u"ab");

    TextField<5> roomy;
    SetText(roomy, text);
    EXPECT_EQ(TextOf(roomy), text);
}

TEST(TextField, FittingLengthCases) {
    struct Case {
        std::u16string_view text;
        std::size_t capacity;
        std::size_t expected;
    };
    const Case cases[] = {
        {u"", 1, 0},
        {u"abc", 0, 0},
        {u"abc", 1, 0},
        {u"abc", 3, 2},
        {u"abc", 4, 3},
        {u"abc", 50, 3},
        {u"a\U0001F600", 3, 1},  // the pair would be cut after its high half
        {u"a\U0001F600", 4, 3},
        {u"\U0001F600", 2, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FittingLength(c.text, c.capacity), c.expected)
            << "capacity " << c.capacity << ", length " << c.text.size();
    }
}

}  // namespace
}  // namespace t47
