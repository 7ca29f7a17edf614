// Page modes and navigation through the real window procedure: splashes, side pages,
// the menu's pages, the tool buttons that follow each page, and starting again.
#include <gtest/gtest.h>

#include "book/story_state.h"
#include "reader_support.h"

namespace {

// Sends a menu or tool command as the menu bar does.
void Command(int identifier) {
    SendMessageW(Frame().window, WM_COMMAND, WPARAM(identifier), 0);
    HeadlessRun();
}

bool ToolShown(int command) {
    int x, y;
    return HeadlessToolButtonCenter(command, &x, &y);
}

TEST(Navigation, SplashSequenceThenTitlePageWithItsArrows) {
    GoTo(8);
    ShowSpecialPage(kPagePresentsSplash);
    EXPECT_TRUE(HasLine(DumpLines(), "item text \"Presents\""));
    EXPECT_FALSE(ToolShown(511) || ToolShown(512) || ToolShown(510));

    HeadlessAdvance(1999);
    EXPECT_TRUE(HasLine(DumpLines(), "item text \"Presents\""));
    HeadlessAdvance(1);
    EXPECT_TRUE(HasLine(DumpLines(), "item text \"Quiet Harbour Test\""));
    EXPECT_FALSE(ToolShown(511));

    HeadlessAdvance(2000);
    auto title = DumpLines();
    EXPECT_TRUE(HasLine(title, "tools back=0 previous=1 next=1"));
    EXPECT_TRUE(HasLine(title, "item button 513 \"INSTRUCTIONS\""));
    EXPECT_TRUE(HasLine(title, "item text \" author: The test writers\""));
    EXPECT_TRUE(HasLine(title, "item text \"copyright: The Quiet Harbour project\""));
    EXPECT_TRUE(ToolShown(511) && ToolShown(512) && !ToolShown(510));

    // Previous replays the title splash, after which the title page returns.
    Command(512);
    EXPECT_TRUE(HasLine(DumpLines(), "item text \"Quiet Harbour Test\""));
    HeadlessAdvance(2000);
    EXPECT_TRUE(HasLine(DumpLines(), "item button 513 \"INSTRUCTIONS\""));
    // Next opens paragraph 2 in the story.
    Command(511);
    EXPECT_EQ(DumpLines()[0], "page paragraph=2 story=2 in-story=1 mode=0");
}

TEST(Navigation, ANavigationDuringTheSplashesShowsThePendingSplash) {
    GoTo(8);
    ShowSpecialPage(kPagePresentsSplash);
    NavigateTo(11, kNavigateSide);   // the pending title splash is built instead
    auto lines = DumpLines();
    EXPECT_EQ(lines[0], "page paragraph=11 story=8 in-story=0 mode=1");
    EXPECT_TRUE(HasLine(lines, "item text \"Quiet Harbour Test\""));
    EXPECT_TRUE(ToolShown(510));   // the in-story flag is clear: back-to-story shows
    HeadlessAdvance(2000);
    lines = DumpLines();
    EXPECT_TRUE(HasLine(lines, "item button 513 \"INSTRUCTIONS\""));
    EXPECT_TRUE(HasLine(lines, "tools back=1 previous=1 next=1"));
}

TEST(Navigation, SidePagesKeepTheStoryPosition) {
    GoTo(8);
    ShowSidePage(10);
    EXPECT_EQ(DumpLines()[0], "page paragraph=11 story=8 in-story=0 mode=0");
    EXPECT_TRUE(ToolShown(510));
    NavigateTo(12, kNavigateKeep);   // keep, on a side page: another side page
    EXPECT_EQ(DumpLines()[0], "page paragraph=12 story=8 in-story=0 mode=0");
    Command(510);                    // back to the story
    EXPECT_EQ(DumpLines()[0], "page paragraph=8 story=8 in-story=1 mode=0");
    EXPECT_FALSE(ToolShown(510));
}

TEST(Navigation, MenuPagesOpenAsSidePages) {
    const int commands[] = {501, 502, 503, 508, 506};
    const char* pages[] = {"paragraph=6 ", "paragraph=3 ", "paragraph=4 ", "paragraph=5 ", "paragraph=7 "};
    for (int i = 0; i < 5; ++i) {
        GoTo(8);
        Command(commands[i]);
        std::string first = DumpLines()[0];
        EXPECT_NE(first.find(pages[i]), std::string::npos) << first;
        EXPECT_NE(first.find("story=8 in-story=0"), std::string::npos) << first;
    }
}

TEST(Navigation, AboutPageThenBackToStoryShowsTheStoryAtItsTop) {
    GoTo(8);
    Command(507);
    auto about = DumpLines();
    EXPECT_TRUE(HasLine(about, "item text \"A 2.8.15; B 176; C 3.55; O 3.0; P 1.10\""));
    EXPECT_TRUE(ToolShown(510));
    Command(510);
    EXPECT_EQ(DumpLines()[0], "page paragraph=8 story=8 in-story=1 mode=0");
}

TEST(Navigation, StartAgainAsksFirstAndOnlyYesResets) {
    GoTo(8);
    SetOwnedFlag(0, 1);
    HeadlessSetAnswer(HeadlessAnswer::No);
    Command(500);
    EXPECT_EQ(DumpLines()[0], "page paragraph=8 story=8 in-story=1 mode=0");
    EXPECT_EQ(OwnedFlag(0), 1);

    Command(503);   // from a side page
    HeadlessSetAnswer(HeadlessAnswer::Yes);
    Command(500);
    HeadlessSetAnswer(HeadlessAnswer::Default);
    EXPECT_EQ(DumpLines()[0], "page paragraph=2 story=2 in-story=1 mode=0");
    EXPECT_EQ(OwnedFlag(0), 0);
}

TEST(Navigation, AnEmptyRowShowsTheLastAssembledTextAgain) {
    GoTo(4);
    auto objective = DumpLines();
    GoTo(9);
    auto again = DumpLines();
    ASSERT_EQ(again.size(), objective.size());
    for (size_t i = 1; i < again.size(); ++i) EXPECT_EQ(again[i], objective[i]);
}

TEST(Navigation, KeysScrollAndOtherKeysDoNothing) {
    GoTo(16);   // the long paragraph
    SCROLLINFO info = {sizeof info, SIF_ALL};
    HeadlessKey(VK_NEXT);
    GetScrollInfo(Frame().window, SB_VERT, &info);
    EXPECT_GT(info.nPos, 0);
    HeadlessKey(VK_HOME);
    GetScrollInfo(Frame().window, SB_VERT, &info);
    EXPECT_EQ(info.nPos, 0);
    HeadlessKey('A');
    GetScrollInfo(Frame().window, SB_VERT, &info);
    EXPECT_EQ(info.nPos, 0);
}

}  // namespace
