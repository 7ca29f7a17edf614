// The shell's own furniture around the program's window: the top bar that shows the
// main window's caption, and the soft input panel docked above the menu bar, a small
// keyboard that types into the focused window when the stylus taps it.
#include "platform/window_system.h"

// ============================================================================
// State
// ============================================================================

constexpr int kKeyRows = 5;
constexpr int kKeyHeight = kInputPanelHeight / kKeyRows;
constexpr int kPanelTop = kScreenHeight - kMenuBarHeight - kInputPanelHeight;
constexpr uint32_t kTopBarColor = 0x00203870;
constexpr uint32_t kPanelColor = 0x00E8E8E8;

struct Key {
    const char16_t* label;
    int width;
    UINT vk;                     // 0: the key types its label's character
};

static const Key row0[] = {{u"1", 20, 0}, {u"2", 20, 0}, {u"3", 20, 0}, {u"4", 20, 0}, {u"5", 20, 0}, {u"6", 20, 0},
                           {u"7", 20, 0}, {u"8", 20, 0}, {u"9", 20, 0}, {u"0", 20, 0}, {u"-", 20, 0}, {u"=", 20, 0}};
static const Key row1[] = {{u"q", 20, 0}, {u"w", 20, 0}, {u"e", 20, 0}, {u"r", 20, 0}, {u"t", 20, 0}, {u"y", 20, 0},
                           {u"u", 20, 0}, {u"i", 20, 0}, {u"o", 20, 0}, {u"p", 20, 0}, {u"\u2190", 40, VK_BACK}};
static const Key row2[] = {{u"Shift", 40, VK_SHIFT}, {u"a", 20, 0}, {u"s", 20, 0}, {u"d", 20, 0}, {u"f", 20, 0},
                           {u"g", 20, 0},        {u"h", 20, 0}, {u"j", 20, 0}, {u"k", 20, 0}, {u"l", 20, 0},
                           {u"'", 20, 0}};
static const Key row3[] = {{u"z", 20, 0}, {u"x", 20, 0}, {u"c", 20, 0}, {u"v", 20, 0}, {u"b", 20, 0}, {u"n", 20, 0},
                           {u"m", 20, 0}, {u",", 20, 0}, {u".", 20, 0}, {u"\u21b5", 60, VK_RETURN}};
static const Key row4[] = {{u";", 20, 0}, {u":", 20, 0}, {u" ", 160, 0}, {u"?", 20, 0}, {u"!", 20, 0}};

struct KeyRow {
    const Key* keys;
    int count;
};

static const KeyRow rows[kKeyRows] = {{row0, 12}, {row1, 11}, {row2, 11}, {row3, 10}, {row4, 5}};

static HWND topBar = nullptr;
static HWND panel = nullptr;
static bool shifted = false;
static int pressedRow = -1, pressedKey = -1;

static LRESULT CALLBACK TopBarProc(HWND, UINT, WPARAM, LPARAM);
static LRESULT CALLBACK PanelProc(HWND, UINT, WPARAM, LPARAM);

void RegisterTopBarClass() { RegisterSystemClass(u"#topbar", TopBarProc, nullptr); }
void RegisterInputPanelClass() { RegisterSystemClass(u"#sip", PanelProc, nullptr); }

// ============================================================================
// Top bar
// ============================================================================

void UpdateTopBar() {
    if (!IsAlive(topBar)) {
        topBar = CreateWindowExW(0, u"#topbar", u"", WS_VISIBLE, 0, 0, kScreenWidth, kTopBarHeight, nullptr, nullptr,
                                 nullptr, nullptr);
        if (topBar) SetWindowPos(topBar, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    if (topBar) InvalidateRect(topBar, nullptr, TRUE);
}

static void PaintTopBar(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT client = {};
    GetClientRect(hwnd, &client);
    FillScreenRect(Intersect(Offset(client, hdc->originX, hdc->originY), hdc->clip), kTopBarColor);
    HWND shown = GetForegroundWindow() ? GetForegroundWindow() : MainWindow();
    if (shown) {
        RECT text = {6, 0, client.right - 4, client.bottom};
        SetBkMode(hdc, TRANSPARENT);
        SetTextColor(hdc, RGB(255, 255, 255));
        SelectObject(hdc, BoldSystemFont());
        DrawTextW(hdc, shown->text, -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    EndPaint(hwnd, &ps);
}

static LRESULT CALLBACK TopBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) return PaintTopBar(hwnd), 0;
    if (msg == WM_DESTROY && hwnd == topBar) topBar = nullptr;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// ============================================================================
// Input panel
// ============================================================================

static RECT KeyRect(int row, int index) {
    int x = 0;
    for (int i = 0; i < index; ++i) x += rows[row].keys[i].width;
    return RECT{x, row * kKeyHeight, x + rows[row].keys[index].width, (row + 1) * kKeyHeight};
}

static WCHAR KeyChar(const Key& key) {
    WCHAR c = key.label[0];
    return shifted && c >= 'a' && c <= 'z' ? WCHAR(c - 32) : c;
}

static void PaintPanel(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    FillScreenRect(Intersect(ClientScreenRect(hwnd), hdc->clip), kPanelColor);
    SetBkMode(hdc, TRANSPARENT);
    for (int r = 0; r < kKeyRows; ++r)
        for (int k = 0; k < rows[r].count; ++k) {
            const Key& key = rows[r].keys[k];
            RECT place = KeyRect(r, k);
            RECT screen = Intersect(Offset(place, hdc->originX, hdc->originY), hdc->clip);
            FrameScreenRect(screen, 0x00909090);
            WCHAR c[2] = {KeyChar(key), 0};
            DrawTextW(hdc, key.vk == VK_SHIFT ? key.label : c, -1, &place, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            bool down = (r == pressedRow && k == pressedKey) || (key.vk == VK_SHIFT && shifted);
            if (down) InvertScreenRect(screen);
        }
    EndPaint(hwnd, &ps);
}

static bool FindKey(LPARAM lParam, int* row, int* index) {
    int x = int16_t(LOWORD(uintptr_t(lParam))), y = int16_t(HIWORD(uintptr_t(lParam)));
    *row = y / kKeyHeight;
    if (y < 0 || *row >= kKeyRows) return false;
    for (*index = 0; *index < rows[*row].count; ++*index)
        if (Contains(KeyRect(*row, *index), x, y)) return true;
    return false;
}

// A key of the panel acts as the same key on a keyboard would.
static void TypeKey(const Key& key) {
    if (key.vk == VK_SHIFT) {
        shifted = !shifted;
        return;
    }
    if (key.vk) {
        DeliverInput(InputEvent{InputKind::KeyDown, 0, 0, key.vk, 0});
        DeliverInput(InputEvent{InputKind::KeyUp, 0, 0, key.vk, 0});
    } else {
        DeliverInput(InputEvent{InputKind::Text, 0, 0, 0, KeyChar(key)});
    }
    shifted = false;
}

static LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    int row, index;
    switch (msg) {
    case WM_PAINT: PaintPanel(hwnd); return 0;
    case WM_LBUTTONDOWN:
        if (FindKey(lParam, &row, &index)) pressedRow = row, pressedKey = index;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_LBUTTONUP:
        if (FindKey(lParam, &row, &index) && row == pressedRow && index == pressedKey) TypeKey(rows[row].keys[index]);
        pressedRow = pressedKey = -1;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_DESTROY:
        if (hwnd == panel) panel = nullptr;
        return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

bool InputPanelShown() { return IsShown(panel); }
int InputPanelTop() { return kPanelTop; }

BOOL SipShowIM(DWORD flags) {
    RegisterShellClasses();
    if (!IsAlive(panel)) {
        panel = CreateWindowExW(0, u"#sip", u"", 0, 0, kPanelTop, kScreenWidth, kInputPanelHeight, nullptr, nullptr,
                                nullptr, nullptr);
        if (!panel) return FALSE;
        SetWindowPos(panel, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    ShowWindow(panel, (flags & SIPF_ON) ? SW_SHOW : SW_HIDE);
    // The menu bar's panel button shows whether the panel is up.
    InvalidateScreenArea(RECT{kScreenWidth - 24, kScreenHeight - kMenuBarHeight, kScreenWidth, kScreenHeight}, nullptr);
    return TRUE;
}

BOOL SHSipInfo(UINT action, UINT, void* info, UINT) {
    SIPINFO* sip = static_cast<SIPINFO*>(info);
    if (!sip) return FALSE;
    if (action == SPI_SETSIPINFO) return SipShowIM(sip->fdwFlags & SIPF_ON);
    if (action != SPI_GETSIPINFO) return FALSE;
    bool shown = InputPanelShown();
    sip->fdwFlags = SIPF_DOCKED | (shown ? SIPF_ON : 0);
    sip->rcVisibleDesktop = RECT{0, kTopBarHeight, kScreenWidth, shown ? kPanelTop : kScreenHeight};
    sip->rcSipRect = RECT{0, kPanelTop, kScreenWidth, kPanelTop + kInputPanelHeight};
    sip->dwImDataSize = 0;
    sip->pvImData = nullptr;
    return TRUE;
}
