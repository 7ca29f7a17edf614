// A paragraph of the test book read as a reader would: its variable commands change
// the story in text order, its conditions see the changes, and the page shows the
// branches taken with their styles.
#include "story_fixture.h"

namespace {

using story::StoryTest;

// Variables of the test book.
constexpr int kLantern = 0, kCrew = 1, kMap = 2, kCafe = 5;

struct StoryParagraphTest : testing::Test {
    void SetUp() override {
        ResetStory();
        ClearPageItems();
        HeadlessClearMessages();
        ClearScanningState();
    }
    void TearDown() override { ResetStory(); }
};

TEST_F(StoryParagraphTest, WorkshopParagraph) {
    // <R %1 12> <r %1 -1>: a crew of 11. <N %0> <R %0 1>: the lantern held and lit.
    // <O (X %0) & (%0 = 1)> holds, so its block shows with the lantern's text in bold;
    // <E> and the <o> after the taken branch are skipped. A crew above 10 shows the
    // crew line. <Q %0> puts the lantern down, which the last condition sees.
    // <r %5 4> steps the two-item Café variable to its last item.
    LoadParagraph(21);
    ScanParagraph();

    EXPECT_EQ(StoryTest::Items(), (std::vector<std::string>{
                           "title:Workshop", "centre", "text:The lantern is ", "bold-on",
                           "text:lit", "bold-off", "text:.", "left", "line",
                           "text:Crew: 11 sailors.", "paragraph",
                           "text:You put the lantern down."}));
    EXPECT_EQ(VariableValue(kCrew), 11);
    EXPECT_EQ(OwnedFlag(kLantern), 0);
    EXPECT_EQ(VariableValue(kLantern), 1);
    EXPECT_EQ(VariableValue(kCafe), 1);
    EXPECT_EQ(OwnedFlag(kMap), 0);
    EXPECT_EQ(HeadlessMessageCount(), 0);
}

}  // namespace
