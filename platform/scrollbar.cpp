// The vertical scroll bar of a window with WS_VSCROLL: its range, page and position
// (clamped so that the last page is a full one), its drawing in the window frame, and
// the stylus on it: arrows, page areas and a thumb that can be dragged.
#include "platform/window_system.h"

constexpr int kArrowHeight = kScrollBarWidth;
constexpr int kMinThumb = 8;
constexpr uint32_t kTrackColor = 0x00D8D8D8;
constexpr uint32_t kPartColor = 0x00A0A0A0;

struct BarGeometry {
    RECT bar, up, down;
    int trackTop, trackLength;
    int thumbTop, thumbLength;     // thumbLength 0: no thumb (the bar is disabled)
};

static int LastPosition(const ScrollBarState& s) {
    int last = s.max - (s.page > 0 ? s.page - 1 : 0);
    return last < s.min ? s.min : last;
}

static bool CanScroll(const ScrollBarState& s) { return LastPosition(s) > s.min; }

static BarGeometry Geometry(HWND hwnd) {
    BarGeometry g = {};
    RECT r = ScreenRectOf(hwnd);
    int border = (hwnd->style & WS_BORDER) ? 1 : 0;
    g.bar = RECT{r.right - border - kScrollBarWidth, r.top + border, r.right - border, r.bottom - border};
    g.up = RECT{g.bar.left, g.bar.top, g.bar.right, g.bar.top + kArrowHeight};
    g.down = RECT{g.bar.left, g.bar.bottom - kArrowHeight, g.bar.right, g.bar.bottom};
    g.trackTop = g.up.bottom;
    g.trackLength = g.down.top - g.up.bottom;
    const ScrollBarState& s = hwnd->vscroll;
    if (!CanScroll(s) || g.trackLength <= kMinThumb) return g;
    int range = s.max - s.min + 1;
    g.thumbLength = s.page > 0 ? g.trackLength * s.page / range : kArrowHeight;
    if (g.thumbLength < kMinThumb) g.thumbLength = kMinThumb;
    int shown = s.dragging ? s.trackPos : s.pos;
    g.thumbTop = g.trackTop + (g.trackLength - g.thumbLength) * (shown - s.min) / (LastPosition(s) - s.min);
    return g;
}

// ============================================================================
// Drawing
// ============================================================================

static void DrawArrow(RECT box, bool up, bool enabled, RECT clip) {
    FillScreenRect(Intersect(box, clip), kPartColor);
    FrameScreenRect(Intersect(box, clip), 0x00FFFFFF);
    uint32_t color = enabled ? 0 : 0x00707070;
    int cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
    for (int i = 0; i < 4; ++i) {
        int y = up ? cy - 2 + i : cy + 1 - i;
        FillScreenRect(Intersect(RECT{cx - i, y, cx + i + 1, y + 1}, clip), color);
    }
}

void DrawScrollBar(HWND hwnd) {
    RECT clip = Intersect(ScreenRectOf(hwnd), RECT{0, 0, kScreenWidth, kScreenHeight});
    for (HWND p = hwnd->parent; p; p = p->parent) clip = Intersect(clip, ClientScreenRect(p));
    BarGeometry g = Geometry(hwnd);
    FillScreenRect(Intersect(g.bar, clip), kTrackColor);
    bool enabled = CanScroll(hwnd->vscroll);
    DrawArrow(g.up, true, enabled, clip);
    DrawArrow(g.down, false, enabled, clip);
    if (g.thumbLength > 0) {
        RECT thumb = {g.bar.left, g.thumbTop, g.bar.right, g.thumbTop + g.thumbLength};
        FillScreenRect(Intersect(thumb, clip), kPartColor);
        FrameScreenRect(Intersect(thumb, clip), 0x00404040);
    }
}

static void RedrawBar(HWND hwnd) {
    if (!IsShown(hwnd)) return;
    DrawScrollBar(hwnd);
    InvalidateAbove(hwnd, Geometry(hwnd).bar);
}

// ============================================================================
// Range and position
// ============================================================================

static int Clamp(const ScrollBarState& s, int pos) {
    if (pos > LastPosition(s)) pos = LastPosition(s);
    return pos < s.min ? s.min : pos;
}

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw) {
    if (!IsAlive(hwnd) || bar != SB_VERT || !info) return 0;
    ScrollBarState& s = hwnd->vscroll;
    if (info->fMask & SIF_RANGE) {
        s.min = info->nMin;
        s.max = info->nMax < info->nMin ? info->nMin : info->nMax;
    }
    if (info->fMask & SIF_PAGE) s.page = int(info->nPage);
    if (info->fMask & SIF_POS) s.pos = info->nPos;
    s.pos = Clamp(s, s.pos);
    s.trackPos = Clamp(s, s.trackPos);
    if (redraw) RedrawBar(hwnd);
    return s.pos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info) {
    if (!IsAlive(hwnd) || bar != SB_VERT || !info) return FALSE;
    const ScrollBarState& s = hwnd->vscroll;
    if (info->fMask & SIF_RANGE) {
        info->nMin = s.min;
        info->nMax = s.max;
    }
    if (info->fMask & SIF_PAGE) info->nPage = UINT(s.page);
    if (info->fMask & SIF_POS) info->nPos = s.pos;
    if (info->fMask & SIF_TRACKPOS) info->nTrackPos = s.dragging ? s.trackPos : s.pos;
    return TRUE;
}

// ============================================================================
// The stylus on the bar
// ============================================================================

static void Scroll(HWND hwnd, UINT code, int pos) {
    SendMessageW(hwnd, WM_VSCROLL, MAKEWPARAM(code, unsigned(pos)), 0);
}

static void PressBar(HWND hwnd, const BarGeometry& g, int x, int y) {
    ScrollBarState& s = hwnd->vscroll;
    if (Contains(g.up, x, y)) return Scroll(hwnd, SB_LINEUP, 0);
    if (Contains(g.down, x, y)) return Scroll(hwnd, SB_LINEDOWN, 0);
    if (y < g.thumbTop) return Scroll(hwnd, SB_PAGEUP, 0);
    if (y >= g.thumbTop + g.thumbLength) return Scroll(hwnd, SB_PAGEDOWN, 0);
    s.dragging = true;
    s.dragOffset = y - g.thumbTop;
    s.trackPos = s.pos;
}

static void DragThumb(HWND hwnd, const BarGeometry& g, int y) {
    ScrollBarState& s = hwnd->vscroll;
    int travel = g.trackLength - g.thumbLength;
    if (travel <= 0) return;
    int offset = y - s.dragOffset - g.trackTop;
    int pos = Clamp(s, s.min + (offset * (LastPosition(s) - s.min) + travel / 2) / travel);
    if (pos == s.trackPos) return;
    s.trackPos = pos;
    RedrawBar(hwnd);
    Scroll(hwnd, SB_THUMBTRACK, pos);
}

static void ReleaseBar(HWND hwnd) {
    ScrollBarState& s = hwnd->vscroll;
    if (s.dragging) {
        Scroll(hwnd, SB_THUMBPOSITION, s.trackPos);
        if (!IsAlive(hwnd)) return;
        s.dragging = false;
        RedrawBar(hwnd);
    }
    Scroll(hwnd, SB_ENDSCROLL, 0);
}

bool ScrollBarPointer(HWND hwnd, UINT msg, int x, int y) {
    if (!(hwnd->style & WS_VSCROLL)) return false;
    BarGeometry g = Geometry(hwnd);
    if (msg == WM_LBUTTONDOWN) {
        if (!Contains(g.bar, x, y)) return false;
        if (CanScroll(hwnd->vscroll)) PressBar(hwnd, g, x, y);
        return true;
    }
    if (!CanScroll(hwnd->vscroll)) return true;
    if (msg == WM_MOUSEMOVE && hwnd->vscroll.dragging) DragThumb(hwnd, g, y);
    if (msg == WM_LBUTTONUP) ReleaseBar(hwnd);
    return true;
}
