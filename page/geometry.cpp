// Fonts, scrolling and screen geometry: the page scrolls by moving pixels and
// controls, and every change of content or view height sends it back to the top.
#include "page/geometry.h"

#include "page/layout.h"

static constexpr PageFrame kNoFrame = {.scrollMaximum = 400};
static PageFrame pageFrame = kNoFrame;

const PageFrame& Frame() { return pageFrame; }

void SetViewHeight(int32_t height, DWORD inputPanelFlags) {
    pageFrame.viewHeight = height;
    pageFrame.inputPanelFlags = inputPanelFlags;
}

void ResetScroll() { pageFrame.scrollOffset = 0; }
void SetInputPanelWanted(bool wanted) { pageFrame.inputPanelWanted = wanted; }
void SetInputPanelShown(bool shown) { pageFrame.inputPanelShown = shown; }
void ForgetContentHeight() { pageFrame.lastContentHeight = 0; }

void ClearPageFrame() {
    PageFrame fresh = kNoFrame;
    fresh.window = pageFrame.window;
    fresh.instance = pageFrame.instance;
    fresh.creationRect = pageFrame.creationRect;
    fresh.boldFont = pageFrame.boldFont;
    fresh.normalFont = pageFrame.normalFont;
    pageFrame = fresh;
}

// The page lives in this window from now on: controls are its children, and every
// repaint that the page asks for goes to it.
void RecordCreationRect(HWND window) {
    pageFrame.window = window;
    pageFrame.instance = GetModuleHandleW(nullptr);
    GetClientRect(window, &pageFrame.creationRect);
}

// ============================================================================
// Fonts
// ============================================================================

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
    pageFrame.boldFont = CreatePageFont(dc, FW_BOLD);
    pageFrame.normalFont = CreatePageFont(dc, FW_LIGHT);
    ResetLayoutBold();
    DeleteDC(dc);
}

void DeletePageFonts() {
    DeleteObject(pageFrame.boldFont);
    DeleteObject(pageFrame.normalFont);
    pageFrame.boldFont = pageFrame.normalFont = nullptr;
}

// ============================================================================
// Input panel and size
// ============================================================================

int VisibleHeight(const SIPINFO& info) {
    int height = info.rcVisibleDesktop.bottom - info.rcVisibleDesktop.top;
    return info.fdwFlags == SIPF_DOCKED ? height - kMenuBarHeight : height;
}

static void SetRangeAndPage(HWND window, UINT mask, int page) {
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = mask;
    info.nMin = 0;
    info.nMax = pageFrame.scrollMaximum;
    info.nPage = UINT(page);
    SetScrollInfo(window, SB_VERT, &info, TRUE);
}

void CheckInputPanel(HWND window) {
    SIPINFO info = {};
    info.cbSize = 48;
    SHSipInfo(SPI_GETSIPINFO, 0, &info, 0);
    if (info.fdwFlags == pageFrame.inputPanelFlags) return;
    pageFrame.inputPanelFlags = info.fdwFlags;
    int height = VisibleHeight(info);
    pageFrame.viewHeight = height;
    SetRangeAndPage(window, SIF_RANGE | SIF_PAGE, height);
    int width = info.rcVisibleDesktop.right - info.rcVisibleDesktop.left;
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOOWNERZORDER);
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
}

void HandleSize(HWND window, int clientHeight) {
    pageFrame.viewHeight = clientHeight - kMenuBarHeight;
    SetRangeAndPage(window, SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL, pageFrame.viewHeight);
}

// ============================================================================
// Scrolling
// ============================================================================

// A page taller than the view scrolls to whole views, so its last screen is full.
static int32_t RoundedMaximum(int32_t content, int32_t view) {
    if (view <= 0 || content <= view) return view - 1;
    int32_t rest = content % view;
    return rest == 0 ? content : content + view - rest;
}

void UpdateScrollRange(HWND window, int32_t contentHeight) {
    if (contentHeight == pageFrame.lastContentHeight && pageFrame.viewHeight == pageFrame.lastViewHeight)
        return;
    pageFrame.lastContentHeight = contentHeight;
    pageFrame.lastViewHeight = pageFrame.viewHeight;
    if (pageFrame.scrollOffset != 0) pageFrame.repaintRequest = true;
    pageFrame.scrollOffset = 0;
    pageFrame.scrollMaximum = RoundedMaximum(contentHeight, pageFrame.viewHeight);
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMin = 0;
    info.nMax = pageFrame.scrollMaximum;
    info.nPage = UINT(pageFrame.viewHeight);
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
    ScrollTo(window, NewPosition(info, code));
}

void ScrollTo(HWND window, int position) {
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    GetScrollInfo(window, SB_VERT, &info);
    int old = info.nPos;
    info.fMask = SIF_POS | SIF_DISABLENOSCROLL;
    info.nPos = position;
    SetScrollInfo(window, SB_VERT, &info, TRUE);
    info.fMask = SIF_POS;
    GetScrollInfo(window, SB_VERT, &info);   // the platform clamps to the range
    if (info.nPos == old) return;
    ScrollWindowEx(window, 0, old - info.nPos, &pageFrame.creationRect, &pageFrame.creationRect,
                   nullptr, nullptr,
                   SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    pageFrame.scrollOffset += old - info.nPos;
    UpdateWindow(window);
}

// ============================================================================
// Requests served after a paint
// ============================================================================

void ServeRepaintRequest(HWND window) {
    if (!pageFrame.repaintRequest) return;
    pageFrame.repaintRequest = false;
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
}

void ServeInputPanelRequest() {
    if (pageFrame.inputPanelWanted == pageFrame.inputPanelShown) return;
    pageFrame.inputPanelShown = pageFrame.inputPanelWanted;
    SipShowIM(pageFrame.inputPanelShown ? SIPF_ON : SIPF_OFF);
}
