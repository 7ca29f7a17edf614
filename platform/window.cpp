// Window records and classes: creation, destruction, geometry, window text and the
// default window procedure. A destroyed window's record stays readable until no
// window procedure is on the stack, so a handler whose own control was destroyed
// beneath it can still return through it.
#include <cstring>

#include "platform/window_system.h"

// ============================================================================
// State
// ============================================================================

WindowRecord gWindows[kMaxWindows];
WindowClass gClasses[kMaxClasses];
int gClassCount = 0;
uint32_t gTreeVersion = 0;

static int callDepth = 0;          // window procedures now running
static int nextSerial = 1;
static HWND mainWindow = nullptr;
static HWND focusWindow = nullptr;
static HWND foregroundWindow = nullptr;

// ============================================================================
// Small helpers
// ============================================================================

static bool SameNameIgnoringCase(const char16_t* a, const char16_t* b) {
    for (;; ++a, ++b) {
        char16_t x = *a, y = *b;
        if (x >= 'A' && x <= 'Z') x = char16_t(x + 32);
        if (y >= 'A' && y <= 'Z') y = char16_t(y + 32);
        if (x != y) return false;
        if (x == 0) return true;
    }
}

static void CopyText(WCHAR* out, int capacity, LPCWSTR text) {
    int n = 0;
    for (; text && text[n] && n < capacity - 1; ++n) out[n] = text[n];
    out[n] = 0;
}

static int FindClass(LPCWSTR name) {
    if (!name) return -1;
    for (int i = 0; i < gClassCount; ++i)
        if (SameNameIgnoringCase(gClasses[i].name, name)) return i;
    return -1;
}

bool IsAlive(HWND hwnd) { return hwnd && hwnd->used && !hwnd->destroyed && !hwnd->remote; }

bool IsShown(HWND hwnd) {
    for (HWND w = hwnd; w; w = w->parent)
        if (!IsAlive(w) || !(w->style & WS_VISIBLE)) return false;
    return hwnd != nullptr;
}

bool IsClass(HWND hwnd, const char16_t* name) {
    return IsAlive(hwnd) && SameNameIgnoringCase(gClasses[hwnd->classIndex].name, name);
}

HWND MainWindow() { return IsAlive(mainWindow) ? mainWindow : nullptr; }

// ============================================================================
// Classes
// ============================================================================

static int AddClass(LPCWSTR name, WNDPROC proc, UINT style, HBRUSH background) {
    int index = FindClass(name);
    if (index >= 0) return index;
    if (gClassCount == kMaxClasses || !proc || !name) return -1;
    WindowClass& c = gClasses[gClassCount];
    CopyText(c.name, kClassNameLength, name);
    c.proc = proc;
    c.style = style;
    c.background = background;
    return gClassCount++;
}

WORD RegisterClassW(const WNDCLASSW* wc) {
    RegisterShellClasses();
    if (!wc || FindClass(wc->lpszClassName) >= 0) return 0;
    int index = AddClass(wc->lpszClassName, wc->lpfnWndProc, wc->style, wc->hbrBackground);
    return index < 0 ? 0 : WORD(0xC000 + index);
}

void RegisterSystemClass(const char16_t* name, WNDPROC proc, HBRUSH background) {
    AddClass(name, proc, 0, background);
}

// ============================================================================
// Geometry
// ============================================================================

RECT FrameInsets(HWND hwnd) {
    RECT in = {0, 0, 0, 0};
    if (hwnd->style & WS_BORDER) in = {1, 1, 1, 1};
    if (hwnd->style & WS_VSCROLL) in.right += kScrollBarWidth;
    return in;
}

RECT ScreenRectOf(HWND hwnd) {
    if (!hwnd->parent) return hwnd->rect;
    RECT parent = ClientScreenRect(hwnd->parent);
    return Offset(hwnd->rect, parent.left, parent.top);
}

RECT ClientScreenRect(HWND hwnd) {
    RECT r = ScreenRectOf(hwnd);
    RECT in = FrameInsets(hwnd);
    RECT c = {r.left + in.left, r.top + in.top, r.right - in.right, r.bottom - in.bottom};
    if (c.right < c.left) c.right = c.left;
    if (c.bottom < c.top) c.bottom = c.top;
    return c;
}

RECT VisibleClientRect(HWND hwnd) {
    RECT r = ClientScreenRect(hwnd);
    for (HWND p = hwnd->parent; p; p = p->parent) r = Intersect(r, ClientScreenRect(p));
    return Intersect(r, RECT{0, 0, kScreenWidth, kScreenHeight});
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
    if (!IsAlive(hwnd) || !rect) return FALSE;
    RECT c = ClientScreenRect(hwnd);
    *rect = {0, 0, c.right - c.left, c.bottom - c.top};
    return TRUE;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
    if (!IsAlive(hwnd) || !rect) return FALSE;
    *rect = ScreenRectOf(hwnd);
    return TRUE;
}

HWND GetParent(HWND hwnd) { return IsAlive(hwnd) ? hwnd->parent : nullptr; }

HWND GetDlgItem(HWND parent, int id) {
    for (WindowRecord& w : gWindows)
        if (IsAlive(&w) && w.parent == parent && w.id == id) return &w;
    return nullptr;
}

// ============================================================================
// Creation
// ============================================================================

static HWND AllocateRecord() {
    for (WindowRecord& w : gWindows)
        if (!w.used) {
            w = WindowRecord{};
            w.used = true;
            ++gTreeVersion;
            return &w;
        }
    return nullptr;
}

// Top-level windows without a place of their own open below the top bar, as large as
// the visible desktop above the menu bar.
static RECT InitialRect(HWND parent, int x, int y, int width, int height) {
    if (!parent) {
        if (x == CW_USEDEFAULT) x = 0;
        if (y == CW_USEDEFAULT) y = kTopBarHeight;
        if (width == CW_USEDEFAULT) width = kScreenWidth;
        if (height == CW_USEDEFAULT) height = kScreenHeight - kTopBarHeight - kMenuBarHeight;
    }
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    return RECT{x, y, x + width, y + height};
}

static void FillRecord(HWND w, int classIndex, DWORD exStyle, LPCWSTR name, DWORD style, HWND parent, HMENU menu) {
    w->classIndex = classIndex;
    w->proc = gClasses[classIndex].proc;
    w->style = style;
    w->exStyle = exStyle;
    w->parent = (style & WS_CHILD) ? parent : nullptr;
    w->owner = (style & WS_CHILD) ? nullptr : parent;
    w->id = (style & WS_CHILD) ? int(intptr_t(menu)) : 0;
    w->serial = nextSerial++;
    w->vscroll = ScrollBarState{0, 100, 0, 0, 0, false, 0};
    w->edit.limit = kEditCapacity;
    CopyText(w->text, kWindowTextLength, name);
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    RegisterShellClasses();
    int classIndex = FindClass(className);
    if (classIndex < 0 || ((style & WS_CHILD) && !IsAlive(parent))) return nullptr;
    HWND w = AllocateRecord();
    if (!w) return nullptr;
    FillRecord(w, classIndex, exStyle, windowName, style, parent, menu);
    w->rect = InitialRect(w->parent, x, y, width, height);
    bool first = !w->parent && !mainWindow && gClasses[classIndex].name[0] != u'#';
    if (first) {
        mainWindow = foregroundWindow = w;
        ListenForActivation(gClasses[classIndex].name);
    }
    CREATESTRUCTW cs = {param, instance, menu, parent, int(w->rect.bottom - w->rect.top),
                        int(w->rect.right - w->rect.left), int(w->rect.top), int(w->rect.left),
                        LONG(style), windowName, className, exStyle};
    if (CallWindow(w, WM_CREATE, 0, LPARAM(&cs)) == -1) {
        DestroyWindow(w);
        return nullptr;
    }
    if (!IsAlive(w)) return nullptr;
    RECT c = {};
    GetClientRect(w, &c);
    CallWindow(w, WM_SIZE, 0, MAKELPARAM(c.right, c.bottom));
    if (IsShown(w)) InvalidateFrame(w);
    if (first) UpdateTopBar();
    return w;
}

// ============================================================================
// Destruction
// ============================================================================

static void DestroyTree(HWND w) {
    w->destroying = true;
    CallWindow(w, WM_DESTROY, 0, 0);
    for (WindowRecord& child : gWindows)
        if (IsAlive(&child) && !child.destroying && (child.parent == w || child.owner == w)) DestroyTree(&child);
    if (!w->destroyed) CallWindow(w, WM_NCDESTROY, 0, 0);
    w->destroyed = true;
    ++gTreeVersion;
    if (focusWindow == w) focusWindow = nullptr;
    if (foregroundWindow == w) foregroundWindow = nullptr;
    if (mainWindow == w) mainWindow = nullptr;
    ForgetWindowInput(w);
}

// Slots of destroyed windows become free only here, when no window procedure that
// could still hold one of them is running.
static void ReclaimDestroyed() {
    bool any = false;
    for (WindowRecord& w : gWindows) any |= w.used && w.destroyed;
    if (!any) return;
    ForgetDestroyedWindows();
    for (WindowRecord& w : gWindows)
        if (w.used && w.destroyed) w.used = false;
}

BOOL DestroyWindow(HWND hwnd) {
    if (!IsAlive(hwnd) || hwnd->destroying) return FALSE;
    if (IsShown(hwnd)) InvalidateScreenArea(ScreenRectOf(hwnd), hwnd);
    DestroyTree(hwnd);
    if (callDepth == 0) ReclaimDestroyed();
    return TRUE;
}

LRESULT CallWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!hwnd || !hwnd->used || hwnd->remote || !hwnd->proc) return 0;
    if (hwnd->destroyed && msg != WM_DESTROY && msg != WM_NCDESTROY) return 0;
    ++callDepth;
    LRESULT result = hwnd->proc(hwnd, msg, wParam, lParam);
    if (--callDepth == 0) ReclaimDestroyed();
    return result;
}

BOOL IsWindow(HWND hwnd) { return IsAlive(hwnd) || (hwnd && hwnd->used && hwnd->remote); }
BOOL IsWindowVisible(HWND hwnd) { return IsShown(hwnd); }

// ============================================================================
// Placement and visibility
// ============================================================================

BOOL ShowWindow(HWND hwnd, int command) {
    if (!IsAlive(hwnd)) return FALSE;
    bool was = (hwnd->style & WS_VISIBLE) != 0;
    bool show = command != SW_HIDE;
    if (was == show) return was;
    ++gTreeVersion;
    if (show) {
        hwnd->style |= WS_VISIBLE;
        if (IsShown(hwnd)) InvalidateFrame(hwnd);
    } else {
        bool shown = IsShown(hwnd);
        hwnd->style &= ~WS_VISIBLE;
        if (shown) InvalidateScreenArea(ScreenRectOf(hwnd), hwnd);
        if (focusWindow == hwnd) focusWindow = nullptr;
    }
    CallWindow(hwnd, WM_SHOWWINDOW, show, 0);
    return was;
}

// Moves and sizes a window; WM_SIZE reaches its procedure before this returns.
static void PlaceWindow(HWND hwnd, RECT r, bool repaint) {
    RECT old = ScreenRectOf(hwnd);
    bool sized = (r.right - r.left) != (hwnd->rect.right - hwnd->rect.left) ||
                 (r.bottom - r.top) != (hwnd->rect.bottom - hwnd->rect.top);
    hwnd->rect = r;
    if (IsShown(hwnd) && repaint) {
        InvalidateScreenArea(old, hwnd);
        InvalidateFrame(hwnd);
    }
    if (sized) {
        RECT c = {};
        GetClientRect(hwnd, &c);
        CallWindow(hwnd, WM_SIZE, 0, MAKELPARAM(c.right, c.bottom));
    }
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
    if (!IsAlive(hwnd)) return FALSE;
    PlaceWindow(hwnd, RECT{x, y, x + width, y + height}, repaint != FALSE);
    return TRUE;
}

static void BringForward(HWND hwnd, bool topmost) {
    hwnd->serial = nextSerial++;
    hwnd->topmost = hwnd->topmost || topmost;
    ++gTreeVersion;
    if (IsShown(hwnd)) InvalidateFrame(hwnd);
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    if (!IsAlive(hwnd)) return IsWindow(hwnd);
    RECT r = hwnd->rect;
    if (!(flags & SWP_NOMOVE)) r = Offset(r, x - r.left, y - r.top);
    if (!(flags & SWP_NOSIZE)) {
        r.right = r.left + cx;
        r.bottom = r.top + cy;
    }
    PlaceWindow(hwnd, r, !(flags & SWP_NOREDRAW));
    if (!(flags & SWP_NOZORDER) && !hwnd->parent) BringForward(hwnd, insertAfter == HWND_TOPMOST);
    if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, SW_SHOW);
    if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
    return TRUE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
    if (!IsAlive(hwnd)) return FALSE;
    bool wasDisabled = (hwnd->style & WS_DISABLED) != 0;
    if (enable) hwnd->style &= ~WS_DISABLED;
    else hwnd->style |= WS_DISABLED;
    if (wasDisabled == !enable) return wasDisabled;
    InvalidateFrame(hwnd);
    CallWindow(hwnd, WM_ENABLE, enable, 0);
    return wasDisabled;
}

// ============================================================================
// Focus and foreground
// ============================================================================

HWND SetFocus(HWND hwnd) {
    HWND old = focusWindow;
    if (hwnd == old || (hwnd && !IsAlive(hwnd))) return old;
    focusWindow = hwnd;
    if (IsAlive(old)) CallWindow(old, WM_KILLFOCUS, WPARAM(hwnd), 0);
    if (IsAlive(hwnd) && focusWindow == hwnd) CallWindow(hwnd, WM_SETFOCUS, WPARAM(old), 0);
    return IsAlive(old) ? old : nullptr;
}

HWND GetFocus() { return IsAlive(focusWindow) ? focusWindow : nullptr; }

BOOL ClientToScreen(HWND hwnd, POINT* point) {
    if (!IsAlive(hwnd) || !point) return FALSE;
    RECT c = ClientScreenRect(hwnd);
    point->x += c.left;
    point->y += c.top;
    return TRUE;
}

HWND GetForegroundWindow() { return IsAlive(foregroundWindow) ? foregroundWindow : nullptr; }

BOOL SetForegroundWindowLocally(HWND hwnd) {
    if (!IsAlive(hwnd)) return FALSE;
    HWND top = hwnd;
    while (top->parent) top = top->parent;
    foregroundWindow = top;
    BringForward(top, false);
    UpdateTopBar();
    return TRUE;
}

// ============================================================================
// Text, long values, procedures
// ============================================================================

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
    if (!IsAlive(hwnd)) return FALSE;
    return CallWindow(hwnd, WM_SETTEXT, 0, LPARAM(text)) != 0;
}

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount) {
    if (!IsAlive(hwnd) || !buffer || maxCount <= 0) return 0;
    return int(CallWindow(hwnd, WM_GETTEXT, WPARAM(maxCount), LPARAM(buffer)));
}

int GetWindowTextLengthW(HWND hwnd) {
    return IsAlive(hwnd) ? int(CallWindow(hwnd, WM_GETTEXTLENGTH, 0, 0)) : 0;
}

LONG SetWindowLongW(HWND hwnd, int index, LONG value) {
    if (!IsAlive(hwnd)) return 0;
    LONG old = GetWindowLongW(hwnd, index);
    switch (index) {
    case GWL_WNDPROC: hwnd->proc = reinterpret_cast<WNDPROC>(value); break;
    case GWL_ID: hwnd->id = int(value); break;
    case GWL_STYLE: hwnd->style = DWORD(value), ++gTreeVersion; break;
    case GWL_EXSTYLE: hwnd->exStyle = DWORD(value); break;
    case GWL_USERDATA: hwnd->userData = value; break;
    default: return 0;
    }
    return old;
}

LONG GetWindowLongW(HWND hwnd, int index) {
    if (!hwnd || !hwnd->used || hwnd->remote) return 0;
    switch (index) {
    case GWL_WNDPROC: return reinterpret_cast<LONG>(hwnd->proc);
    case GWL_ID: return hwnd->id;
    case GWL_STYLE: return LONG(hwnd->style);
    case GWL_EXSTYLE: return LONG(hwnd->exStyle);
    case GWL_USERDATA: return hwnd->userData;
    default: return 0;
    }
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return proc ? proc(hwnd, msg, wParam, lParam) : 0;
}

static LRESULT CopyWindowText(HWND hwnd, WPARAM capacity, LPARAM buffer) {
    WCHAR* out = reinterpret_cast<WCHAR*>(buffer);
    int n = 0;
    for (; hwnd->text[n] && n < int(capacity) - 1; ++n) out[n] = hwnd->text[n];
    out[n] = 0;
    return n;
}

static LRESULT EraseBackground(HWND hwnd, HDC hdc) {
    HBRUSH brush = gClasses[hwnd->classIndex].background;
    if (!brush) return 0;
    RECT c = {};
    GetClientRect(hwnd, &c);
    FillRect(hdc, &c, brush);
    return 1;
}

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!hwnd || !hwnd->used) return 0;
    switch (msg) {
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_ERASEBKGND: return EraseBackground(hwnd, reinterpret_cast<HDC>(wParam));
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_SETTEXT:
        CopyText(hwnd->text, kWindowTextLength, reinterpret_cast<LPCWSTR>(lParam));
        // A child shows its text; a top-level window's caption is in the top bar.
        if (hwnd->parent) InvalidateRect(hwnd, nullptr, TRUE);
        if (hwnd == mainWindow) UpdateTopBar();
        return TRUE;
    case WM_GETTEXT: return CopyWindowText(hwnd, wParam, lParam);
    // The wheel goes to the focus; a child that does not scroll hands it to its parent.
    case WM_MOUSEWHEEL: return hwnd->parent ? SendMessageW(hwnd->parent, msg, wParam, lParam) : 0;
    case WM_GETTEXTLENGTH: {
        int n = 0;
        while (hwnd->text[n]) ++n;
        return n;
    }
    default: return 0;
    }
}
