// Invalid areas and painting. Windows paint bottom to top into the one framebuffer:
// a window paints its invalid rectangle, and whatever lies above what it painted
// (its children, later siblings, higher top-level windows) is painted again after it.
#include <cstring>

#include "platform/window_system.h"

// ============================================================================
// Paint order
// ============================================================================

static HWND order[kMaxWindows];
static int orderCount = 0;
static RECT desktopDirty = {0, 0, kScreenWidth, kScreenHeight};
constexpr uint32_t kDesktopColor = 0x00808080;

static bool Before(HWND a, HWND b) {
    if (a->topmost != b->topmost) return b->topmost;
    return a->serial < b->serial;
}

// Appends the shown children of parent (top-level windows for null), oldest first, each
// followed by its own children.
static void AppendLayer(HWND parent) {
    HWND layer[kMaxWindows];
    int n = 0;
    for (WindowRecord& w : gWindows)
        if (IsAlive(&w) && w.parent == parent && (w.style & WS_VISIBLE)) layer[n++] = &w;
    for (int i = 1; i < n; ++i)
        for (int j = i; j > 0 && Before(layer[j], layer[j - 1]); --j) {
            HWND t = layer[j];
            layer[j] = layer[j - 1];
            layer[j - 1] = t;
        }
    for (int i = 0; i < n; ++i) {
        order[orderCount++] = layer[i];
        AppendLayer(layer[i]);
    }
}

static void BuildOrder() {
    static uint32_t builtFor = ~0u;
    if (builtFor == gTreeVersion) return;
    builtFor = gTreeVersion;
    orderCount = 0;
    AppendLayer(nullptr);
}

static int OrderIndex(HWND hwnd) {
    for (int i = 0; i < orderCount; ++i)
        if (order[i] == hwnd) return i;
    return -1;
}

static bool IsDescendant(HWND w, HWND ancestor) {
    for (HWND p = w; p; p = p->parent)
        if (p == ancestor) return true;
    return false;
}

static RECT VisibleWindowRect(HWND hwnd) {
    RECT r = ScreenRectOf(hwnd);
    for (HWND p = hwnd->parent; p; p = p->parent) r = Intersect(r, ClientScreenRect(p));
    return Intersect(r, RECT{0, 0, kScreenWidth, kScreenHeight});
}

HWND WindowAt(int x, int y) {
    BuildOrder();
    for (int i = orderCount - 1; i >= 0; --i) {
        HWND w = order[i];
        if (!Contains(VisibleWindowRect(w), x, y)) continue;
        return (w->style & WS_DISABLED) ? nullptr : w;
    }
    return nullptr;
}

// ============================================================================
// Invalidation
// ============================================================================

// Adds a screen area to what the window must paint: its frame when the area touches
// it, and the part of its client area that the area covers.
static void AddScreenArea(HWND w, RECT area) {
    RECT visible = Intersect(area, VisibleWindowRect(w));
    if (IsEmptyRect(visible)) return;
    RECT client = ClientScreenRect(w);
    RECT inside = Intersect(visible, client);
    if (inside.left != visible.left || inside.top != visible.top || inside.right != visible.right ||
        inside.bottom != visible.bottom)
        w->frameDirty = true;
    if (IsEmptyRect(inside)) return;
    RECT local = Offset(inside, -client.left, -client.top);
    w->invalid = IsEmptyRect(w->invalid) ? local : Union(w->invalid, local);
    w->erase = true;
}

static bool BeingPainted(HWND w, RECT area) {
    RECT p = w->painting;
    return !IsEmptyRect(p) && area.left >= p.left && area.top >= p.top && area.right <= p.right &&
           area.bottom <= p.bottom;
}

void InvalidateScreenArea(RECT area, HWND except) {
    BuildOrder();
    // A child window lies inside its parent, which paints what it uncovers; only a
    // top-level window can uncover the desktop.
    if (!except || !except->parent) desktopDirty = IsEmptyRect(desktopDirty) ? area : Union(desktopDirty, area);
    for (int i = 0; i < orderCount; ++i) {
        HWND w = order[i];
        if (except && IsDescendant(w, except)) continue;
        if (BeingPainted(w, area)) continue;
        AddScreenArea(w, area);
    }
}

void InvalidateAbove(HWND hwnd, RECT area) {
    BuildOrder();
    int from = OrderIndex(hwnd);
    if (from < 0 || IsEmptyRect(area)) return;
    for (int i = from + 1; i < orderCount; ++i) AddScreenArea(order[i], area);
}

void InvalidateFrame(HWND hwnd) {
    hwnd->frameDirty = true;
    RECT c = {};
    GetClientRect(hwnd, &c);
    hwnd->invalid = c;
    hwnd->erase = true;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
    if (!hwnd) {
        InvalidateScreenArea(RECT{0, 0, kScreenWidth, kScreenHeight}, nullptr);
        return TRUE;
    }
    if (!IsAlive(hwnd)) return FALSE;
    RECT c = {};
    GetClientRect(hwnd, &c);
    RECT r = rect ? Intersect(*rect, c) : c;
    if (IsEmptyRect(r)) return TRUE;
    hwnd->invalid = IsEmptyRect(hwnd->invalid) ? r : Union(hwnd->invalid, r);
    hwnd->erase = hwnd->erase || erase;
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT*) {
    if (!IsAlive(hwnd)) return FALSE;
    hwnd->invalid = RECT{0, 0, 0, 0};
    return TRUE;
}

// ============================================================================
// Painting
// ============================================================================

static void DrawFrame(HWND w) {
    RECT visible = VisibleWindowRect(w);
    if (w->style & WS_BORDER) {
        RECT r = ScreenRectOf(w);
        RECT edges[4] = {{r.left, r.top, r.right, r.top + 1}, {r.left, r.bottom - 1, r.right, r.bottom},
                         {r.left, r.top, r.left + 1, r.bottom}, {r.right - 1, r.top, r.right, r.bottom}};
        for (RECT& e : edges) FillScreenRect(Intersect(e, visible), 0);
    }
    if (w->style & WS_VSCROLL) DrawScrollBar(w);
}

static bool WaitsForPaint(HWND w) { return w->frameDirty || !IsEmptyRect(w->invalid); }

static void PaintWindow(HWND w) {
    if (w->frameDirty) {
        w->frameDirty = false;
        DrawFrame(w);
        InvalidateAbove(w, VisibleWindowRect(w));
    }
    if (IsEmptyRect(w->invalid)) return;
    RECT before = w->invalid;
    CallWindow(w, WM_PAINT, 0, 0);
    // A procedure that never validates would be asked again for ever.
    if (IsAlive(w) && memcmp(&before, &w->invalid, sizeof(RECT)) == 0) w->invalid = RECT{0, 0, 0, 0};
}

static void PaintDesktop() {
    if (IsEmptyRect(desktopDirty)) return;
    FillScreenRect(desktopDirty, kDesktopColor);
    RECT area = desktopDirty;
    desktopDirty = RECT{0, 0, 0, 0};
    BuildOrder();
    for (int i = 0; i < orderCount; ++i) AddScreenArea(order[i], area);
}

// Paints, bottom to top, every window under root (all windows for null) that waits.
static void PaintFrom(HWND root) {
    for (int round = 0; round < 4 * kMaxWindows; ++round) {
        BuildOrder();
        HWND next = nullptr;
        for (int i = 0; i < orderCount && !next; ++i)
            if (WaitsForPaint(order[i]) && (!root || IsDescendant(order[i], root))) next = order[i];
        if (!next) return;
        PaintWindow(next);
    }
}

void PaintPending() {
    PaintDesktop();
    PaintFrom(nullptr);
}

BOOL UpdateWindow(HWND hwnd) {
    if (!IsAlive(hwnd)) return IsWindow(hwnd);
    if (IsShown(hwnd)) PaintFrom(hwnd);
    return TRUE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
    if (!IsAlive(hwnd) || !ps) return nullptr;
    *ps = PAINTSTRUCT{};
    RECT client = ClientScreenRect(hwnd);
    RECT clip = Intersect(Offset(hwnd->invalid, client.left, client.top), VisibleClientRect(hwnd));
    if (!IsShown(hwnd)) clip = RECT{0, 0, 0, 0};
    ps->rcPaint = hwnd->invalid;
    bool erase = hwnd->erase;
    hwnd->invalid = RECT{0, 0, 0, 0};
    hwnd->erase = false;
    hwnd->painting = clip;
    ps->hdc = OpenWindowDC(hwnd, clip);
    if (erase) ps->fErase = CallWindow(hwnd, WM_ERASEBKGND, WPARAM(ps->hdc), 0) == 0;
    return ps->hdc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
    if (ps && ps->hdc) ReleaseDC(hwnd, ps->hdc);
    if (!IsAlive(hwnd)) return FALSE;
    RECT painted = hwnd->painting;
    hwnd->painting = RECT{0, 0, 0, 0};
    InvalidateAbove(hwnd, painted);
    return TRUE;
}

// ============================================================================
// Scrolling
// ============================================================================

static void MovePixels(RECT area, int dx, int dy) {
    RECT dest = Intersect(Offset(area, dx, dy), area);
    if (IsEmptyRect(dest)) return;
    int s = gDeviceScale, stride = DeviceStride();
    int width = (dest.right - dest.left) * s;
    int rows = (dest.bottom - dest.top) * s;
    for (int i = 0; i < rows; ++i) {
        int y = dy > 0 ? dest.bottom * s - 1 - i : dest.top * s + i;
        memmove(&gFramebuffer[y * stride + dest.left * s], &gFramebuffer[(y - dy * s) * stride + (dest.left - dx) * s],
                size_t(width) * sizeof(uint32_t));
    }
    gFramebufferChanged = true;
}

// The part of area that the move leaves without pixels (a strip when only one of dx, dy
// is set; the whole area when the move is larger than it).
static RECT Uncovered(RECT area, int dx, int dy) {
    RECT dest = Intersect(Offset(area, dx, dy), area);
    if (IsEmptyRect(dest)) return area;
    if (dy < 0) return RECT{area.left, dest.bottom, area.right, area.bottom};
    if (dy > 0) return RECT{area.left, area.top, area.right, dest.top};
    if (dx < 0) return RECT{dest.right, area.top, area.right, area.bottom};
    if (dx > 0) return RECT{area.left, area.top, dest.left, area.bottom};
    return RECT{0, 0, 0, 0};
}

static void MoveChildren(HWND hwnd, int dx, int dy) {
    for (WindowRecord& w : gWindows)
        if (IsAlive(&w) && w.parent == hwnd) w.rect = Offset(w.rect, dx, dy);
}

int ScrollWindowEx(HWND hwnd, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN, RECT* updateRect,
                   UINT flags) {
    if (!IsAlive(hwnd)) return 0;
    RECT area;
    GetClientRect(hwnd, &area);
    if (scroll) area = Intersect(area, *scroll);
    if (clip) area = Intersect(area, *clip);
    RECT client = ClientScreenRect(hwnd);
    RECT screen = Intersect(Offset(area, client.left, client.top), VisibleClientRect(hwnd));
    if (IsShown(hwnd)) MovePixels(screen, dx, dy);
    if (!IsEmptyRect(hwnd->invalid)) hwnd->invalid = Intersect(Offset(hwnd->invalid, dx, dy), area);
    if (flags & SW_SCROLLCHILDREN) MoveChildren(hwnd, dx, dy);
    RECT strip = Uncovered(area, dx, dy);
    if (flags & SW_INVALIDATE) {
        InvalidateRect(hwnd, &strip, (flags & SW_ERASE) != 0);
        // Windows above this one that overlapped the moved pixels were moved with them.
        BuildOrder();
        for (int i = OrderIndex(hwnd) + 1; i > 0 && i < orderCount; ++i)
            if (!IsDescendant(order[i], hwnd)) AddScreenArea(order[i], screen);
    }
    if (updateRect) *updateRect = strip;
    return SIMPLEREGION;
}
