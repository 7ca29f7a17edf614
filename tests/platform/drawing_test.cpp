// Drawing: the system font's measurements, text extents that add up, both weights,
// DrawTextW placement, BitBlt inversion, and painting clipped to the invalid area.
#include "tests/platform/window_support.h"

namespace {

using Drawing = WindowSystem;

// How many dark pixels a screen rectangle holds.
int DarkPixels(int left, int top, int right, int bottom) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) n += (HeadlessPixel(x, y) & 0xFF) < 0x80;
    return n;
}

HFONT PageFont(int weight) {
    LOGFONTW lf;
    GetObjectW(GetStockObject(SYSTEM_FONT), sizeof lf, &lf);
    lf.lfWeight = weight;
    lf.lfHeight = -int(96 * 10 / 72.0 + 0.5);
    return CreateFontIndirectW(&lf);
}

TEST_F(Drawing, TheSystemFontIsThirteenPixelsAtNinetySixDotsPerInch) {
    HDC hdc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(hdc, LOGPIXELSY), 96);
    LOGFONTW lf;
    ASSERT_EQ(GetObjectW(GetStockObject(SYSTEM_FONT), sizeof lf, &lf), int(sizeof lf));
    EXPECT_EQ(lf.lfHeight, -13);
    TEXTMETRICW tm;
    ASSERT_TRUE(GetTextMetricsW(hdc, &tm));
    EXPECT_GE(tm.tmHeight, 13);
    EXPECT_LE(tm.tmHeight, 18);
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_GT(tm.tmAveCharWidth, 3);
    DeleteDC(hdc);
}

TEST_F(Drawing, ExtentsAddUpAndTheBoldWeightIsWider) {
    HDC hdc = CreateCompatibleDC(nullptr);
    HFONT normal = PageFont(FW_LIGHT), bold = PageFont(FW_BOLD);
    HGDIOBJ old = SelectObject(hdc, normal);
    const WCHAR* text = u"The tide is out. ";
    SIZE whole, first, rest;
    GetTextExtentExPointW(hdc, text, 17, 0, nullptr, nullptr, &whole);
    GetTextExtentExPointW(hdc, text, 4, 0, nullptr, nullptr, &first);
    GetTextExtentExPointW(hdc, text + 4, 13, 0, nullptr, nullptr, &rest);
    EXPECT_EQ(whole.cx, first.cx + rest.cx);
    int fit = 0, dx[17];
    GetTextExtentExPointW(hdc, text, 17, first.cx, &fit, dx, &whole);
    EXPECT_EQ(fit, 4);
    EXPECT_EQ(dx[3], first.cx);
    EXPECT_EQ(dx[16], whole.cx);

    SelectObject(hdc, bold);
    SIZE boldSize;
    GetTextExtentExPointW(hdc, text, 17, 0, nullptr, nullptr, &boldSize);
    EXPECT_GT(boldSize.cx, whole.cx);
    SelectObject(hdc, old);
    DeleteDC(hdc);
    EXPECT_TRUE(DeleteObject(normal));
    EXPECT_TRUE(DeleteObject(bold));
}

TEST_F(Drawing, DrawTextPlacesTextByItsFlagsAndBitBltInvertsABand) {
    MakeMain();
    gReact = [&](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT*) {
        if (msg != WM_PAINT) return false;
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        RECT left = {0, 0, 240, 20}, right = {0, 20, 240, 40}, band = {0, 60, 240, 80};
        DrawTextW(hdc, u"Gate", 4, &left, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
        DrawTextW(hdc, u"Gate", 4, &right, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX);
        DrawTextW(hdc, u"Title", 5, &band, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
        BitBlt(hdc, band.left, band.top, 240, 20, hdc, band.left, band.top, DSTINVERT);
        EndPaint(hwnd, &ps);
        return true;
    };
    HeadlessRun();
    EXPECT_GT(DarkPixels(0, 26, 60, 46), 20);      // left-aligned text at the left
    EXPECT_EQ(DarkPixels(180, 26, 240, 46), 0);
    EXPECT_GT(DarkPixels(180, 46, 240, 66), 20);   // right-aligned at the right
    EXPECT_EQ(DarkPixels(0, 46, 60, 66), 0);
    // The inverted band is mostly dark, with light letters in its middle only.
    EXPECT_GT(DarkPixels(0, 86, 240, 106), 240 * 20 * 8 / 10);
    EXPECT_EQ(DarkPixels(0, 86, 60, 106), 60 * 20);
    EXPECT_EQ(HeadlessPixel(2, 88), 0u);
}

TEST_F(Drawing, PaintingIsClippedToTheInvalidArea) {
    HWND main = MakeMain();
    bool black = false;
    gReact = [&](HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT*) {
        if (msg != WM_PAINT) return false;
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        RECT all = {0, 0, 240, 268};
        FillRect(hdc, &all, static_cast<HBRUSH>(GetStockObject(black ? BLACK_BRUSH : WHITE_BRUSH)));
        EndPaint(hwnd, &ps);
        return true;
    };
    HeadlessRun();
    black = true;
    RECT strip = {0, 100, 240, 110};
    InvalidateRect(main, &strip, FALSE);
    UpdateWindow(main);
    EXPECT_EQ(HeadlessPixel(5, 26 + 99), 0xFFFFFFu);
    EXPECT_EQ(HeadlessPixel(5, 26 + 100), 0u);
    EXPECT_EQ(HeadlessPixel(5, 26 + 109), 0u);
    EXPECT_EQ(HeadlessPixel(5, 26 + 110), 0xFFFFFFu);
}

TEST_F(Drawing, ChildrenAreRepaintedOverWhatTheirParentPainted) {
    HWND main = MakeMain();
    HWND child = MakeChild(main, u"button", u"Ok", BS_DEFPUSHBUTTON, 519, 50, 50, 60, 24);
    HeadlessRun();
    InvalidateRect(main, nullptr, TRUE);
    UpdateWindow(main);
    RECT r;
    GetWindowRect(child, &r);
    EXPECT_EQ(HeadlessPixel(r.left, r.top), 0u);        // the button's frame survived
    EXPECT_GT(DarkPixels(r.left + 3, r.top + 3, r.right - 3, r.bottom - 3), 10);   // and its label
}

TEST_F(Drawing, TheTopBarShowsTheCaptionOfTheMainWindow) {
    HWND main = MakeMain();
    HeadlessRun();
    uint32_t background = HeadlessPixel(1, 1);
    int light = 0;
    for (int x = 0; x < 120; ++x)
        for (int y = 0; y < 26; ++y) light += (HeadlessPixel(x, y) & 0xFF) > 0xC0;
    EXPECT_GT(light, 10);
    SetWindowTextW(main, u"");
    HeadlessRun();
    for (int x = 0; x < 120; ++x) ASSERT_EQ(HeadlessPixel(x, 13), background);
}

}  // namespace

// Fills at every scale and width: rows are stored in blocks of eight device pixels
// with the last block overlapping, so every width must cover exactly its pixels.
namespace {

TEST_F(Drawing, FillsCoverExactlyTheirRectangleAtEveryScale) {
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    for (int scale = 1; scale <= 4; ++scale) {
        HeadlessSetScale(scale);
        for (int width = 1; width <= 23; ++width) {
            HDC screen = GetDC(nullptr);
            RECT all = {0, 0, 240, 320}, r = {7, 40, 7 + width, 42};
            FillRect(screen, &all, white);
            FillRect(screen, &r, black);
            ReleaseDC(nullptr, screen);
            int s = scale, wrong = 0;
            for (int y = 38 * s; y < 44 * s; ++y)
                for (int x = 5 * s; x < (9 + width) * s; ++x) {
                    bool inside = x >= 7 * s && x < (7 + width) * s && y >= 40 * s && y < 42 * s;
                    wrong += HeadlessDevicePixel(x, y) != (inside ? 0u : 0xFFFFFFu);
                }
            EXPECT_EQ(wrong, 0) << "scale " << scale << ", width " << width;
        }
    }
    HeadlessSetScale(1);
}

}  // namespace
