// Scrolling: positions clamp to the range so that the last page is a full one,
// ScrollWindowEx moves the pixels and the child windows and leaves only the uncovered
// strip to paint, and the stylus works the drawn scroll bar.
#include "tests/platform/window_support.h"

namespace {

using Scrolling = WindowSystem;

int PositionAfterSetting(HWND hwnd, int pos) {
    SCROLLINFO si = {sizeof si, SIF_POS | SIF_DISABLENOSCROLL, 0, 0, 0, pos, 0};
    SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
    si.fMask = SIF_ALL;
    GetScrollInfo(hwnd, SB_VERT, &si);
    return si.nPos;
}

void SetRange(HWND hwnd, int max, int page) {
    SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL, 0, max, UINT(page), 0, 0};
    SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
}

TEST_F(Scrolling, PositionsClampToTheRangeLessTheLastPage) {
    HWND main = MakeMain(WS_VISIBLE | WS_VSCROLL);
    SetRange(main, 726, 242);
    EXPECT_EQ(PositionAfterSetting(main, 1000), 485);
    EXPECT_EQ(PositionAfterSetting(main, 300), 300);
    EXPECT_EQ(PositionAfterSetting(main, -5), 0);
    SetRange(main, 241, 242);   // nothing to scroll: the bar is disabled
    EXPECT_EQ(PositionAfterSetting(main, 16), 0);
}

// Paints every row in a colour of its own page y, and remembers what was asked.
struct StripedPage {
    int offset = 0;
    std::vector<RECT> painted;
};

uint32_t RowColour(int pageY) { return uint32_t((pageY * 7) & 0xFF) << 8; }

TEST_F(Scrolling, ScrollWindowExMovesPixelsAndChildrenAndInvalidatesOnlyTheStrip) {
    StripedPage page;
    HWND main = MakeMain(WS_VISIBLE | WS_VSCROLL);
    gReact = [&](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT*) {
        if (hwnd != main || msg != WM_PAINT) return false;
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        page.painted.push_back(ps.rcPaint);
        for (int y = 0; y < 268; ++y) {
            HBRUSH b = CreateSolidBrush(RGB(0, (((y - page.offset) * 7) & 0xFF), 0));
            RECT row = {0, y, 227, y + 1};
            FillRect(hdc, &row, b);
            DeleteObject(b);
        }
        EndPaint(hwnd, &ps);
        return true;
    };
    HWND child = MakeChild(main, u"button", u"", BS_OWNERDRAW, 5000, 10, 100, 40, 20);
    HeadlessRun();
    page.painted.clear();
    uint32_t rowBefore = HeadlessPixel(150, 26 + 116);
    ASSERT_EQ(rowBefore, RowColour(116));

    RECT area = {0, 0, 227, 268};
    page.offset -= 16;
    ScrollWindowEx(main, 0, -16, &area, &area, nullptr, nullptr, SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    RECT childRect;
    GetWindowRect(child, &childRect);
    EXPECT_EQ(childRect.top, 26 + 84);
    EXPECT_EQ(HeadlessPixel(150, 26 + 100), rowBefore);   // moved up before anything is painted

    ASSERT_EQ(page.painted.size(), 1u);
    EXPECT_EQ(page.painted[0].top, 268 - 16);
    EXPECT_EQ(page.painted[0].bottom, 268);
    EXPECT_EQ(page.painted[0].left, 0);
    EXPECT_EQ(HeadlessPixel(150, 26 + 260), RowColour(276));   // the strip shows the page below
    EXPECT_EQ(HeadlessPixel(150, 26 + 200), RowColour(216));
}

TEST_F(Scrolling, TheStylusWorksTheArrowsThePageAreasAndTheThumb) {
    HWND main = MakeMain(WS_VISIBLE | WS_VSCROLL);
    SetRange(main, 726, 242);
    HeadlessRun();
    std::vector<std::pair<int, int>> codes;   // code, track position
    gReact = [&](HWND hwnd, UINT msg, WPARAM wParam, LPARAM, LRESULT*) {
        if (msg != WM_VSCROLL) return false;
        SCROLLINFO si = {sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(hwnd, SB_VERT, &si);
        codes.push_back({LOWORD(wParam), si.nTrackPos});
        return true;
    };
    int barX = 240 - 6;
    HeadlessTap(barX, 26 + 5);         // up arrow
    HeadlessTap(barX, 26 + 268 - 5);   // down arrow
    HeadlessTap(barX, 26 + 200);       // below the thumb
    ASSERT_EQ(codes.size(), 6u);
    EXPECT_EQ(codes[0].first, int(SB_LINEUP));
    EXPECT_EQ(codes[2].first, int(SB_LINEDOWN));
    EXPECT_EQ(codes[4].first, int(SB_PAGEDOWN));
    EXPECT_EQ(codes[5].first, int(SB_ENDSCROLL));

    codes.clear();
    HeadlessPointer(0, barX, 26 + 20);   // on the thumb, at the top of the track
    HeadlessPointer(1, barX, 26 + 120);
    HeadlessPointer(2, barX, 26 + 120);
    ASSERT_GE(codes.size(), 3u);
    EXPECT_EQ(codes[0].first, int(SB_THUMBTRACK));
    EXPECT_GT(codes[0].second, 100);
    EXPECT_LE(codes[0].second, 485);
    EXPECT_EQ(codes[codes.size() - 2].first, int(SB_THUMBPOSITION));
    EXPECT_EQ(codes.back().first, int(SB_ENDSCROLL));
}

}  // namespace
