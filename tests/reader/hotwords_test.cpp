// The road of one tap: a control's notification reaches the window procedure, its
// hotword draws, compares or changes the story, and the next page is built from the
// changed state.
#include <gtest/gtest.h>

#include <cstring>

#include "book/book_tables.h"
#include "book/story_state.h"
#include "page/controls.h"
#include "reader_support.h"

namespace {

// Builds a page from markup text, as the reader does for a paragraph whose row is
// empty (9): the scan runs over the text buffer as it stands.
void ShowMarkup(const char* text) {
    GoTo(8);
    LoadParagraphText(text, std::strlen(text));
    KillTimer(Frame().window, kSplashTimer);
    NavigateTo(9, kNavigateStory);
    HeadlessRun();
}

int Shown() { return Place().displayedParagraph; }

bool Tap(const char* label) {
    for (int n = 0; n < Controls().buttonCount; ++n) {
        const ButtonSlot& slot = Controls().buttons[n];
        int length = int(std::strlen(label));
        if (slot.labelLength != length) continue;
        bool same = true;
        for (int i = 0; i < length; ++i) same &= slot.label[i] == char16_t(static_cast<unsigned char>(label[i]));
        if (!same) continue;
        RECT rect;
        GetWindowRect(Controls().buttonWindows[n], &rect);
        HeadlessTap((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        return true;
    }
    return false;
}

void Confirm(const char16_t* typed) {
    HeadlessType(typed);
    HeadlessKey(VK_RETURN);
}

TEST(Hotwords, ATappedButtonChangesAVariableAndTheNextPageSeesIt) {
    SetVariableValue(1, 0);
    GoTo(8);
    ASSERT_TRUE(Tap("Hire five sailors"));
    EXPECT_EQ(Shown(), 10);
    EXPECT_EQ(VariableValue(1), 5);
    EXPECT_TRUE(HasLine(DumpLines(), "item text \"A few sailors wait.\""));
    GoTo(8);
    ASSERT_TRUE(Tap("Hire five sailors"));
    GoTo(8);
    ASSERT_TRUE(Tap("Hire five sailors"));
    EXPECT_EQ(VariableValue(1), 15);
    EXPECT_TRUE(HasLine(DumpLines(), "item text \"A big crew waits.\""));
}

TEST(Hotwords, OwnedFlagsAreSetAndClearedByTheirButtons) {
    SetOwnedFlag(4, 0);
    ShowMarkup("<N %4 \"Take the rope\" 16> <Q %4 \"Drop the rope\" 19> <G> ");
    ASSERT_TRUE(Tap("Take the rope"));
    EXPECT_EQ(OwnedFlag(4), 1);
    EXPECT_EQ(Shown(), 17);
    ShowMarkup("<N %4 \"Take the rope\" 16> <Q %4 \"Drop the rope\" 19> <G> ");
    ASSERT_TRUE(Tap("Drop the rope"));
    EXPECT_EQ(OwnedFlag(4), 0);
    EXPECT_EQ(Shown(), 20);
}

TEST(Hotwords, NavigationKindsKeepOpenOrLeaveTheSidePage) {
    GoTo(8);
    ShowSidePage(1);   // paragraph 2 as a side page
    ASSERT_TRUE(Tap("Go to the quay"));          // M keeps the kind of view
    EXPECT_EQ(DumpLines()[0], "page paragraph=8 story=8 in-story=0 mode=0");
    GoTo(10);
    ASSERT_TRUE(Tap("Back to the story"));       // m returns to the story
    EXPECT_EQ(DumpLines()[0], "page paragraph=8 story=8 in-story=1 mode=0");
    GoTo(2);
    ASSERT_TRUE(Tap("Hints"));                   // g opens a side page
    EXPECT_EQ(DumpLines()[0], "page paragraph=7 story=2 in-story=0 mode=0");
}

TEST(Hotwords, AnEntryBoxConfirmedWithReturnComparesItsText) {
    const struct { const char16_t* typed; int paragraph; } cases[] = {
        {u"Open Sesame", 20}, {u"opensesame", 20}, {u"  HARBOUR ", 20}, {u"harbor", 15}, {u"   ", 15},
    };
    for (const auto& c : cases) {
        GoTo(10);
        Confirm(c.typed);
        EXPECT_EQ(Shown(), c.paragraph);
    }
}

TEST(Hotwords, TypingPastTheLongestAnswerConfirmsTheBox) {
    GoTo(10);
    ASSERT_EQ(Controls().edits[0].maximumLength, 11);   // "open sesame" and "harbour"
    HeadlessType(u"harbour    x");                 // the twelfth character confirms
    EXPECT_EQ(Shown(), 20);
}

TEST(Hotwords, ADoubleTapActsOnce) {
    SetVariableValue(1, 0);
    GoTo(8);
    int x = 0, y = 0;
    for (int n = 0; n < Controls().buttonCount; ++n) {
        if (Controls().buttons[n].labelLength != 17) continue;   // "Hire five sailors"
        RECT rect;
        GetWindowRect(Controls().buttonWindows[n], &rect);
        x = (rect.left + rect.right) / 2;
        y = (rect.top + rect.bottom) / 2;
    }
    ASSERT_GT(y, 0);
    HeadlessTap(x, y);
    HeadlessTap(x, y);   // lands on the next page, where this button is gone
    EXPECT_EQ(VariableValue(1), 5);
}

TEST(Hotwords, ANotificationWhileTheLatchIsSetIsDropped) {
    SetVariableValue(1, 0);
    GoTo(8);
    SendMessageW(Frame().window, WM_COMMAND, WPARAM(5099), 0);   // no hotword: the latch stays set
    ASSERT_TRUE(Tap("Hire five sailors"));
    EXPECT_EQ(Shown(), 8);
    EXPECT_EQ(VariableValue(1), 0);
}

TEST(Hotwords, ChanceDrawsGoWhereTheSeededDrawSays) {
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        SeedRandom(seed);
        int chance = RandomNumber() % 20 + 1;
        SeedRandom(seed);
        GoTo(8);
        ASSERT_TRUE(Tap("Jump"));   // L: 5 in 20 to paragraph 10, else 15
        EXPECT_EQ(Shown(), chance <= 5 ? 10 : 15) << seed;
    }
    ShowMarkup("<L \"Never\" (0) 9 14> <G> ");
    ASSERT_TRUE(Tap("Never"));
    EXPECT_EQ(Shown(), 15);
    ShowMarkup("<L \"Always\" (20) 9 14> <G> ");
    ASSERT_TRUE(Tap("Always"));
    EXPECT_EQ(Shown(), 10);
}

TEST(Hotwords, PercentageDrawsSplitByRunningTotals) {
    int reached[3] = {0, 0, 0};
    for (uint32_t seed = 1; seed <= 60; ++seed) {
        SeedRandom(seed);
        int x = RandomNumber() % 100 + 1;
        SeedRandom(seed);
        GoTo(8);
        ASSERT_TRUE(Tap("Wander"));   // d: 40% to 10, the next 30% to 15, else 17
        int expected = x <= 40 ? 10 : x <= 70 ? 15 : 17;
        EXPECT_EQ(Shown(), expected) << seed;
        ++reached[expected == 10 ? 0 : expected == 15 ? 1 : 2];
    }
    EXPECT_GT(reached[0] * reached[1] * reached[2], 0);
}

TEST(Hotwords, RestartButtonsAppearOnceSavedAndRestoreTheSnapshot) {
    ResetStory();
    GoTo(3);
    EXPECT_EQ(Controls().buttonCount, 0);
    SetVariableValue(1, 7);
    GoTo(8);                          // saves restart 0 with the crew at 7
    SetVariableValue(1, 30);
    GoTo(3);
    auto lines = DumpLines();
    EXPECT_TRUE(HasLine(lines, "item button 5000 \"Harbour\""));
    EXPECT_EQ(Controls().buttonCount, 1);       // restart 1 was never saved
    ASSERT_TRUE(Tap("Harbour"));
    EXPECT_EQ(DumpLines()[0], "page paragraph=8 story=8 in-story=1 mode=0");
    EXPECT_EQ(VariableValue(1), 7);
}

}  // namespace

namespace {

// A restart point saved while no paragraph was displayed (paragraph 0) holds -1. Its
// button still leads on: to paragraph 0 in the story, with a fresh page whose buttons
// answer again.
TEST(Hotwords, ARestartPointHoldingMinusOneStillNavigates) {
    ResetStory();
    GoTo(3);
    ShowSidePage(-1);                 // paragraph 0: the restart page's text again, as a side page
    SetVariableValue(1, 9);
    SaveRestartPoint(1);              // records paragraph 0, that is reference -1
    ASSERT_EQ(Book().restartPoints[1].paragraph, -1);
    SetVariableValue(1, 40);
    GoTo(3);
    ASSERT_TRUE(Tap("Boat"));
    EXPECT_EQ(DumpLines()[0], "page paragraph=0 story=0 in-story=1 mode=0");
    EXPECT_EQ(VariableValue(1), 9);
    EXPECT_FALSE(PageNow().activationLatch);
    SetVariableValue(1, 41);
    ASSERT_TRUE(Tap("Boat"));         // the rebuilt page's button acts
    EXPECT_EQ(VariableValue(1), 9);
    EXPECT_EQ(Place().storyPosition, 0);
}

}  // namespace
