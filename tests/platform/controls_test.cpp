// The controls through taps and keys: buttons tell their parent, a button destroyed by
// its own command leaves the handler safe, owner-drawn buttons are painted by the
// parent, and entry boxes limit their text, report EN_MAXTEXT and can be subclassed.
#include <string>

#include "tests/platform/window_support.h"

namespace {

using Controls = WindowSystem;

// Screen position of the centre of a window.
void CentreOf(HWND hwnd, int* x, int* y) {
    RECT r;
    GetWindowRect(hwnd, &r);
    *x = (r.left + r.right) / 2;
    *y = (r.top + r.bottom) / 2;
}

void Tap(HWND hwnd) {
    int x, y;
    CentreOf(hwnd, &x, &y);
    HeadlessTap(x, y);
}

std::u16string TextOf(HWND hwnd) {
    WCHAR buffer[64] = {};
    GetWindowTextW(hwnd, buffer, 64);
    return buffer;
}

const SeenMessage* FindCommand(int id) {
    for (const SeenMessage& m : gSeen)
        if (m.msg == WM_COMMAND && LOWORD(m.wParam) == id) return &m;
    return nullptr;
}

TEST_F(Controls, ATappedButtonSendsItsIdentifierToItsParent) {
    HWND main = MakeMain();
    HWND button = MakeChild(main, u"button", u"Go", BS_DEFPUSHBUTTON, 513, 10, 10, 60, 24);
    HeadlessRun();
    Tap(button);
    const SeenMessage* command = FindCommand(513);
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(command->hwnd, main);
    EXPECT_EQ(HIWORD(command->wParam), BN_CLICKED);
    EXPECT_EQ(command->lParam, LPARAM(button));
}

TEST_F(Controls, AStylusThatLeavesTheButtonBeforeLiftingDoesNotPressIt) {
    HWND main = MakeMain();
    HWND button = MakeChild(main, u"button", u"Go", 0, 600, 10, 10, 60, 24);
    int x, y;
    CentreOf(button, &x, &y);
    HeadlessPointer(0, x, y);
    HeadlessPointer(1, x + 100, y);
    HeadlessPointer(2, x + 100, y);
    EXPECT_EQ(FindCommand(600), nullptr);
}

// The reader's road of one tap: the handler navigates, the repaint inside it destroys
// the tapped button and makes the next page's, and the handler returns afterwards.
TEST_F(Controls, AButtonDestroyedInsideItsOwnCommandHandlerLeavesEverythingSafe) {
    HWND main = MakeMain();
    HWND first = MakeChild(main, u"button", u"", BS_OWNERDRAW, 5000, 10, 10, 60, 20);
    HWND next = nullptr;
    bool rebuild = false;
    gReact = [&](HWND hwnd, UINT msg, WPARAM wParam, LPARAM, LRESULT*) {
        if (hwnd == main && msg == WM_COMMAND && LOWORD(wParam) == 5000) {
            rebuild = true;
            InvalidateRect(main, nullptr, TRUE);
            UpdateWindow(main);
            EXPECT_FALSE(IsWindow(first));
            EXPECT_TRUE(IsWindow(next));
        }
        if (hwnd == main && msg == WM_PAINT && rebuild) {
            rebuild = false;
            DestroyWindow(first);
            next = MakeChild(main, u"button", u"", BS_OWNERDRAW, 5001, 10, 40, 60, 20);
            EXPECT_NE(next, first);   // the tapped button's record is still on the stack
        }
        return false;
    };
    HeadlessRun();
    Tap(first);
    ASSERT_TRUE(IsWindow(next));
    EXPECT_FALSE(IsWindow(first));
    Tap(next);
    EXPECT_NE(FindCommand(5001), nullptr);
}

TEST_F(Controls, OwnerDrawnButtonsArePaintedByTheParentWithTheirRectangle) {
    HWND main = MakeMain();
    MakeChild(main, u"button", u"", WS_BORDER | BS_OWNERDRAW, 5003, 20, 30, 50, 22);
    DRAWITEMSTRUCT seen = {};
    gReact = [&](HWND, UINT msg, WPARAM, LPARAM lParam, LRESULT*) {
        if (msg == WM_DRAWITEM) {
            seen = *reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            RECT r = seen.rcItem;
            FillRect(seen.hDC, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        }
        return false;
    };
    HeadlessRun();
    EXPECT_EQ(seen.CtlType, ODT_BUTTON);
    EXPECT_EQ(seen.CtlID, 5003u);
    EXPECT_EQ(seen.rcItem.right, 48);   // inside the one-pixel border
    EXPECT_EQ(seen.rcItem.bottom, 20);
    // Main window client starts at screen (0, 26); the button's inside at (21, 57).
    EXPECT_EQ(HeadlessPixel(21, 57), 0u);
    EXPECT_EQ(HeadlessPixel(68, 76), 0u);
    EXPECT_EQ(HeadlessPixel(80, 66), 0xFFFFFFu);
}

TEST_F(Controls, AnAutoCheckBoxTogglesWhenTappedAndAnswersItsState) {
    HWND main = MakeMain();
    HWND box = MakeChild(main, u"button", u"Sound", BS_AUTOCHECKBOX, 518, 10, 10, 100, 20);
    SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    Tap(box);
    EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_NE(FindCommand(518), nullptr);
}

TEST_F(Controls, AnEntryBoxKeepsItsLimitAndReportsTypingPastIt) {
    HWND main = MakeMain();
    HWND box = MakeChild(main, u"EDIT", u"", WS_BORDER | ES_AUTOHSCROLL, 4000, 10, 10, 100, 22);
    SendMessageW(box, EM_LIMITTEXT, 3, 0);
    Tap(box);
    EXPECT_EQ(GetFocus(), box);
    HeadlessType(u"abc");
    EXPECT_EQ(FindCommand(4000), nullptr);
    HeadlessType(u"d");
    EXPECT_EQ(TextOf(box), u"abc");
    const SeenMessage* command = FindCommand(4000);
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(HIWORD(command->wParam), 0x501);
    EXPECT_EQ(command->lParam, LPARAM(box));

    HeadlessKey(VK_BACK);
    HeadlessKey(VK_HOME);
    HeadlessType(u"X");
    EXPECT_EQ(TextOf(box), u"Xab");
    EXPECT_EQ(GetWindowTextLengthW(box), 3);
}

TEST_F(Controls, AnEntryBoxDestroyedByItsOwnMaxTextNotificationIsSafe) {
    HWND main = MakeMain();
    HWND box = MakeChild(main, u"EDIT", u"", WS_BORDER, 4000, 10, 10, 100, 22);
    SendMessageW(box, EM_LIMITTEXT, 1, 0);
    SetFocus(box);
    gReact = [&](HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT*) {
        if (msg == WM_COMMAND && HIWORD(wParam) == EN_MAXTEXT) DestroyWindow(box);
        return false;
    };
    HeadlessType(u"ab");
    EXPECT_FALSE(IsWindow(box));
    EXPECT_EQ(GetFocus(), nullptr);
}

// The reader's entry boxes: Tab and Return confirm, Up and Down scroll the page, and
// everything else goes on to the box's own procedure.
WNDPROC previousProc = nullptr;
std::vector<WPARAM> keysSeenFirst;

LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_KEYDOWN &&
        (wParam == VK_TAB || wParam == VK_RETURN || wParam == VK_UP || wParam == VK_DOWN)) {
        keysSeenFirst.push_back(wParam);
        return 0;
    }
    return CallWindowProcW(previousProc, hwnd, msg, wParam, lParam);
}

TEST_F(Controls, ASubclassedEntryBoxSeesTabReturnUpAndDownFirst) {
    HWND main = MakeMain();
    HWND box = MakeChild(main, u"EDIT", u"", WS_BORDER, 4001, 10, 10, 100, 22);
    previousProc = reinterpret_cast<WNDPROC>(SetWindowLongW(box, GWL_WNDPROC, reinterpret_cast<LONG>(SubclassProc)));
    keysSeenFirst.clear();
    SetFocus(box);
    HeadlessType(u"hi");
    for (UINT key : {VK_TAB, VK_RETURN, VK_UP, VK_DOWN, VK_LEFT}) HeadlessKey(key);
    HeadlessType(u"!");
    EXPECT_EQ(keysSeenFirst, (std::vector<WPARAM>{VK_TAB, VK_RETURN, VK_UP, VK_DOWN}));
    EXPECT_EQ(TextOf(box), u"h!i");   // Left reached the box and moved its caret
}

TEST_F(Controls, KeysWithoutAFocusedControlGoToTheMainWindow) {
    HWND main = MakeMain();
    HeadlessKey(VK_NEXT);
    ASSERT_EQ(CountSeen(WM_KEYDOWN, main), 1);
}

}  // namespace
