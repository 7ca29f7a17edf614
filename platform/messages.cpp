// The message queue, timers and input routing: PostMessageW queues, SendMessageW calls
// the window procedure at once, and GetMessageW hands out posted messages first, then
// paints what waits, then fires due timers, and only then waits for the backend.
#include "platform/screen_views.h"
#include "platform/window_system.h"

// ============================================================================
// State
// ============================================================================

struct Timer {
    HWND hwnd;
    UINT id;
    UINT interval;
    uint32_t due;
    bool used;
};

static MSG queue[kQueueCapacity];
static int queueHead = 0, queueCount = 0;
static bool quitPending = false;
static int quitCode = 0;
static Timer timers[kMaxTimers];
static HWND capture = nullptr;          // the window that took the stylus when it went down
static bool captureOnScrollBar = false;
static HWND modalWindow = nullptr;
static const Backend* backend = &kHeadlessBackend;
static bool keysDown[256];              // by virtual key, as the backend reported them
static bool altAlone = false;           // Alt is down and no other key came since

const Backend* ActiveBackend() { return backend; }

bool UseBackend(const Backend* chosen, int scale) {
    if (!chosen || !chosen->open(scale)) return false;
    if (backend != chosen) backend->close();
    backend = chosen;
    gFramebufferChanged = true;
    return true;
}

static uint32_t Now() { return backend->now(); }

// ============================================================================
// Queue
// ============================================================================

static bool Push(const MSG& m) {
    if (queueCount == kQueueCapacity) return false;
    queue[(queueHead + queueCount) % kQueueCapacity] = m;
    ++queueCount;
    return true;
}

static bool Pop(MSG* m) {
    if (queueCount == 0) return false;
    *m = queue[queueHead];
    queueHead = (queueHead + 1) % kQueueCapacity;
    --queueCount;
    return true;
}

// Drops queued messages and timers of destroyed windows before their slots are reused,
// so that nothing meant for an old window reaches a new one.
void ForgetDestroyedWindows() {
    int n = queueCount;
    for (int i = 0; i < n; ++i) {
        MSG m;
        Pop(&m);
        if (!m.hwnd || IsAlive(m.hwnd)) Push(m);
    }
    for (Timer& t : timers)
        if (t.used && !IsAlive(t.hwnd) && t.hwnd) t.used = false;
}

void ForgetWindowInput(HWND hwnd) {
    if (capture == hwnd) capture = nullptr;
    if (modalWindow == hwnd) modalWindow = nullptr;
}

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hwnd && !IsAlive(hwnd)) return FALSE;
    return Push(MSG{hwnd, msg, wParam, lParam, Now(), POINT{0, 0}});
}

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return IsAlive(hwnd) ? CallWindow(hwnd, msg, wParam, lParam) : 0;
}

void PostQuitMessage(int exitCode) {
    quitPending = true;
    quitCode = exitCode;
}

LRESULT DispatchMessageW(const MSG* msg) {
    if (!msg || !IsAlive(msg->hwnd)) return 0;
    return CallWindow(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

// Keys that stand for a character become WM_CHAR too; printable characters arrive as
// text input from the backend.
BOOL TranslateMessage(const MSG* msg) {
    if (!msg || msg->message != WM_KEYDOWN) return FALSE;
    WCHAR c = 0;
    switch (msg->wParam) {
    case VK_BACK: c = 8; break;
    case VK_TAB: c = '\t'; break;
    case VK_RETURN: c = '\r'; break;
    case VK_ESCAPE: c = 27; break;
    default: return FALSE;
    }
    return PostMessageW(msg->hwnd, WM_CHAR, c, msg->lParam);
}

// ============================================================================
// Timers
// ============================================================================

UINT SetTimer(HWND hwnd, UINT id, UINT elapse, void*) {
    if (hwnd && !IsAlive(hwnd)) return 0;
    Timer* slot = nullptr;
    for (Timer& t : timers)
        if (t.used && t.hwnd == hwnd && t.id == id) slot = &t;
    for (int i = 0; !slot && i < kMaxTimers; ++i)
        if (!timers[i].used) slot = &timers[i];
    if (!slot) return 0;
    *slot = Timer{hwnd, id, elapse, Now() + elapse, true};
    return id ? id : 1;
}

BOOL KillTimer(HWND hwnd, UINT id) {
    for (Timer& t : timers)
        if (t.used && t.hwnd == hwnd && t.id == id) {
            t.used = false;
            return TRUE;
        }
    return FALSE;
}

uint32_t NextTimerDue(uint32_t now) {
    uint32_t best = UINT32_MAX;
    for (const Timer& t : timers)
        if (t.used && IsAlive(t.hwnd)) best = t.due <= now ? now : (t.due < best ? t.due : best);
    return best;
}

static bool TakeDueTimer(MSG* m) {
    uint32_t now = Now();
    Timer* due = nullptr;
    for (Timer& t : timers)
        if (t.used && IsAlive(t.hwnd) && int32_t(now - t.due) >= 0 && (!due || int32_t(t.due - due->due) < 0))
            due = &t;
    if (!due) return false;
    due->due = now + due->interval;
    *m = MSG{due->hwnd, WM_TIMER, due->id, 0, now, POINT{0, 0}};
    return true;
}

// ============================================================================
// Input routing
// ============================================================================

void SetModalWindow(HWND hwnd) { modalWindow = hwnd; }

static bool InsideModal(HWND hwnd) {
    if (!IsAlive(modalWindow)) return true;
    for (HWND w = hwnd; w; w = w->parent)
        if (w == modalWindow) return true;
    return false;
}

static LPARAM ClientPoint(HWND hwnd, int x, int y) {
    RECT c = ClientScreenRect(hwnd);
    return MAKELPARAM(unsigned(x - c.left), unsigned(y - c.top));
}

static void PointerDown(int x, int y) {
    if (DismissPopupAt(x, y)) return;
    HWND target = WindowAt(x, y);
    if (!target || !InsideModal(target)) return;
    capture = target;
    captureOnScrollBar = ScrollBarPointer(target, WM_LBUTTONDOWN, x, y);
    if (!captureOnScrollBar) PostMessageW(target, WM_LBUTTONDOWN, 1, ClientPoint(target, x, y));
}

static void PointerMoveOrUp(UINT msg, int x, int y) {
    HWND target = capture;
    if (!IsAlive(target)) return;
    if (msg == WM_LBUTTONUP) capture = nullptr;
    if (captureOnScrollBar) ScrollBarPointer(target, msg, x, y);
    else PostMessageW(target, msg, msg == WM_LBUTTONUP ? 0 : 1, ClientPoint(target, x, y));
}

// Keys go to the window with the focus, else to the modal window or the foreground one.
SHORT GetKeyState(int virtualKey) {
    return virtualKey >= 0 && virtualKey < 256 && keysDown[virtualKey] ? SHORT(0x8000) : 0;
}

static HWND KeyTarget() {
    HWND focus = GetFocus();
    if (focus && InsideModal(focus)) return focus;
    if (IsAlive(modalWindow)) return modalWindow;
    return GetForegroundWindow() ? GetForegroundWindow() : MainWindow();
}

void DeliverInput(const InputEvent& e) {
    switch (e.kind) {
    case InputKind::PointerDown: PointerDown(e.x, e.y); break;
    case InputKind::PointerMove: PointerMoveOrUp(WM_MOUSEMOVE, e.x, e.y); break;
    case InputKind::PointerUp: PointerMoveOrUp(WM_LBUTTONUP, e.x, e.y); break;
    case InputKind::TouchTap: DeliverTouchTap(e.x, e.y); break;
    case InputKind::KeyDown:
        if (e.key < 256) keysDown[e.key] = true;
        altAlone = e.key == VK_MENU;
        if (MenuTakesKey(e.key)) break;
        if (e.key == VK_MENU || (e.key == VK_F10 && !IsAlive(modalWindow) && ToggleMenuFromKeys())) break;
        PostMessageW(KeyTarget(), WM_KEYDOWN, e.key, 1);
        break;
    case InputKind::KeyUp:
        if (e.key < 256) keysDown[e.key] = false;
        // Alt pressed and let go with nothing between opens the menu, as F10 does.
        if (e.key == VK_MENU && altAlone && !IsAlive(modalWindow)) ToggleMenuFromKeys();
        altAlone = false;
        PostMessageW(KeyTarget(), WM_KEYUP, e.key, 1);
        break;
    case InputKind::Wheel:
        // Towards the reader is a negative delta, as the platform counts it.
        if (e.notches != 0)
            PostMessageW(KeyTarget(), WM_MOUSEWHEEL, MAKEWPARAM(0, unsigned(-e.notches * WHEEL_DELTA)),
                         MAKELPARAM(unsigned(e.x), unsigned(e.y)));
        break;
    case InputKind::Text: PostMessageW(KeyTarget(), WM_CHAR, e.text, 1); break;
    case InputKind::Quit:
        if (MainWindow()) PostMessageW(MainWindow(), WM_CLOSE, 0, 0);
        else PostQuitMessage(0);
        break;
    case InputKind::None: break;
    }
}

// ============================================================================
// A finger's tap
// ============================================================================

constexpr int kTouchSlop = 6;   // logical pixels a finger may miss a control by

static bool TouchTarget(HWND w) {
    return IsAlive(w) && w->parent && IsShown(w) && !(w->style & WS_DISABLED) &&
           (IsClass(w, u"button") || IsClass(w, u"EDIT"));
}

static int Clamp(int v, int low, int high) { return v < low ? low : v > high ? high : v; }

// The nearest point of the one control within the slop that shows there (another
// window may cover part of it), or false when none or more than one is that near.
static bool NearestControlPoint(int x, int y, int* tx, int* ty) {
    int found = 0, fx = x, fy = y;
    for (WindowRecord& record : gWindows) {
        HWND w = &record;
        if (!TouchTarget(w) || !InsideModal(w)) continue;
        RECT r = ClientScreenRect(w);   // a press counts only inside the client area
        int nx = Clamp(x, r.left, r.right - 1), ny = Clamp(y, r.top, r.bottom - 1);
        if (nx - x > kTouchSlop || x - nx > kTouchSlop || ny - y > kTouchSlop || y - ny > kTouchSlop) continue;
        if (WindowAt(nx, ny) != w) continue;
        if (++found > 1) return false;
        fx = nx;
        fy = ny;
    }
    *tx = fx;
    *ty = fy;
    return found == 1;
}

// Only a tap on the page itself, between its controls, is moved; one on a control, the
// menu or the bars lands where it lands.
void DeliverTouchTap(int x, int y) {
    if (WindowAt(x, y) == MainWindow()) NearestControlPoint(x, y, &x, &y);
    DeliverInput(InputEvent{InputKind::PointerDown, x, y, 0, 0});
    DeliverInput(InputEvent{InputKind::PointerUp, x, y, 0, 0});
}

static void TakeInput() {
    InputEvent e;
    while (backend->pollEvent(&e)) DeliverInput(e);
    PollActivation();
}

// ============================================================================
// The loop
// ============================================================================

// The next message due, painting what waits on the way; false when nothing is due.
static bool NextMessage(MSG* m) {
    TakeInput();
    for (int round = 0; round < 64; ++round) {
        if (Pop(m)) return true;
        if (quitPending) {
            quitPending = false;
            *m = MSG{nullptr, WM_QUIT, WPARAM(quitCode), 0, Now(), POINT{0, 0}};
            return true;
        }
        PaintPending();
        if (queueCount == 0) break;
    }
    return TakeDueTimer(m);
}

static void WaitForWork() {
    if (gFramebufferChanged) {
        gFramebufferChanged = false;
        backend->present(gFramebuffer, gDeviceScale);
    }
    uint32_t now = Now();
    uint32_t due = NextTimerDue(now);
    backend->waitEvent(due == UINT32_MAX ? UINT32_MAX : due - now);
}

BOOL GetMessageW(MSG* msg, HWND, UINT, UINT) {
    MSG m;
    while (!NextMessage(&m)) WaitForWork();
    if (msg) *msg = m;
    return m.message != WM_QUIT;
}

bool PumpOne(bool wait) {
    MSG m;
    if (NextMessage(&m)) {
        if (m.message == WM_QUIT) {
            PostQuitMessage(int(m.wParam));
            return false;
        }
        TranslateMessage(&m);
        DispatchMessageW(&m);
    } else if (wait) {
        WaitForWork();
    }
    return true;
}

// Everything due at this instant, without waiting; a quit stays pending for the loop.
void RunUntilIdle() {
    MSG m;
    for (int i = 0; i < 100000 && NextMessage(&m); ++i) {
        if (m.message == WM_QUIT) {
            PostQuitMessage(int(m.wParam));
            break;
        }
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    if (gFramebufferChanged) {
        gFramebufferChanged = false;
        backend->present(gFramebuffer, gDeviceScale);
    }
}
