// The reader at device scale 3 against scale 1 (what stands where on the screen), and
// the desktop's input: the wheel and keyboard play, each through the real window
// procedure on the headless backend.
#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "page/controls.h"
#include "page/geometry.h"
#include "page/layout.h"
#include "reader_support.h"

namespace {

constexpr int kTop = 26;                 // the page's client area starts below the top bar
constexpr int kTextRight = 226;          // the page's text never reaches the scroll bar
constexpr uint32_t kThumbFrame = 0x00404040;
constexpr uint32_t kRing = 0x001E64DC;

// The screen at the current scale, read as device pixels.
struct Screen {
    int s;
    uint32_t At(int x, int y) const { return HeadlessDevicePixel(x, y); }
    bool Dark(int x, int y) const { return (At(x, y) & 0xFF) < 0x80 && ((At(x, y) >> 16) & 0xFF) < 0x80; }
};

// Runs of device rows [first, last] inside [top, bottom) that pass `holds`.
std::vector<std::pair<int, int>> Runs(int top, int bottom, const std::function<bool(int)>& holds) {
    std::vector<std::pair<int, int>> runs;
    for (int y = top; y < bottom; ++y) {
        if (!holds(y)) continue;
        if (!runs.empty() && runs.back().second == y - 1) runs.back().second = y;
        else runs.push_back({y, y});
    }
    return runs;
}

// Where the things the reader draws stand, in device pixels of one scale.
struct Places {
    std::vector<std::pair<int, int>> textRows;   // bands of rows holding text, below the title
    int leftmostText;                            // first column holding text
    std::pair<int, int> titleBand;               // rows of the inverted band
    std::pair<int, int> thumb;                   // rows of the scroll thumb
    int buttonFrameLeft, buttonFrameTop;         // first dark column and row of a button's frame
};

Places Measure(const Screen& screen, const RECT& button) {
    int s = screen.s;
    Places p = {};
    auto band = Runs(kTop * s, 200 * s, [&](int y) { return screen.Dark(1 * s, y); });
    p.titleBand = band.empty() ? std::pair<int, int>{-1, -1} : band.front();
    int textTop = p.titleBand.second + 1, textBottom = (button.top + kTop) * s;
    p.textRows = Runs(textTop, textBottom, [&](int y) {
        for (int x = 2 * s; x < kTextRight * s; ++x)
            if (screen.Dark(x, y)) return true;
        return false;
    });
    p.leftmostText = -1;
    for (int x = 0; x < kTextRight * s && p.leftmostText < 0; ++x)
        for (int y = textTop; y < textBottom; ++y)
            if (screen.Dark(x, y)) {
                p.leftmostText = x;
                break;
            }
    // The thumb's frame is the only dark grey of the bar; its left edge spans the thumb.
    auto thumb = Runs(kTop * s, 294 * s, [&](int y) { return screen.At(227 * s, y) == kThumbFrame; });
    p.thumb = thumb.empty() ? std::pair<int, int>{-1, -1} : thumb.front();
    int mid = (button.top + button.bottom) / 2 + kTop;
    p.buttonFrameLeft = p.buttonFrameTop = -1;
    for (int x = (button.left - 2) * s; x < (button.right) * s && p.buttonFrameLeft < 0; ++x)
        if (screen.Dark(x, mid * s)) p.buttonFrameLeft = x;
    int centre = (button.left + button.right) / 2;
    for (int y = (button.top + kTop - 2) * s; y < (button.bottom + kTop) * s && p.buttonFrameTop < 0; ++y)
        if (screen.Dark(centre * s, y)) p.buttonFrameTop = y;
    return p;
}

RECT ClientPlace(HWND control) {
    RECT rect, main;
    GetWindowRect(control, &rect);
    GetWindowRect(Frame().window, &main);
    return {rect.left - main.left, rect.top - main.top, rect.right - main.left, rect.bottom - main.top};
}

int ScrollPosition() {
    SCROLLINFO info = {sizeof info, SIF_ALL};
    GetScrollInfo(Frame().window, SB_VERT, &info);
    return info.nPos;
}

// Text, title and thumb from a long page, a button's frame from one that has buttons,
// at scale s.
Places PagesAtScale(int s, std::vector<std::string>* dump) {
    HeadlessSetScale(s);
    GoTo(8);
    *dump = DumpLines();
    RECT button = ClientPlace(Controls().buttonWindows[0]);
    Places withButton = Measure(Screen{s}, button);
    GoTo(16);
    Places p = Measure(Screen{s}, RECT{0, 200, 10, 210});
    p.buttonFrameLeft = withButton.buttonFrameLeft;
    p.buttonFrameTop = withButton.buttonFrameTop;
    HeadlessSetScale(1);
    return p;
}

TEST(Scale, EverythingStandsAtThreeTimesItsPlace) {
    std::vector<std::string> dump1, dump3;
    Places one = PagesAtScale(1, &dump1);
    Places three = PagesAtScale(3, &dump3);
    EXPECT_EQ(dump1, dump3);
    ASSERT_GT(one.titleBand.second, one.titleBand.first);
    EXPECT_EQ(three.titleBand.first, 3 * one.titleBand.first);
    EXPECT_EQ(three.titleBand.second + 1, 3 * (one.titleBand.second + 1));
    ASSERT_GT(one.thumb.second, one.thumb.first);
    EXPECT_EQ(three.thumb.first, 3 * one.thumb.first);
    EXPECT_EQ(three.thumb.second + 1, 3 * (one.thumb.second + 1));
    ASSERT_GE(one.buttonFrameLeft, 0);
    EXPECT_EQ(three.buttonFrameLeft, 3 * one.buttonFrameLeft);
    EXPECT_EQ(three.buttonFrameTop, 3 * one.buttonFrameTop);
    // Glyphs drawn at 39 pixels are not those at 13 grown, so text is found within a
    // pixel of the scale-1 place times three; every line is there, none is added.
    ASSERT_GE(one.textRows.size(), 3u);
    ASSERT_EQ(three.textRows.size(), one.textRows.size());
    for (size_t i = 0; i < one.textRows.size(); ++i) {
        EXPECT_NEAR(three.textRows[i].first, 3 * one.textRows[i].first, 3) << "line " << i;
        EXPECT_NEAR(three.textRows[i].second + 1, 3 * (one.textRows[i].second + 1), 3) << "line " << i;
    }
    EXPECT_NEAR(three.leftmostText, 3 * one.leftmostText, 3);
}

TEST(Scale, LogicalPixelsReadTheSameAtEveryScale) {
    HeadlessSetScale(3);
    GoTo(8);
    EXPECT_EQ(HeadlessScale(), 3);
    EXPECT_EQ(HeadlessPixel(1, kTop + 2), 0u);                 // the inverted title band
    EXPECT_EQ(HeadlessDevicePixel(3 * 1 + 2, 3 * (kTop + 2) + 2), 0u);
    EXPECT_EQ(Frame().creationRect.right, 227);               // the reader's figures do not change
    EXPECT_EQ(Frame().viewHeight, 242);
    HeadlessSetScale(1);
}

TEST(Wheel, OneNotchIsThreeLineSteps) {
    GoTo(16);
    ASSERT_EQ(ScrollPosition(), 0);
    HeadlessWheel(1);
    EXPECT_EQ(ScrollPosition(), 3 * kLineStep);
    EXPECT_EQ(Frame().scrollOffset, -3 * kLineStep);
    HeadlessWheel(2);
    EXPECT_EQ(ScrollPosition(), 9 * kLineStep);
    HeadlessWheel(-5);                                       // clamped at the top
    EXPECT_EQ(ScrollPosition(), 0);
    EXPECT_EQ(Frame().scrollOffset, 0);
}

TEST(Wheel, ScrollsAlsoWhileTheAnswerBoxHasTheFocus) {
    GoTo(10);
    ASSERT_EQ(GetFocus(), Controls().editWindows[0]);
    SCROLLINFO info = {sizeof info, SIF_ALL};
    GetScrollInfo(Frame().window, SB_VERT, &info);
    HeadlessWheel(1);
    int expected = info.nMax - int(info.nPage) + 1 < 3 * kLineStep ? info.nMax - int(info.nPage) + 1 : 3 * kLineStep;
    EXPECT_EQ(ScrollPosition(), expected < 0 ? 0 : expected);
    EXPECT_EQ(GetFocus(), Controls().editWindows[0]);
}

TEST(KeyboardPlay, TabWalksTheButtonsInPageOrderAndWraps) {
    GoTo(8);
    ASSERT_GE(Controls().buttonCount, 3);
    ASSERT_EQ(GetFocus(), nullptr);
    for (int i = 0; i < Controls().buttonCount; ++i) {
        HeadlessKey(VK_TAB);
        EXPECT_EQ(GetFocus(), Controls().buttonWindows[i]) << "button " << i;
    }
    HeadlessKey(VK_TAB);
    EXPECT_EQ(GetFocus(), Controls().buttonWindows[0]);
    HeadlessKeyWithShift(VK_TAB);
    EXPECT_EQ(GetFocus(), Controls().buttonWindows[Controls().buttonCount - 1]);
}

TEST(KeyboardPlay, TheFocusRingIsDrawnAtTheScale) {
    HeadlessSetScale(3);
    GoTo(8);
    HeadlessKey(VK_TAB);
    RECT place = ClientPlace(Controls().buttonWindows[0]);
    int mid = 3 * ((place.top + place.bottom) / 2 + kTop);
    int ringAt = -1;
    for (int x = 3 * place.left; x < 3 * place.right && ringAt < 0; ++x)
        if (HeadlessDevicePixel(x, mid) == kRing) ringAt = x;
    EXPECT_GE(ringAt, 3 * place.left);
    EXPECT_LE(ringAt, 3 * place.left + 3);                        // just inside the frame
    EXPECT_EQ(HeadlessDevicePixel(ringAt + 5, mid), kRing);       // two logical pixels wide
    HeadlessKey(VK_TAB);                                          // the ring leaves with the focus
    EXPECT_NE(HeadlessDevicePixel(ringAt, mid), kRing);
    HeadlessSetScale(1);
}

TEST(KeyboardPlay, ReturnAndSpacePressTheFocusedButton) {
    GoTo(8);
    HeadlessKey(VK_TAB);                       // "Take the lantern", to paragraph 10
    HeadlessKey(VK_RETURN);
    EXPECT_EQ(DumpLines()[0].rfind("page paragraph=10 ", 0), 0u) << DumpLines()[0];
    GoTo(8);
    HeadlessKey(VK_TAB);
    HeadlessKey(VK_SPACE);
    EXPECT_EQ(DumpLines()[0].rfind("page paragraph=10 ", 0), 0u) << DumpLines()[0];
}

TEST(KeyboardPlay, TheFocusedButtonIsScrolledIntoView) {
    int16_t first = 0, last = 0;
    PaintPageOf([&] {
        first = AddWordButton("near");
        for (int i = 0; i < 30; ++i) EmitLineBreak();
        last = AddWordButton("far below");
    });
    HWND button = Controls().buttonWindows[last - kFirstButtonId];
    ASSERT_GE(ClientPlace(button).bottom, Frame().viewHeight);
    EXPECT_FALSE(IsWindowVisible(button));
    HeadlessKey(VK_TAB);
    HeadlessKey(VK_TAB);
    ASSERT_EQ(GetFocus(), button);
    RECT place = ClientPlace(button);
    EXPECT_GT(ScrollPosition(), 0);
    EXPECT_GE(place.top, 0);
    EXPECT_LE(place.bottom, Frame().viewHeight);
    EXPECT_TRUE(IsWindowVisible(button));
    HeadlessKey(VK_TAB);                        // back to the first, at the top
    EXPECT_EQ(GetFocus(), Controls().buttonWindows[first - kFirstButtonId]);
    EXPECT_EQ(ScrollPosition(), 0);
    HeadlessKey(VK_NEXT);                       // the scroll keys still scroll with a button focused
    EXPECT_GT(ScrollPosition(), 0);
}

TEST(KeyboardPlay, ShiftTabLeavesTheAnswerBoxAndTabInItStillAnswers) {
    GoTo(10);
    HWND box = Controls().editWindows[0];
    ASSERT_EQ(GetFocus(), box);
    if (Controls().buttonCount > 0) {
        HeadlessKeyWithShift(VK_TAB);
        EXPECT_NE(GetFocus(), box);
        InvalidateRect(Frame().window, nullptr, TRUE);   // a repaint leaves the focus where keyboard play put it
        UpdateWindow(Frame().window);
        EXPECT_NE(GetFocus(), box);
        HeadlessKey(VK_TAB);
    }
    GoTo(10);
    HeadlessType(u"harbour");
    HeadlessKey(VK_TAB);                                  // Tab in the box confirms the answer
    EXPECT_NE(DumpLines()[0].rfind("page paragraph=10 ", 0), 0u) << DumpLines()[0];
}

TEST(KeyboardPlay, EscapeClosesTheMenuThenGoesBack) {
    GoTo(8);
    auto lowerPage = [] {
        uint32_t sum = 0;
        for (int y = 150; y < 294; ++y)
            for (int x = 0; x < 120; ++x) sum = sum * 31 + HeadlessPixel(x, y);
        return sum;
    };
    uint32_t before = lowerPage();
    HeadlessTap(20, 310);                                 // "Menu" opens its pop-up over the page
    ASSERT_NE(lowerPage(), before);
    HeadlessKey(VK_ESCAPE);
    EXPECT_EQ(lowerPage(), before);
    EXPECT_EQ(DumpLines()[0].rfind("page paragraph=8 ", 0), 0u);
    HeadlessKey(VK_ESCAPE);                               // no back tool in the story: nothing
    EXPECT_EQ(DumpLines()[0].rfind("page paragraph=8 ", 0), 0u);
    ASSERT_TRUE(HeadlessChooseMenuItem(u"Information"));
    ASSERT_EQ(DumpLines()[0].rfind("page paragraph=6 ", 0), 0u) << DumpLines()[0];
    HeadlessKey(VK_ESCAPE);                               // the back tool is shown: back to the story
    EXPECT_EQ(DumpLines()[0].rfind("page paragraph=8 ", 0), 0u) << DumpLines()[0];
}

}  // namespace

namespace {

// Characters beyond Latin-1 have no cached glyph: at scale 3 they are still drawn (the
// input panel's Backspace key shows an arrow).
TEST(Scale, GlyphsBeyondLatin1AreDrawnToo) {
    HeadlessSetScale(3);
    GoTo(10);                                  // an answer box: the input panel comes up
    int dark = 0;
    for (int y = 3 * 226; y < 3 * 246; ++y)
        for (int x = 3 * 200; x < 3 * 240; ++x) dark += (HeadlessDevicePixel(x, y) & 0xFF) < 0x60;
    HeadlessSetScale(1);
    EXPECT_GT(dark, 30);
}

}  // namespace

// A scroll step paints only the uncovered strip, passing over lines that miss it: after
// steps down and up, at scale 1 and 3, the screen is what a whole paint at the same
// place draws.
namespace {

std::vector<uint32_t> DevicePixels() {
    int s = HeadlessScale();
    std::vector<uint32_t> pixels;
    for (int y = 0; y < 320 * s; ++y)
        for (int x = 0; x < 240 * s; ++x) pixels.push_back(HeadlessDevicePixel(x, y));
    return pixels;
}

TEST(Scrolling, StepsPaintWhatAWholePaintPaints) {
    for (int s : {1, 3}) {
        HeadlessSetScale(s);
        // Descenders and accents reach the top and bottom rows of their lines.
        PaintPageOf([] {
            for (int i = 0; i < 40; ++i) EmitText("Quiet yards, jumping gulls; \xC5ngstr\xF6m's quay. ");
        });
        HeadlessRun();
        // A page down leaves the lines across the strips that the line steps uncover.
        HandleScroll(Frame().window, SB_PAGEDOWN);
        for (int step = 0; step < 3; ++step) HandleScroll(Frame().window, SB_LINEUP);
        HandleScroll(Frame().window, SB_LINEDOWN);
        HeadlessRun();
        ASSERT_NE(Frame().scrollOffset, 0);
        std::vector<uint32_t> stepped = DevicePixels();
        InvalidateRect(Frame().window, nullptr, TRUE);
        UpdateWindow(Frame().window);
        HeadlessRun();
        EXPECT_TRUE(stepped == DevicePixels()) << "scale " << s;
    }
    HeadlessSetScale(1);
}

}  // namespace
