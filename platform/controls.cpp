// The two control classes the reader puts on its pages: "button" (owner-drawn, push
// button, auto check box) and "EDIT" (one line, caret, limit). A control that tells its
// parent something may be destroyed by the parent's answer, so after a notification
// the control's procedure returns without touching its record again.
#include "platform/window_system.h"

void RegisterShellClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterSystemClass(u"button", ButtonProc, GetStockObject(WHITE_BRUSH));
    RegisterSystemClass(u"EDIT", EditProc, GetStockObject(WHITE_BRUSH));
    RegisterMenuBarClasses();
    RegisterInputPanelClass();
    RegisterMessageBoxClass();
    RegisterTopBarClass();
}

static LRESULT Notify(HWND hwnd, UINT code) {
    HWND parent = hwnd->parent ? hwnd->parent : hwnd->owner;
    return SendMessageW(parent, WM_COMMAND, MAKEWPARAM(unsigned(hwnd->id), code), LPARAM(hwnd));
}

// ============================================================================
// Buttons
// ============================================================================

static DWORD ButtonType(HWND hwnd) { return hwnd->style & BS_TYPEMASK; }

static void PaintOwnerDrawn(HWND hwnd, HDC hdc, const RECT& client) {
    DRAWITEMSTRUCT dis = {ODT_BUTTON, UINT(hwnd->id), 0, ODA_DRAWENTIRE,
                          UINT((hwnd->button.pressed ? ODS_SELECTED : 0) | (GetFocus() == hwnd ? ODS_FOCUS : 0)),
                          hwnd, hdc, client, 0};
    SendMessageW(hwnd->parent, WM_DRAWITEM, WPARAM(hwnd->id), LPARAM(&dis));
}

static void PaintPushButton(HWND hwnd, HDC hdc, RECT client) {
    RECT screen = Offset(client, hdc->originX, hdc->originY);
    int thickness = ButtonType(hwnd) == BS_DEFPUSHBUTTON ? 2 : 1;
    for (int i = 0; i < thickness; ++i)
        FrameScreenRect(Intersect(RECT{screen.left + i, screen.top + i, screen.right - i, screen.bottom - i}, hdc->clip), 0);
    HGDIOBJ old = SelectObject(hdc, BoldSystemFont());
    DrawTextW(hdc, hwnd->text, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(hdc, old);
    if (hwnd->button.pressed) InvertScreenRect(Intersect(screen, hdc->clip));
}

static void PaintCheckBox(HWND hwnd, HDC hdc, RECT client) {
    int top = (client.bottom - client.top - 13) / 2;
    RECT box = Intersect(Offset(RECT{1, top, 14, top + 13}, hdc->originX, hdc->originY), hdc->clip);
    FrameScreenRect(box, 0);
    if (hwnd->button.check == BST_CHECKED)
        for (int i = 0; i < 7; ++i) {
            int x = box.left + 3 + i, y = box.top + (i < 3 ? 6 + i : 10 - (i - 2));
            FillScreenRect(Intersect(RECT{x, y - 1, x + 1, y + 1}, hdc->clip), 0);
        }
    RECT label = {client.left + 18, client.top, client.right, client.bottom};
    DrawTextW(hdc, hwnd->text, -1, &label, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    if (hwnd->button.pressed) InvertScreenRect(box);
}

// The keyboard's focus on a button: a ring in the one colour nothing else on the page
// uses, just inside the button's edge, over whatever the button drew (a picture too).
constexpr uint32_t kFocusRingColor = 0x001E64DC;

void DrawKeyboardRing(HDC hdc, RECT client) {
    RECT screen = Offset(client, hdc->originX, hdc->originY);
    for (int i = 0; i < 2; ++i)
        FrameScreenRect(Intersect(RECT{screen.left + i, screen.top + i, screen.right - i, screen.bottom - i}, hdc->clip),
                        kFocusRingColor);
}

static void PaintButton(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT client = {};
    GetClientRect(hwnd, &client);
    switch (ButtonType(hwnd)) {
    case BS_OWNERDRAW: PaintOwnerDrawn(hwnd, hdc, client); break;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX: PaintCheckBox(hwnd, hdc, client); break;
    default: PaintPushButton(hwnd, hdc, client); break;
    }
    if (IsAlive(hwnd) && GetFocus() == hwnd) DrawKeyboardRing(hdc, client);
    EndPaint(hwnd, &ps);
}

static LRESULT Click(HWND hwnd);

// Return and Space press a button that has the focus; every other key is the
// parent's, so the page still scrolls and Tab moves on while a button has the focus.
static LRESULT ButtonKey(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_SPACE)) return Click(hwnd);
    HWND parent = hwnd->parent ? hwnd->parent : hwnd->owner;
    return parent ? SendMessageW(parent, msg, wParam, lParam) : 0;
}

static void SetPressed(HWND hwnd, bool pressed) {
    if (hwnd->button.pressed == pressed) return;
    hwnd->button.pressed = pressed;
    InvalidateRect(hwnd, nullptr, TRUE);
}

static LRESULT Click(HWND hwnd) {
    if (ButtonType(hwnd) == BS_AUTOCHECKBOX) {
        hwnd->button.check = hwnd->button.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
        InvalidateRect(hwnd, nullptr, TRUE);
    }
    Notify(hwnd, BN_CLICKED);   // the parent may destroy this button
    return 0;
}

static LRESULT StylusOnButton(HWND hwnd, UINT msg, LPARAM lParam) {
    RECT client = {};
    GetClientRect(hwnd, &client);
    bool inside = Contains(client, int16_t(LOWORD(uintptr_t(lParam))), int16_t(HIWORD(uintptr_t(lParam))));
    if (msg == WM_LBUTTONDOWN) {
        hwnd->button.tracking = true;
        SetPressed(hwnd, true);
        return 0;
    }
    if (!hwnd->button.tracking) return 0;
    if (msg == WM_MOUSEMOVE) {
        SetPressed(hwnd, inside);
        return 0;
    }
    hwnd->button.tracking = false;
    SetPressed(hwnd, false);
    return inside ? Click(hwnd) : 0;
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: PaintButton(hwnd); return 0;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: return StylusOnButton(hwnd, msg, lParam);
    case BM_GETCHECK: return hwnd->button.check;
    case BM_SETCHECK:
        hwnd->button.check = int(wParam) == BST_CHECKED ? BST_CHECKED : BST_UNCHECKED;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case BM_GETSTATE: return hwnd->button.check | (hwnd->button.pressed ? BST_PUSHED : 0);
    case BM_SETSTATE: SetPressed(hwnd, wParam != 0); return 0;
    case BM_CLICK: return Click(hwnd);
    case WM_KEYDOWN:
    case WM_KEYUP: return ButtonKey(hwnd, msg, wParam, lParam);
    case WM_SETFOCUS:
    case WM_KILLFOCUS: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

// ============================================================================
// Entry boxes
// ============================================================================

constexpr int kEditMargin = 2;

static int CaretX(HWND hwnd) {
    return TextWidth(SystemFont()->fontInstance, hwnd->edit.text, hwnd->edit.caret);
}

// Keeps the caret inside the box by sliding the text sideways (ES_AUTOHSCROLL).
static void KeepCaretVisible(HWND hwnd) {
    RECT client = {};
    GetClientRect(hwnd, &client);
    int room = client.right - 2 * kEditMargin - 1;
    int x = CaretX(hwnd);
    EditState& e = hwnd->edit;
    if (x - e.scrollX > room) e.scrollX = x - room;
    if (x < e.scrollX) e.scrollX = x;
    InvalidateRect(hwnd, nullptr, TRUE);
}

static void SetEditText(HWND hwnd, LPCWSTR text) {
    EditState& e = hwnd->edit;
    e.length = 0;
    for (; text && text[e.length] && e.length < kEditCapacity; ++e.length) e.text[e.length] = text[e.length];
    e.text[e.length] = 0;
    e.caret = e.length;
    e.scrollX = 0;
    KeepCaretVisible(hwnd);
}

static void InsertChar(HWND hwnd, WCHAR c) {
    EditState& e = hwnd->edit;
    for (int i = e.length; i > e.caret; --i) e.text[i] = e.text[i - 1];
    e.text[e.caret++] = c;
    e.text[++e.length] = 0;
    KeepCaretVisible(hwnd);
}

static void DeleteAt(HWND hwnd, int at) {
    EditState& e = hwnd->edit;
    if (at < 0 || at >= e.length) return;
    for (int i = at; i < e.length; ++i) e.text[i] = e.text[i + 1];
    --e.length;
    if (e.caret > at) --e.caret;
    KeepCaretVisible(hwnd);
}

static LRESULT TypeChar(HWND hwnd, WCHAR c) {
    if (c == 8) {
        DeleteAt(hwnd, hwnd->edit.caret - 1);
        return 0;
    }
    if (c < 32 || c == 127) return 0;
    if (hwnd->edit.length >= hwnd->edit.limit) return Notify(hwnd, EN_MAXTEXT), 0;   // may destroy the box
    InsertChar(hwnd, c);
    return 0;
}

static LRESULT EditKey(HWND hwnd, WPARAM key) {
    EditState& e = hwnd->edit;
    switch (key) {
    case VK_LEFT: e.caret = e.caret > 0 ? e.caret - 1 : 0; break;
    case VK_RIGHT: e.caret = e.caret < e.length ? e.caret + 1 : e.length; break;
    case VK_HOME: e.caret = 0; break;
    case VK_END: e.caret = e.length; break;
    case VK_DELETE: DeleteAt(hwnd, e.caret); return 0;
    default: return 0;
    }
    KeepCaretVisible(hwnd);
    return 0;
}

static void PlaceCaretAt(HWND hwnd, int x) {
    EditState& e = hwnd->edit;
    int target = x - kEditMargin + e.scrollX;
    int instance = SystemFont()->fontInstance;
    e.caret = e.length;
    for (int i = 0; i < e.length; ++i)
        if (TextWidth(instance, e.text, i) + TextWidth(instance, e.text + i, 1) / 2 > target) {
            e.caret = i;
            break;
        }
    KeepCaretVisible(hwnd);
}

static void PaintEdit(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT client = {};
    GetClientRect(hwnd, &client);
    TEXTMETRICW tm;
    GetTextMetricsW(hdc, &tm);
    int top = (client.bottom - tm.tmHeight) / 2;
    RECT text = {kEditMargin - hwnd->edit.scrollX, top, client.right + 4096, top + tm.tmHeight};
    RECT clip = Intersect(Offset(RECT{kEditMargin, 0, client.right - kEditMargin, client.bottom}, hdc->originX, hdc->originY), hdc->clip);
    RECT saved = hdc->clip;
    hdc->clip = clip;
    DrawTextW(hdc, hwnd->edit.text, hwnd->edit.length, &text, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    if (GetFocus() == hwnd) {
        int x = hdc->originX + text.left + CaretX(hwnd);
        FillScreenRect(Intersect(RECT{x, hdc->originY + top, x + 1, hdc->originY + top + tm.tmHeight}, clip), 0);
    }
    hdc->clip = saved;
    EndPaint(hwnd, &ps);
}

static LRESULT EditText(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    EditState& e = hwnd->edit;
    if (msg == WM_SETTEXT) {
        SetEditText(hwnd, reinterpret_cast<LPCWSTR>(lParam));
        return TRUE;
    }
    if (msg == WM_GETTEXTLENGTH) return e.length;
    WCHAR* out = reinterpret_cast<WCHAR*>(lParam);
    int n = 0;
    for (; n < e.length && n < int(wParam) - 1; ++n) out[n] = e.text[n];
    out[n] = 0;
    return n;
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: SetEditText(hwnd, hwnd->text); hwnd->edit.limit = kEditCapacity; return 0;
    case WM_PAINT: PaintEdit(hwnd); return 0;
    case WM_CHAR: return TypeChar(hwnd, WCHAR(wParam));
    case WM_KEYDOWN: return EditKey(hwnd, wParam);
    case WM_LBUTTONDOWN:
        SetFocus(hwnd);
        PlaceCaretAt(hwnd, int16_t(LOWORD(uintptr_t(lParam))));
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case EM_LIMITTEXT:
        hwnd->edit.limit = wParam == 0 || wParam > WPARAM(kEditCapacity) ? kEditCapacity : int(wParam);
        return 0;
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: return EditText(hwnd, msg, wParam, lParam);
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}
