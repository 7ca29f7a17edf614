// Line layout, painting and scrolling, seen through where the page's controls land,
// the pixels on the screen and the scroll bar's figures.
#include <gtest/gtest.h>

#include <functional>

#include "page/controls.h"
#include "page/geometry.h"
#include "page/layout.h"
#include "reader_support.h"

namespace {

// A control's rectangle in the main window's client coordinates.
RECT Place(int16_t identifier) {
    HWND control = identifier >= kFirstButtonId ? Controls().buttonWindows[identifier - kFirstButtonId]
                                                : Controls().editWindows[identifier - kFirstEntryBoxId];
    RECT rect, main;
    GetWindowRect(control, &rect);
    GetWindowRect(Frame().window, &main);
    return {rect.left - main.left, rect.top - main.top, rect.right - main.left, rect.bottom - main.top};
}

bool Dark(int x, int clientY) { return (HeadlessPixel(x, clientY + 26) & 0xFF) < 0x40; }

TEST(Layout, ScrollRangeRoundsToWholeViews) {
    GoTo(8);
    ASSERT_EQ(Frame().viewHeight, 242);
    SCROLLINFO info = {sizeof info, SIF_ALL};
    UpdateScrollRange(Frame().window, 500);
    GetScrollInfo(Frame().window, SB_VERT, &info);
    EXPECT_EQ(info.nMax, 726);
    EXPECT_EQ(int(info.nPage), 242);
    info.fMask = SIF_POS;
    info.nPos = 10000;
    SetScrollInfo(Frame().window, SB_VERT, &info, TRUE);
    GetScrollInfo(Frame().window, SB_VERT, &info);
    EXPECT_EQ(info.nPos, 485);   // the last screen is a full view
    info.fMask = SIF_ALL;

    UpdateScrollRange(Frame().window, 484);
    GetScrollInfo(Frame().window, SB_VERT, &info);
    EXPECT_EQ(info.nMax, 484);
    EXPECT_EQ(info.nPos, 0);     // a new range starts at the top

    UpdateScrollRange(Frame().window, 200);
    GetScrollInfo(Frame().window, SB_VERT, &info);
    EXPECT_EQ(info.nMax, 241);
    HandleScroll(Frame().window, SB_LINEDOWN);
    EXPECT_EQ(Frame().scrollOffset, 0);  // nothing to scroll
    GoTo(8);
}

TEST(Layout, LineStepsMoveThePageAndItsControls) {
    GoTo(16);   // the long paragraph, with a button at its end
    SCROLLINFO info = {sizeof info, SIF_ALL};
    HandleScroll(Frame().window, SB_LINEUP);
    EXPECT_EQ(Frame().scrollOffset, 0);
    HandleScroll(Frame().window, SB_LINEDOWN);
    EXPECT_EQ(Frame().scrollOffset, -kLineStep);
    HandleScroll(Frame().window, SB_PAGEDOWN);
    GetScrollInfo(Frame().window, SB_VERT, &info);
    EXPECT_EQ(info.nPos, kLineStep + 242);
    // A new page starts at its top.
    GoTo(8);
    EXPECT_EQ(Frame().scrollOffset, 0);
    GetScrollInfo(Frame().window, SB_VERT, &info);
    EXPECT_EQ(info.nPos, 0);
}

TEST(Layout, TitleBandIsInvertedOnlyAtTheTop) {
    GoTo(8);
    EXPECT_TRUE(Dark(1, 2));            // left of the title, inside the band
    EXPECT_FALSE(Dark(1, Metrics().defaultLineHeight + 4));
    GoTo(16);                           // long enough to scroll, with a title
    EXPECT_TRUE(Dark(1, 2));
    ScrollTo(Frame().window, 4);
    ASSERT_EQ(Frame().scrollOffset, -4);
    InvalidateRect(Frame().window, nullptr, TRUE);
    UpdateWindow(Frame().window);
    EXPECT_FALSE(Dark(1, 2));          // painted anywhere else: drawn, not inverted
    GoTo(8);
}

TEST(Layout, ALongRunKeepsItsLastLinePendingForWhatFollows) {
    int16_t button = 0;
    PaintPageOf([&] {
        EmitText("The tide went out past the harbour wall and the boats settled on the mud ");
        button = AddWordButton("on");
    });
    RECT place = Place(button);
    EXPECT_GT(place.top, 0);                // below the first line, which was drawn at once
    EXPECT_GT(place.left, kLeftMargin);     // after the run's last words, on their line
}

TEST(Layout, AWordWiderThanTheLineIsCutAndThePassEnds) {
    int16_t button = 0;
    PaintPageOf([&] {
        EmitText((std::string(120, 'w') + " end ").c_str());
        button = AddWordButton("after");
    });
    // 120 w's take several lines; "end " and the button follow on the last of them.
    EXPECT_GT(Place(button).top, 2 * Metrics().defaultLineHeight);
    EXPECT_GT(Place(button).left, kLeftMargin);
}

TEST(Layout, AnAlignmentChangeCentresThePendingLine) {
    int16_t button = 0;
    PaintPageOf([&] {
        button = AddWordButton("Harbour");
        EmitAlignment(1);
        EmitLineBreak();
    });
    RECT place = Place(button);
    EXPECT_EQ(place.left, (Metrics().rightLimit - (place.right - place.left)) / 2);
}

TEST(Layout, ParagraphBreakAfterATallPictureCountsItsLineTwice) {
    int16_t button = 0;
    PaintPageOf([&] {
        EmitPicture(5, 1);   // 20 x 100
        EmitParagraphBreak();
        button = AddWordButton("after");
    });
    EXPECT_EQ(Place(button).top, 200);
}

TEST(Layout, GapsAdvanceToTabPositionsCountedFromTheLeftEdge) {
    int16_t first = 0, second = 0;
    PaintPageOf([&] {
        EmitGap();
        first = AddWordButton("a");
        EmitGap();
        second = AddWordButton("b");
    });
    int tab = 2 * Metrics().averageCharWidth;
    EXPECT_EQ(Place(first).left, tab);
    EXPECT_EQ(Place(second).left % tab, 0);
    EXPECT_GT(Place(second).left, Place(first).right);
}

TEST(Layout, ControlsReachingTheBottomAreHiddenAndWrapWhenTooWide) {
    int16_t shown = 0, hidden = 0, wrapped = 0, wide = 0;
    PaintPageOf([&] {
        wide = AddWordButton("A rather long label that nearly fills the line");
        wrapped = AddWordButton("next line");
        for (int i = 0; i < 12; ++i) EmitLineBreak();
        shown = AddWordButton("shown");
        for (int i = 0; i < 40; ++i) EmitLineBreak();
        hidden = AddWordButton("hidden");
    });
    EXPECT_EQ(Place(wrapped).left, kLeftMargin);
    EXPECT_GT(Place(wrapped).top, Place(wide).top);
    EXPECT_TRUE(IsWindowVisible(Controls().buttonWindows[shown - kFirstButtonId]));
    EXPECT_FALSE(IsWindowVisible(Controls().buttonWindows[hidden - kFirstButtonId]));
}

TEST(Layout, EntryBoxWidthFollowsItsLengthUpToTheWindow) {
    int16_t small = 0, large = 0;
    PaintPageOf([&] {
        small = AddEntryBox(10);
        large = AddEntryBox(40);
    });
    RECT a = Place(small), b = Place(large);
    EXPECT_EQ(a.right - a.left, 2 * (10 * Metrics().averageCharWidth + 1));
    EXPECT_EQ(b.right - b.left, Frame().creationRect.right - Frame().creationRect.left);
    EXPECT_EQ(a.bottom - a.top, Metrics().defaultLineHeight * 3 / 2);
    EXPECT_EQ(GetFocus(), Controls().editWindows[large - kFirstEntryBoxId]);   // the last one laid out
}

TEST(Layout, WordButtonsAreTheirLabelPlusTwelveAndFour) {
    PaintPageOf([] {
        AddWordButton("Quay");
        AddWordButton(std::string(250, 'w').c_str());
    });
    const ButtonSlot& slot = Controls().buttons[0];
    SIZE size;
    HDC dc = GetDC(Frame().window);
    SelectObject(dc, Frame().normalFont);
    GetTextExtentExPointW(dc, u"Quay", 4, 0, nullptr, nullptr, &size);
    ReleaseDC(Frame().window, dc);
    EXPECT_EQ(slot.width, size.cx + 12);
    EXPECT_EQ(slot.height, size.cy + 4);
    EXPECT_EQ(Controls().buttons[1].labelLength, 199);
}

}  // namespace
