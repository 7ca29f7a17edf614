// Fonts, scrolling and screen geometry: the page scrolls by moving pixels and
// controls, and every change of content or view height sends it back to the top.
#include "page/geometry.h"

#include "page/layout.h"

RECT gCreationRect = {};
HFONT gBoldFont = nullptr;
HFONT gNormalFont = nullptr;
int32_t gScrollOffset = 0;
int32_t gScrollMaximum = 400;
int32_t gViewHeight = 0;
int32_t gLastContentHeight = 0;
DWORD gInputPanelFlags = 0;
bool gInputPanelWanted = false;
bool gInputPanelShown = false;

static int32_t lastViewHeight = 0;
static bool repaintRequest = false;

void RecordCreationRect(HWND window) { GetClientRect(window, &gCreationRect); }

// ---------------------------------------------------------------------------
// Fonts
// ---------------------------------------------------------------------------

// The system font's face at 10 points in the given weight.
static HFONT CreatePageFont(HDC dc, LONG weight) {
    LOGFONTW font;
    GetObjectW(GetStockObject(SYSTEM_FONT), sizeof font, &font);
    font.lfWeight = weight;
    font.lfHeight = LONG(-(GetDeviceCaps(dc, LOGPIXELSY) * 10.0 / 72.0 + 0.5));
    HFONT created = CreateFontIndirectW(&font);
    SelectObject(dc, created);
    return created;
}

void CreatePageFonts() {
    HDC dc = CreateCompatibleDC(nullptr);
    gBoldFont = CreatePageFont(dc, FW_BOLD);
    gNormalFont = CreatePageFont(dc, FW_LIGHT);
    gLayoutBold = false;
    DeleteDC(dc);
}

void DeletePageFonts() {
    DeleteObject(gBoldFont);
    DeleteObject(gNormalFont);
    gBoldFont = gNormalFont = nullptr;
}

// ---------------------------------------------------------------------------
// Input panel and size
// ---------------------------------------------------------------------------

int VisibleHeight(const SIPINFO& info) {
    int height = info.rcVisibleDesktop.bottom - info.rcVisibleDesktop.top;
    return info.fdwFlags == SIPF_DOCKED ? height - kMenuBarHeight : height;
}

static void SetRangeAndPage(HWND window, UINT mask, int page) {
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = mask;
    info.nMin = 0;
    info.nMax = gScrollMaximum;
    info.nPage = UINT(page);
    SetScrollInfo(window, SB_VERT, &info, TRUE);
}

void CheckInputPanel(HWND window) {
    SIPINFO info = {};
    info.cbSize = 48;
    SHSipInfo(SPI_GETSIPINFO, 0, &info, 0);
    if (info.fdwFlags == gInputPanelFlags) return;
    gInputPanelFlags = info.fdwFlags;
    int height = VisibleHeight(info);
    gViewHeight = height;
    SetRangeAndPage(window, SIF_RANGE | SIF_PAGE, height);
    int width = info.rcVisibleDesktop.right - info.rcVisibleDesktop.left;
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOOWNERZORDER);
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
}

void HandleSize(HWND window, int clientHeight) {
    gViewHeight = clientHeight - kMenuBarHeight;
    SetRangeAndPage(window, SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL, gViewHeight);
}

// ---------------------------------------------------------------------------
// Scrolling
// ---------------------------------------------------------------------------

// A page taller than the view scrolls to whole views, so its last screen is full.
static int32_t RoundedMaximum(int32_t content, int32_t view) {
    if (view <= 0 || content <= view) return view - 1;
    int32_t rest = content % view;
    return rest == 0 ? content : content + view - rest;
}

void UpdateScrollRange(HWND window, int32_t contentHeight) {
    if (contentHeight == gLastContentHeight && gViewHeight == lastViewHeight) return;
    gLastContentHeight = contentHeight;
    lastViewHeight = gViewHeight;
    if (gScrollOffset != 0) repaintRequest = true;
    gScrollOffset = 0;
    gScrollMaximum = RoundedMaximum(contentHeight, gViewHeight);
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMin = 0;
    info.nMax = gScrollMaximum;
    info.nPage = UINT(gViewHeight);
    info.nPos = 0;
    SetScrollInfo(window, SB_VERT, &info, TRUE);
}

static int NewPosition(const SCROLLINFO& info, int code) {
    switch (code) {
    case SB_LINEUP: return info.nPos - kLineStep;
    case SB_LINEDOWN: return info.nPos + kLineStep;
    case SB_PAGEUP: return info.nPos - int(info.nPage);
    case SB_PAGEDOWN: return info.nPos + int(info.nPage);
    case SB_THUMBTRACK: return info.nTrackPos;
    case SB_TOP: return info.nMin;
    case SB_BOTTOM: return info.nMax;
    default: return info.nPos;
    }
}

void HandleScroll(HWND window, int code) {
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(window, SB_VERT, &info);
    int old = info.nPos;
    info.fMask = SIF_POS | SIF_DISABLENOSCROLL;
    info.nPos = NewPosition(info, code);
    SetScrollInfo(window, SB_VERT, &info, TRUE);
    info.fMask = SIF_POS;
    GetScrollInfo(window, SB_VERT, &info);   // the platform clamps to the range
    if (info.nPos == old) return;
    ScrollWindowEx(window, 0, old - info.nPos, &gCreationRect, &gCreationRect, nullptr, nullptr,
                   SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    gScrollOffset += old - info.nPos;
    UpdateWindow(window);
}

// ---------------------------------------------------------------------------
// Requests served after a paint
// ---------------------------------------------------------------------------

void ServeRepaintRequest(HWND window) {
    if (!repaintRequest) return;
    repaintRequest = false;
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
}

void ServeInputPanelRequest() {
    if (gInputPanelWanted == gInputPanelShown) return;
    gInputPanelShown = gInputPanelWanted;
    SipShowIM(gInputPanelShown ? SIPF_ON : SIPF_OFF);
}
