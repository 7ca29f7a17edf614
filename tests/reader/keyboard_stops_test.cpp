// Keyboard play over the whole screen: one order of stops from the page's controls to
// the tool bar and round, the menu and message boxes by their keys, the focus line of
// the page dump, and a finger's tap that nearly hits a control.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "page/controls.h"
#include "page/identifiers.h"
#include "platform/backend.h"
#include "platform/screen_views.h"
#include "reader_support.h"
#include "shell/keyboard_play.h"
#include "shell/menu_bar.h"

namespace {

constexpr uint32_t kRing = 0x001E64DC;
constexpr int kMenuBarTop = 294;

std::string Focus() {
    for (const std::string& line : DumpLines())
        if (line.rfind("focus ", 0) == 0) return line;
    return "";
}

std::string PageLine() { return DumpLines()[0]; }

bool OnParagraph(int paragraph) {
    return PageLine().rfind("page paragraph=" + std::to_string(paragraph) + " ", 0) == 0;
}

// Paragraph 8 has five word buttons, and its bar shows Menu, the three tools and Previous.
TEST(KeyboardStops, TabRunsThroughThePageThenTheBarAndRound) {
    GoTo(8);
    EXPECT_EQ(Focus(), "");                                   // no line while nothing has the focus
    HeadlessKeyWithShift(VK_TAB);                             // nothing focused: the last stop
    EXPECT_EQ(Focus(), "focus tool previous");
    HeadlessKey(VK_TAB);                                      // and round to the first
    std::vector<std::string> walked = {Focus()};
    for (int i = 0; i < 10; ++i) {
        HeadlessKey(VK_TAB);
        walked.push_back(Focus());
    }
    std::vector<std::string> expected = {"focus control 5000", "focus control 5001", "focus control 5002",
                                         "focus control 5003", "focus control 5004", "focus tool menu",
                                         "focus tool help",    "focus tool restart", "focus tool information",
                                         "focus tool previous", "focus control 5000"};
    EXPECT_EQ(walked, expected);
    HeadlessKeyWithShift(VK_TAB);
    EXPECT_EQ(Focus(), "focus tool previous");
    // the mirror's way in: a stop by its identifier, and none
    ASSERT_TRUE(FocusKeyboardStop(Frame().window, {StopKind::Control, 5002}));
    EXPECT_EQ(GetFocus(), Controls().buttonWindows[2]);
    EXPECT_FALSE(FocusKeyboardStop(Frame().window, {StopKind::Control, 5009}));
    EXPECT_FALSE(FocusKeyboardStop(Frame().window, {StopKind::Tool, kCommandNext}));   // not shown here
    FocusKeyboardStop(Frame().window, {StopKind::None, 0});
    EXPECT_EQ(Focus(), "");
    EXPECT_EQ(GetFocus(), nullptr);
}

TEST(KeyboardStops, AToolIsRingedAndPressedAndLosesTheFocusWhenHidden) {
    GoTo(8);
    auto ringOnBar = [] {
        for (int y = kMenuBarTop; y < 320; ++y)
            for (int x = 0; x < 240; ++x)
                if (HeadlessPixel(x, y) == kRing) return true;
        return false;
    };
    EXPECT_FALSE(ringOnBar());
    ASSERT_TRUE(FocusKeyboardStop(Frame().window, {StopKind::Tool, kCommandInformation}));
    EXPECT_TRUE(ringOnBar());
    HeadlessKey(VK_RETURN);                                   // the information page
    EXPECT_TRUE(OnParagraph(6)) << PageLine();
    EXPECT_EQ(Focus(), "focus tool information");            // the tool is still there
    HeadlessKey(VK_ESCAPE);                                   // Escape on a tool is still the back tool
    EXPECT_TRUE(OnParagraph(8)) << PageLine();
    ASSERT_TRUE(FocusKeyboardStop(Frame().window, {StopKind::Tool, kCommandPrevious}));
    UpdateToolButtons(false, false, false);                   // the arrow goes: so does the focus
    EXPECT_EQ(Focus(), "");
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_FALSE(ringOnBar());
    GoTo(8);
}

TEST(KeyboardStops, TheMenuOpensMarkedMovesRoundAndChoosesByKeyOrLetter) {
    GoTo(8);
    HeadlessKey(VK_F10);
    EXPECT_EQ(Focus(), "focus menu 500");
    HeadlessKey(VK_UP);                                       // round to the last item
    EXPECT_EQ(Focus(), "focus menu 509");
    HeadlessKey(VK_DOWN);
    HeadlessKey(VK_DOWN);
    EXPECT_EQ(Focus(), "focus menu 501");
    HeadlessKey(VK_NEXT);                                     // the page under the open menu does not scroll
    HeadlessKey(VK_TAB);                                      // nor does the focus leave the menu
    EXPECT_EQ(Focus(), "focus menu 501");
    HeadlessKey(VK_RETURN);
    EXPECT_TRUE(OnParagraph(6)) << PageLine();
    MenuView menu;
    EXPECT_FALSE(OpenMenuView(&menu));
    HeadlessKey(VK_ESCAPE);
    HeadlessKey(VK_MENU);                                     // Alt pressed alone opens it too
    ASSERT_TRUE(OpenMenuView(&menu));
    HeadlessKey('O');                                         // "&Objective"
    EXPECT_TRUE(OnParagraph(4)) << PageLine();
    HeadlessKey(VK_F10);
    HeadlessKey(VK_ESCAPE);                                   // Escape closes, and is used up
    EXPECT_FALSE(OpenMenuView(&menu));
    EXPECT_TRUE(OnParagraph(4)) << PageLine();
    DeliverInput(InputEvent{InputKind::KeyDown, 0, 0, VK_MENU, 0});   // Alt with another key: no menu
    HeadlessKey(VK_TAB);
    DeliverInput(InputEvent{InputKind::KeyUp, 0, 0, VK_MENU, 0});
    HeadlessRun();
    EXPECT_FALSE(OpenMenuView(&menu));
    GoTo(8);
}

// The keys answer a message box shown as it is to a reader (not answered by the script).
TEST(KeyboardStops, AMessageBoxTakesItsKeysAndGivesTheFocusBack) {
    GoTo(8);
    HeadlessSetAnswer(HeadlessAnswer::Interactive);
    HeadlessKey(VK_TAB);                                      // the focus before the box: the first button
    std::vector<std::string> seen;
    static std::vector<int> keys;
    static std::vector<std::string>* record;
    record = &seen;
    keys = {VK_RIGHT, VK_TAB, VK_LEFT, VK_ESCAPE};
    // The box runs its own loop: the keys come from the idle handler, one a wait.
    HeadlessSetIdleHandler([] {
        record->push_back(Focus());
        int key = VK_ESCAPE;                                  // should the keys run out: close the box
        if (!keys.empty()) {
            key = keys.front();
            keys.erase(keys.begin());
        }
        HeadlessKey(uint32_t(key));
        return true;
    });
    HeadlessKey(VK_F10);
    HeadlessKey('B');                                         // "Start at the &Beginning": asks first
    HeadlessRun();
    HeadlessSetIdleHandler(nullptr);
    HeadlessSetAnswer(HeadlessAnswer::Default);
    std::vector<std::string> expected = {"focus box yes", "focus box no", "focus box yes", "focus box no"};
    ASSERT_GE(seen.size(), 4u);
    seen.resize(4);
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(OnParagraph(8)) << PageLine();               // Escape was No
    EXPECT_EQ(Focus(), "focus control 5000");                 // and the focus is back where it was
    MessageBoxView box;
    EXPECT_FALSE(OpenMessageBoxView(&box));
}

// A point beside a control: d pixels out from its left, right, top or bottom edge.
POINT Beside(const RECT& r, int side, int d) {
    switch (side) {
    case 0: return {r.left - d, (r.top + r.bottom) / 2};
    case 1: return {r.right - 1 + d, (r.top + r.bottom) / 2};
    case 2: return {(r.left + r.right) / 2, r.top - d};
    default: return {(r.left + r.right) / 2, r.bottom - 1 + d};
    }
}

// A button's client area on the screen: where a press counts.
RECT PressArea(HWND button) {
    RECT r;
    GetClientRect(button, &r);
    POINT origin = {0, 0};
    ClientToScreen(button, &origin);
    return {r.left + origin.x, r.top + origin.y, r.right + origin.x, r.bottom + origin.y};
}

// How many shown buttons lie within slop pixels of p (0: p is on none).
int ControlsNear(POINT p, int slop) {
    int near = 0;
    for (int n = 0; n < Controls().buttonCount; ++n) {
        HWND button = Controls().buttonWindows[n];
        if (!button || !IsWindowVisible(button)) continue;
        RECT r = PressArea(button);
        int dx = p.x < r.left ? r.left - p.x : p.x >= r.right ? p.x - r.right + 1 : 0;
        int dy = p.y < r.top ? r.top - p.y : p.y >= r.bottom ? p.y - r.bottom + 1 : 0;
        near += dx <= slop && dy <= slop;
    }
    return near;
}

// The first point beside a shown button, d pixels off, that `wanted` accepts.
POINT FindBeside(int d, bool (*wanted)(POINT)) {
    for (int n = 0; n < Controls().buttonCount; ++n) {
        HWND button = Controls().buttonWindows[n];
        if (!button || !IsWindowVisible(button)) continue;
        RECT r = PressArea(button);
        for (int side = 0; side < 4; ++side)
            if (wanted(Beside(r, side, d))) return Beside(r, side, d);
    }
    return {-1, -1};
}

// Every button of paragraph 8 leaves the page when pressed, and a page takes one press.
TEST(TouchSlop, AFingerThatNearlyHitsOneControlPressesIt) {
    GoTo(8);
    POINT lone = FindBeside(3, [](POINT p) { return ControlsNear(p, 0) == 0 && ControlsNear(p, 6) == 1; });
    ASSERT_GE(lone.x, 0) << "no button of paragraph 8 stands alone on some side";
    POINT far = {-1, -1};
    for (int y = 40; y < 280 && far.x < 0; y += 4)
        for (int x = 8; x < 220 && far.x < 0; x += 4)
            if (ControlsNear({x, y}, 12) == 0) far = {x, y};
    ASSERT_GE(far.x, 0);
    HeadlessTap(lone.x, lone.y);                              // the stylus is exact: nothing
    EXPECT_TRUE(OnParagraph(8)) << PageLine();
    HeadlessTouchTap(far.x, far.y);                           // a finger far from every control: nothing
    EXPECT_TRUE(OnParagraph(8)) << PageLine();
    HeadlessTouchTap(lone.x, lone.y);                         // a finger 3 pixels off presses it
    EXPECT_FALSE(OnParagraph(8)) << PageLine();

    GoTo(8);
    POINT between = FindBeside(2, [](POINT p) { return ControlsNear(p, 0) == 0 && ControlsNear(p, 6) >= 2; });
    ASSERT_GE(between.x, 0) << "paragraph 8 has no two buttons close together";
    HeadlessTouchTap(between.x, between.y);                   // near two: which one is not clear, so none
    EXPECT_TRUE(OnParagraph(8)) << PageLine();
    HeadlessTouchTap(lone.x, lone.y);                         // and the page still takes its one press
    EXPECT_FALSE(OnParagraph(8)) << PageLine();
}

}  // namespace
