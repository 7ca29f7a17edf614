// MessageBoxW: a modal box drawn over the screen with its own message loop, which
// returns when one of its buttons is pressed. Every box is recorded (as UTF-8) for the
// page dump; on the headless backend the recorded answer setting replies at once. The
// keyboard: the default button has the focus when the box opens; Left, Right and Tab move
// it between the buttons, Return or Space press it, Escape is No (OK in a box without).
#include "platform/message_box.h"

#include <initializer_list>

#include "platform/screen_views.h"
#include "platform/headless.h"
#include "platform/text_codec.h"
#include "platform/window_system.h"

// ============================================================================
// State
// ============================================================================

constexpr int kBoxWidth = 220;
constexpr int kCaptionHeight = 20;
constexpr int kButtonWidth = 60;
constexpr int kButtonHeight = 22;
constexpr int kMargin = 8;
constexpr int kMaxNesting = 4;
constexpr uint32_t kCaptionColor = 0x00203870;
static_assert(kMessageBoxTextWidth == kBoxWidth - 2 * kMargin, "the text fills the box between its margins");

static char recorded[kRecordedMessages][kRecordedMessageLength];
static int recordedCount = 0;
static HeadlessAnswer answer = HeadlessAnswer::Default;
static int results[kMaxNesting];
static HWND boxes[kMaxNesting];         // the box of each nesting level, innermost last
static int nesting = 0;
// A box's text is longer than a window's caption can be: each open box keeps its own.
static WCHAR boxTexts[kMaxNesting][kMessageBoxText];

static LRESULT CALLBACK BoxProc(HWND, UINT, WPARAM, LPARAM);

void RegisterMessageBoxClass() { RegisterSystemClass(u"#msgbox", BoxProc, GetStockObject(WHITE_BRUSH)); }

// ============================================================================
// Recording
// ============================================================================

int HeadlessMessageCount() { return recordedCount; }
const char* HeadlessMessage(int index) { return index >= 0 && index < recordedCount ? recorded[index] : ""; }
void HeadlessClearMessages() { recordedCount = 0; }
void HeadlessSetAnswer(HeadlessAnswer a) { answer = a; }

static int ScriptedAnswer(UINT type) {
    bool yesNo = (type & MB_TYPEMASK) == MB_YESNO;
    if (!yesNo) return IDOK;
    return answer == HeadlessAnswer::No ? IDNO : IDYES;
}

// ============================================================================
// The box
// ============================================================================

static int TextHeight(LPCWSTR text) {
    RECT r = {0, 0, kMessageBoxTextWidth, 0};
    HDC hdc = CreateCompatibleDC(nullptr);
    int height = DrawTextW(hdc, text ? text : u"", -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    DeleteDC(hdc);
    return height;
}

static void PaintBox(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT client = {};
    GetClientRect(hwnd, &client);
    RECT caption = {0, 0, client.right, kCaptionHeight};
    FillScreenRect(Intersect(Offset(caption, hdc->originX, hdc->originY), hdc->clip), kCaptionColor);
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, RGB(255, 255, 255));
    SelectObject(hdc, BoldSystemFont());
    RECT title = {kMargin / 2, 0, client.right - kMargin / 2, kCaptionHeight};
    LPCWSTR captionText = reinterpret_cast<LPCWSTR>(hwnd->userData);
    DrawTextW(hdc, captionText ? captionText : u"Error", -1, &title, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SetTextColor(hdc, RGB(0, 0, 0));
    SelectObject(hdc, SystemFont());
    RECT body = {kMargin, kCaptionHeight + kMargin, client.right - kMargin, client.bottom - kButtonHeight - kMargin};
    const WCHAR* text = hwnd->text;
    for (int level = 0; level < nesting; ++level)
        if (boxes[level] == hwnd) text = boxTexts[level];
    DrawTextW(hdc, text, -1, &body, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    EndPaint(hwnd, &ps);
}

static void AddButton(HWND box, LPCWSTR label, int id, int x, int y) {
    CreateWindowExW(0, u"button", label, WS_CHILD | WS_VISIBLE | (id == IDNO ? BS_PUSHBUTTON : BS_DEFPUSHBUTTON), x, y,
                    kButtonWidth, kButtonHeight, box, reinterpret_cast<HMENU>(intptr_t(id)), nullptr, nullptr);
}

static void Finish(HWND hwnd, int result) {
    results[nesting - 1] = result;
    DestroyWindow(hwnd);
}

// Two buttons at most: moving either way goes to the other one.
static void MoveBetweenButtons(HWND hwnd) {
    HWND yes = GetDlgItem(hwnd, IDYES), no = GetDlgItem(hwnd, IDNO);
    if (yes && no) SetFocus(GetFocus() == yes ? no : yes);
}

// Keys a focused button does not use come here too.
static LRESULT BoxKey(HWND hwnd, WPARAM key) {
    bool yesNo = GetDlgItem(hwnd, IDYES) != nullptr;
    if (key == VK_RETURN) Finish(hwnd, yesNo ? IDYES : IDOK);
    if (key == VK_ESCAPE) Finish(hwnd, yesNo ? IDNO : IDOK);
    if (key == VK_LEFT || key == VK_RIGHT || key == VK_TAB) MoveBetweenButtons(hwnd);
    return 0;
}

static LRESULT CALLBACK BoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: PaintBox(hwnd); return 0;
    case WM_COMMAND: Finish(hwnd, LOWORD(wParam)); return 0;
    case WM_KEYDOWN: return BoxKey(hwnd, wParam);
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

static HWND OpenBox(LPCWSTR text, LPCWSTR caption, UINT type) {
    int height = kCaptionHeight + kMargin + TextHeight(text) + kMargin + kButtonHeight + kMargin;
    int top = (kScreenHeight - height) / 2;
    HWND box = CreateWindowExW(0, u"#msgbox", text, WS_VISIBLE | WS_BORDER, (kScreenWidth - kBoxWidth) / 2, top,
                               kBoxWidth, height, nullptr, nullptr, nullptr, nullptr);
    if (!box) return nullptr;
    box->userData = reinterpret_cast<LONG>(caption);
    SetWindowPos(box, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    int y = height - 2 - kButtonHeight - kMargin;
    int inner = kBoxWidth - 2;
    if ((type & MB_TYPEMASK) == MB_YESNO) {
        AddButton(box, u"Yes", IDYES, inner / 2 - kButtonWidth - kMargin / 2, y);
        AddButton(box, u"No", IDNO, inner / 2 + kMargin / 2, y);
    } else {
        AddButton(box, u"OK", IDOK, (inner - kButtonWidth) / 2, y);
    }
    SetFocus(GetDlgItem(box, (type & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK));
    return box;
}

// Runs the box's own loop until a button closes it; a quit request ends it too.
static int RunModal(LPCWSTR text, LPCWSTR caption, UINT type) {
    if (nesting == kMaxNesting) return ScriptedAnswer(type);
    HWND focusBefore = GetFocus();
    int level = nesting;
    results[level] = ScriptedAnswer(type);
    int length = 0;
    for (; text && text[length] && length < kMessageBoxText - 1; ++length) boxTexts[level][length] = text[length];
    boxTexts[level][length] = 0;
    HWND box = OpenBox(boxTexts[level], caption, type);
    boxes[nesting++] = box;
    SetModalWindow(box);
    while (IsAlive(box) && PumpOne(true)) {}
    if (IsAlive(box)) DestroyWindow(box);
    boxes[--nesting] = nullptr;
    SetModalWindow(nesting > 0 ? boxes[nesting - 1] : nullptr);
    SetFocus(IsAlive(focusBefore) ? focusBefore : nullptr);
    return results[nesting];
}

int MessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT type) {
    RegisterShellClasses();
    if (recordedCount < kRecordedMessages)
        Utf16ToUtf8(text ? text : u"", recorded[recordedCount++], kRecordedMessageLength);
    if (ActiveBackend() == &kHeadlessBackend && answer != HeadlessAnswer::Interactive) return ScriptedAnswer(type);
    return RunModal(text, caption, type);
}

// ============================================================================
// For whoever describes the screen (screen_views.h)
// ============================================================================

static HWND InnermostBox() { return nesting > 0 && IsAlive(boxes[nesting - 1]) ? boxes[nesting - 1] : nullptr; }

bool OpenMessageBoxView(MessageBoxView* out) {
    HWND box = InnermostBox();
    if (!box) return false;
    LPCWSTR caption = reinterpret_cast<LPCWSTR>(box->userData);
    out->caption = caption ? caption : u"Error";
    out->text = box->text;
    out->count = 0;
    out->focused = 0;
    for (int reply : {IDYES, IDNO, IDOK}) {
        HWND button = GetDlgItem(box, reply);
        if (!button) continue;
        out->answers[out->count++] = reply;
        if (GetFocus() == button) out->focused = reply;
    }
    return true;
}

bool PressMessageBoxButton(int reply) {
    HWND box = InnermostBox();
    if (!box || !GetDlgItem(box, reply)) return false;
    Finish(box, reply);
    return true;
}

bool FocusMessageBoxButton(int reply) {
    HWND box = InnermostBox();
    HWND button = box ? GetDlgItem(box, reply) : nullptr;
    if (!button) return false;
    SetFocus(button);
    return true;
}
