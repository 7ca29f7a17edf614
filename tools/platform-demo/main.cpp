// qh-platform-demo: one window that shows what the platform layer draws (text in both
// weights, an inverted title band, a bitmap, an owner-drawn button, an entry box, the
// scroll bar, the menu bar with its tool buttons and the top bar) on either backend.
//
//   qh-platform-demo [--scale N] [--close-after MS]     a real window (SDL); a second
//                                                       copy brings the first to the front
//   qh-platform-demo --headless [--tap X Y]... --screenshot FILE
//                                                       the same screen as a PNG, after taps
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/backend.h"
#include "platform/headless.h"
#include "platform/win32.h"

namespace {

constexpr int kEntryBox = 4000;
constexpr int kWordButton = 5000;
constexpr int kCloseTimer = 1;
constexpr int kLineStep = 16;
constexpr int kContentHeight = 420;

HFONT normalFont = nullptr;
HFONT boldFont = nullptr;
int scrollOffset = 0;   // minus the scroll position

HFONT MakeFont(int weight) {
    LOGFONTW lf;
    GetObjectW(GetStockObject(SYSTEM_FONT), sizeof lf, &lf);
    lf.lfWeight = weight;
    lf.lfHeight = -13;
    return CreateFontIndirectW(&lf);
}

void CreateMenuBarAndControls(HWND hwnd) {
    SHMENUBARINFO mbi = {};
    mbi.cbSize = 36;
    mbi.hwndParent = hwnd;
    mbi.nToolBarId = 102;
    mbi.nBmpId = 421;
    mbi.cBmpImages = 6;
    if (!SHCreateMenuBar(&mbi)) MessageBoxW(hwnd, u"SHCreateMenuBar Failed to create a menu bar", u"Error", MB_OK);
    else {
        // As the reader does on a story page: back-to-story and previous give way to their blank twins.
        SendMessageW(mbi.hwndMB, TB_SETSTATE, 510, TBSTATE_HIDDEN);
        SendMessageW(mbi.hwndMB, TB_SETSTATE, 512, TBSTATE_HIDDEN);
    }
    CreateWindowExW(0, u"button", u"", WS_CHILD | WS_VISIBLE | WS_BORDER | BS_OWNERDRAW, 4, 190, 110, 20, hwnd,
                    reinterpret_cast<HMENU>(intptr_t(kWordButton)), nullptr, nullptr);
    HWND box = CreateWindowExW(0, u"EDIT", u"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | ES_NOHIDESEL,
                               120, 189, 100, 22, hwnd, reinterpret_cast<HMENU>(intptr_t(kEntryBox)), nullptr, nullptr);
    SendMessageW(box, EM_LIMITTEXT, 8, 0);
    SetWindowTextW(box, u"lantern");
    SetFocus(box);
    normalFont = MakeFont(FW_LIGHT);
    boldFont = MakeFont(FW_BOLD);
    SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL, 0, kContentHeight, 242, 0, 0};
    SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
}

void DrawLine(HDC hdc, HFONT font, const WCHAR* text, int top, UINT align) {
    RECT r = {4, top + scrollOffset, 223, top + scrollOffset + 16};
    HGDIOBJ old = SelectObject(hdc, font);
    DrawTextW(hdc, text, -1, &r, align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(hdc, old);
}

void DrawPicture(HDC hdc, int id, int x, int y) {
    HBITMAP bitmap = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
    BITMAP bm;
    if (!bitmap || !GetObjectW(bitmap, sizeof bm, &bm)) return;
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(hdc, x, y + scrollOffset, bm.bmWidth, bm.bmHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
}

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    RECT band = {0, scrollOffset, client.right, scrollOffset + 16};
    HGDIOBJ old = SelectObject(hdc, boldFont);
    DrawTextW(hdc, u"Quiet Harbour", -1, &band, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(hdc, old);
    if (scrollOffset == 0) BitBlt(hdc, 0, 0, client.right, 16, hdc, 0, 0, DSTINVERT);
    DrawLine(hdc, normalFont, u"The tide is out. Gulls wheel over", 24, DT_LEFT);
    DrawLine(hdc, normalFont, u"the quay, and the lamps are lit.", 40, DT_LEFT);
    DrawLine(hdc, boldFont, u"Walk to the quay", 60, DT_CENTER);
    DrawLine(hdc, normalFont, u"Regular weight 300: \u00e9t\u00e9, na\u00efve", 80, DT_LEFT);
    DrawLine(hdc, boldFont, u"Bold weight 700: \u00e9t\u00e9, na\u00efve", 96, DT_LEFT);
    DrawPicture(hdc, 1101, 4, 120);
    DrawPicture(hdc, 1104, 4, 146);
    DrawLine(hdc, normalFont, u"The end of the page.", kContentHeight - 20, DT_RIGHT);
    EndPaint(hwnd, &ps);
}

void DrawOwnerButton(const DRAWITEMSTRUCT* dis) {
    HGDIOBJ old = SelectObject(dis->hDC, normalFont);
    RECT r = dis->rcItem;
    DrawTextW(dis->hDC, u"Open the door", -1, &r, DT_CENTER | DT_NOPREFIX);
    SelectObject(dis->hDC, old);
}

void Scroll(HWND hwnd, UINT code) {
    SCROLLINFO si = {sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(hwnd, SB_VERT, &si);
    int old = si.nPos, pos = old;
    switch (code) {
    case SB_LINEUP: pos -= kLineStep; break;
    case SB_LINEDOWN: pos += kLineStep; break;
    case SB_PAGEUP: pos -= int(si.nPage); break;
    case SB_PAGEDOWN: pos += int(si.nPage); break;
    case SB_THUMBTRACK: pos = si.nTrackPos; break;
    default: return;
    }
    si.fMask = SIF_POS | SIF_DISABLENOSCROLL;
    si.nPos = pos;
    SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
    GetScrollInfo(hwnd, SB_VERT, &si);
    if (si.nPos == old) return;
    RECT area;
    GetClientRect(hwnd, &area);
    ScrollWindowEx(hwnd, 0, old - si.nPos, &area, &area, nullptr, nullptr, SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    scrollOffset += old - si.nPos;
    UpdateWindow(hwnd);
}

void Command(HWND hwnd, WPARAM wParam) {
    int id = LOWORD(wParam);
    if (id == 509) PostMessageW(hwnd, WM_CLOSE, 0, 0);
    else if (id == kEntryBox && HIWORD(wParam) == EN_MAXTEXT) MessageBoxW(hwnd, u"The box is full.", u"Entry", MB_OK);
    else if (id == kWordButton) MessageBoxW(hwnd, u"The door is open.", u"Gate", MB_OK);
    else if (id >= 500 && id < 520) MessageBoxW(hwnd, u"A menu or tool command.", u"Command", MB_OK);
}

LRESULT CALLBACK DemoProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: CreateMenuBarAndControls(hwnd); return 0;
    case WM_PAINT: Paint(hwnd); return 0;
    case WM_DRAWITEM: DrawOwnerButton(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_VSCROLL: Scroll(hwnd, LOWORD(wParam)); return 0;
    case WM_COMMAND: Command(hwnd, wParam); return 0;
    case WM_TIMER: PostMessageW(hwnd, WM_CLOSE, 0, 0); return 0;
    case WM_DESTROY:
        DeleteObject(normalFont);
        DeleteObject(boldFont);
        PostQuitMessage(0);
        return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

constexpr int kMaxTaps = 8;

struct Options {
    bool headless = false;
    int taps[kMaxTaps][2] = {};
    int tapCount = 0;
    const char* screenshot = nullptr;
    int scale = 0;
    int closeAfter = 0;
};

bool ParseOptions(int argc, char** argv, Options* o) {
    for (int i = 1; i < argc; ++i) {
        bool hasValue = i + 1 < argc;
        if (!strcmp(argv[i], "--headless")) o->headless = true;
        else if (!strcmp(argv[i], "--screenshot") && hasValue) o->screenshot = argv[++i];
        else if (!strcmp(argv[i], "--scale") && hasValue) o->scale = atoi(argv[++i]);
        else if (!strcmp(argv[i], "--close-after") && hasValue) o->closeAfter = atoi(argv[++i]);
        else if (!strcmp(argv[i], "--tap") && i + 2 < argc && o->tapCount < kMaxTaps) {
            o->taps[o->tapCount][0] = atoi(argv[++i]);
            o->taps[o->tapCount++][1] = atoi(argv[++i]);
        }
        else {
            fprintf(stderr, "usage: qh-platform-demo [--headless [--tap X Y]... --screenshot FILE] [--scale N] "
                            "[--close-after MS]\n");
            return false;
        }
    }
    if (o->headless && !o->screenshot) {
        fprintf(stderr, "qh-platform-demo: --headless needs --screenshot FILE\n");
        return false;
    }
    return true;
}

}  // namespace

// A second copy finds the first through its window class and asks it to the front.
bool ActivateRunningCopy() {
    HWND running = FindWindowW(u"QTL2platformdemo", nullptr);
    if (!running) return false;
    SetForegroundWindow(running);
    fprintf(stderr, "qh-platform-demo: already running; brought it to the front\n");
    return true;
}

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) return 2;
    if (!options.headless && ActivateRunningCopy()) return 1;
    if (!options.headless && !UseBackend(&kSdlBackend, options.scale)) return 1;
    WNDCLASSW wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = DemoProc;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = u"QTL2platformdemo";
    RegisterClassW(&wc);
    HWND main = CreateWindowExW(0, wc.lpszClassName, u"Platform demo", WS_VISIBLE | WS_VSCROLL, CW_USEDEFAULT,
                                CW_USEDEFAULT, 240, 268, nullptr, nullptr, nullptr, nullptr);
    if (!main) return 1;
    ShowWindow(main, SW_SHOW);
    UpdateWindow(main);
    if (options.headless) {
        for (int i = 0; i < options.tapCount; ++i) HeadlessTap(options.taps[i][0], options.taps[i][1]);
        bool written = HeadlessScreenshot(options.screenshot);
        DestroyWindow(main);
        return written ? 0 : 1;
    }
    if (options.closeAfter > 0) SetTimer(main, kCloseTimer, UINT(options.closeAfter), nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    ActiveBackend()->close();
    fprintf(stderr, "qh-platform-demo: the window was closed, exit code %d\n", int(msg.wParam));
    return int(msg.wParam);
}
