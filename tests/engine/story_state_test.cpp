// Story variables and restart points as the operations see them: values of each kind,
// the display rule, the guards on numbers and the random source.
#include "story_fixture.h"

namespace story {
namespace {

using StoryStateTest = StoryTest;

TEST_F(StoryStateTest, ChoiceValueIsTheIndexAndLeavesTheOwnedFlag) {
    Hold(kRope, 1, 0);
    SetVariableValue(kRope, 0x103);   // the low 8 bits become the index
    EXPECT_EQ(VariableValue(kRope), 3);
    EXPECT_EQ(OwnedFlag(kRope), 1);
    SetOwnedFlag(kRope, 0);
    EXPECT_EQ(VariableValue(kRope), 3);
}

TEST_F(StoryStateTest, DisplayTellsTextFromPicture) {
    Hold(kLantern, 0, 1);
    VariableShown shown = VariableDisplay(kLantern);
    EXPECT_EQ(shown.as, ShownAs::Text);
    EXPECT_STREQ(shown.text, "lit");

    SetVariableValue(kCoins, 70000);   // keeps its low 16 bits
    EXPECT_STREQ(VariableDisplay(kCoins).text, " 4464");
    SetVariableValue(kCoins, -32768);
    EXPECT_STREQ(VariableDisplay(kCoins).text, " -32768");

    Hold(kMap, 0, 1);
    shown = VariableDisplay(kMap);
    EXPECT_EQ(shown.as, ShownAs::Picture);
    EXPECT_EQ(shown.picture, 8);

    variables[kOther].kind = 9;   // a kind without a display
    EXPECT_EQ(VariableDisplay(kOther).as, ShownAs::Nothing);
}

TEST_F(StoryStateTest, NumbersOutsideTheTablesReadZeroAndChangeNothing) {
    for (int bad : {-1, kStoryVariables, 1000}) {
        SetVariableValue(bad, 5);
        SetOwnedFlag(bad, 1);
        EXPECT_EQ(VariableValue(bad), 0);
        EXPECT_EQ(OwnedFlag(bad), 0);
        EXPECT_EQ(ClampToRange(bad, 5), 5);
        EXPECT_EQ(VariableDisplay(bad).as, ShownAs::Nothing);
    }
    SaveRestartPoint(kRestartPoints);
    EXPECT_EQ(RestoreRestartPoint(-1), 0);
    for (int k = 0; k < kStoryVariables; ++k) EXPECT_EQ(variables[k].state[0], 0);
}

TEST_F(StoryStateTest, RandomSequenceIsFixedForASeed) {
    SeedRandom(1);
    const int expected[] = {16838, 5758, 10113, 17515, 31051};
    for (int value : expected) EXPECT_EQ(RandomNumber(), value);

    int low = 32767, high = 0;
    for (int i = 0; i < 5000; ++i) {
        int value = RandomNumber();
        low = value < low ? value : low;
        high = value > high ? value : high;
    }
    EXPECT_GE(low, 0);
    EXPECT_LE(high, 32767);
    EXPECT_GT(high - low, 30000);
}

}  // namespace
}  // namespace story

// A picture is named by its bitmap for screen readers: the book's description, else
// "picture" (a book picture without one, or the program's own, such as the logo 1100).
TEST(BookPictures, APictureIsNamedByItsDescription) {
    EXPECT_STREQ(PictureDescription(1703), "A brass lamp, \"lit\" and \\ swinging.");
    EXPECT_STREQ(PictureDescription(1702), "picture");
    EXPECT_STREQ(PictureDescription(1100), "picture");
}
