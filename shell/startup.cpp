// Start-up and shutdown of the reader: the save file doubles as the single-instance
// lock, the window is sized to the visible desktop above the input panel, and the
// story position is written back when the message loop ends.
#include "shell/startup.h"

#include "book/book_tables.h"
#include "book/save_file.h"
#include "page/geometry.h"
#include "platform/text_codec.h"
#include "shell/main_window.h"
#include "shell/navigation.h"
#include "markup/scanner.h"
#include "shell/layer_hooks.h"
#include "shell/window_proc.h"

constexpr int kIconId = 420;
constexpr int kCaptionSize = 256;

static void BringRunningReaderForward() {
    HWND running = FindWindowW(kWindowClassName, nullptr);
    if (!running) {
        MessageBoxW(nullptr, u"I cannot the book?", nullptr, MB_OK);
        return;
    }
    SetForegroundWindow(running);
    InvalidateRect(running, nullptr, TRUE);
    UpdateWindow(running);
    SetWindowPos(running, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
}

static void RegisterMainClass() {
    WNDCLASSW windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hIcon = LoadIconW(windowClass.hInstance, MAKEINTRESOURCEW(kIconId));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kWindowClassName;
    RegisterClassW(&windowClass);
}

bool StartReader(int showCommand) {
    ConnectLayers();
    ClearNavigation();
    ClearScanningState();
    int16_t firstParagraph = Place().displayedParagraph;
    if (!LoadSaveFile(&firstParagraph)) {
        BringRunningReaderForward();
        return false;
    }
    StartAt(firstParagraph);
    RegisterMainClass();

    SIPINFO sip = {};
    sip.cbSize = 48;
    SHSipInfo(SPI_GETSIPINFO, 0, &sip, 0);
    int width = sip.rcVisibleDesktop.right - sip.rcVisibleDesktop.left;
    SetViewHeight(VisibleHeight(sip), sip.fdwFlags);

    WCHAR caption[kCaptionSize];
    const char* title = Book().header->title;
    WidenLatin1(title, caption, kCaptionSize);

    HWND window = CreateWindowExW(0, kWindowClassName, caption, WS_VISIBLE | WS_VSCROLL,
                                  CW_USEDEFAULT, CW_USEDEFAULT, width, Frame().viewHeight, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    RecordCreationRect(window);
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return true;
}

int RunMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return int(message.wParam);
}

void StopReader() { StoreSaveFile(Place().storyPosition); }
