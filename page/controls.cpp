// Controls on the page: created hidden at a provisional place while the page is
// built, placed by every layout pass, destroyed by the next rebuild.
#include "page/controls.h"

#include <cstdio>

#include "book/book_tables.h"
#include "page/geometry.h"
#include "page/layout.h"
#include "page/page_items.h"
#include "shell/error_message.h"
#include "shell/main_window.h"

ButtonSlot gButtonSlots[kButtonSlots];
HWND gButtonControls[kButtonSlots];
int16_t gButtonCount = 0;
int16_t gButtonPictureIds[kButtonSlots];
EditSlot gEditSlots[kEditSlots];
HWND gEditControls[kEditSlots];
int16_t gEditCount = 0;

constexpr DWORD kWordButtonStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | BS_OWNERDRAW;
constexpr DWORD kCommandButtonStyle = WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON;
constexpr DWORD kPictureButtonStyle = WS_CHILD | WS_VISIBLE | BS_OWNERDRAW;
constexpr DWORD kEntryBoxStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | ES_NOHIDESEL;

// A page that asks for more controls than the tables hold gets one message and no
// more controls; nothing is written past a table.
static bool tableFullShown = false;

static bool TableFull(int count, int size) {
    if (count < size) return false;
    if (!tableFullShown) ShowErrorMessage("Too many controls on one page");
    tableFullShown = true;
    return true;
}

int16_t TakeButtonSlot() {
    if (TableFull(gButtonCount, kButtonSlots)) return -1;
    gButtonSlots[gButtonCount] = ButtonSlot{};
    gButtonControls[gButtonCount] = nullptr;
    gButtonPictureIds[gButtonCount] = 0;
    return gButtonCount++;
}

void DestroyPageControls() {
    for (int n = 0; n < gButtonCount; ++n) {
        if (gButtonControls[n]) DestroyWindow(gButtonControls[n]);
        gButtonControls[n] = nullptr;
        if (gButtonSlots[n].bitmap) DeleteObject(gButtonSlots[n].bitmap);
        gButtonSlots[n].bitmap = nullptr;
    }
    for (int n = 0; n < gEditCount; ++n) {
        if (gEditControls[n]) DestroyWindow(gEditControls[n]);
        gEditControls[n] = nullptr;
    }
    gButtonCount = 0;
    gEditCount = 0;
    tableFullShown = false;
}

static HWND CreateControl(LPCWSTR className, LPCWSTR text, DWORD style, int x, int y, int width,
                          int height, int identifier) {
    return CreateWindowExW(0, className, text, style, x, y, width, height, gMainWindow,
                           reinterpret_cast<HMENU>(intptr_t(identifier)), gInstance, nullptr);
}

// ---------------------------------------------------------------------------
// Buttons
// ---------------------------------------------------------------------------

static SIZE MeasureLabel(const WCHAR* label, int length, HFONT font) {
    SIZE size = {};
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    GetTextExtentExPointW(dc, label, length, 0, nullptr, nullptr, &size);
    SelectObject(dc, previous);
    DeleteDC(dc);
    return size;
}

static void ReportButtonFailure() {
    WCHAR caption[32];
    char narrow[32];
    std::snprintf(narrow, sizeof narrow, " Error %x", unsigned(GetLastError()));
    int i = 0;
    for (; narrow[i]; ++i) caption[i] = WCHAR(static_cast<unsigned char>(narrow[i]));
    caption[i] = 0;
    MessageBoxW(nullptr, u"Could not create button", caption, MB_OK);
    PostMessageW(gMainWindow, WM_CLOSE, 0, 0);
}

int16_t AddWordButton(const char* label, int16_t identifier) {
    int16_t n = TakeButtonSlot();
    if (n < 0) return 0;
    ButtonSlot& slot = gButtonSlots[n];
    int length = 0;
    for (; length < kLabelSize - 1 && label[length]; ++length)
        slot.label[length] = WCHAR(static_cast<unsigned char>(label[length]));
    slot.label[length] = 0;
    bool command = identifier < kFirstButtonId;
    HFONT font = gBuildingBold || command ? gBoldFont : gNormalFont;
    SIZE size = MeasureLabel(slot.label, length, font);
    slot.width = int16_t((size.cx > 3 * length ? size.cx : 3 * length) + 12);
    slot.height = int16_t(size.cy + 4);
    slot.labelLength = int16_t(length);
    slot.bold = gBuildingBold;
    slot.creationX = gCreationRect.left;
    slot.creationY = int16_t(gCreationRect.top);

    HWND control = CreateControl(u"button", command ? slot.label : u"",
                                 command ? kCommandButtonStyle : kWordButtonStyle, slot.creationX,
                                 slot.creationY, slot.width, slot.height, identifier);
    gButtonControls[n] = control;
    if (control) {
        ShowWindow(control, SW_HIDE);
        UpdateWindow(control);
    } else {
        ReportButtonFailure();
    }
    AppendControlItem(kItemButton, n);
    return identifier;
}

int16_t AddWordButton(const char* label) {
    return AddWordButton(label, int16_t(kFirstButtonId + gButtonCount));
}

int16_t AddPictureButton(int16_t picture) {
    if (picture < 0 || picture >= kPictures) return 0;
    int16_t n = TakeButtonSlot();
    if (n < 0) return 0;
    int16_t identifier = int16_t(kFirstButtonId + n);
    ButtonSlot& slot = gButtonSlots[n];
    gButtonPictureIds[n] = int16_t(gBook->pictures[picture].bitmapId);
    slot.bitmap = LoadBitmapW(gInstance, MAKEINTRESOURCEW(gButtonPictureIds[n]));
    BITMAP size = {};
    if (slot.bitmap && GetObjectW(slot.bitmap, sizeof size, &size)) {
        slot.width = int16_t(size.bmWidth);
        slot.height = int16_t(size.bmHeight);
    } else {
        slot.width = int16_t(gRightLimit - gCreationRect.left);
        slot.height = int16_t(gDefaultLineHeight);
    }
    slot.bold = gBuildingBold;
    slot.creationX = gCreationRect.left;
    slot.creationY = int16_t(gCreationRect.top);
    gButtonControls[n] = CreateControl(u"button", u"", kPictureButtonStyle, slot.creationX,
                                       slot.creationY, slot.width, slot.height, identifier);
    AppendControlItem(kItemButton, n);
    return identifier;
}

void DrawOwnerButton(const DRAWITEMSTRUCT* item) {
    if (item->CtlID < UINT(kFirstButtonId)) return;
    int n = int(item->CtlID) - kFirstButtonId;
    if (n >= gButtonCount) return;
    const ButtonSlot& slot = gButtonSlots[n];
    if (slot.bitmap) {
        HDC memory = CreateCompatibleDC(nullptr);
        HGDIOBJ previous = SelectObject(memory, slot.bitmap);
        BitBlt(item->hDC, 0, 0, slot.width, slot.height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
        DeleteDC(memory);
        return;
    }
    HGDIOBJ previous = SelectObject(item->hDC, slot.bold ? gBoldFont : gNormalFont);
    RECT rect = item->rcItem;
    DrawTextW(item->hDC, slot.label, slot.labelLength, &rect, DT_CENTER | DT_NOPREFIX);
    SelectObject(item->hDC, previous);
}

// ---------------------------------------------------------------------------
// Entry boxes
// ---------------------------------------------------------------------------

int16_t AddEntryBox(int16_t maximumLength) {
    if (TableFull(gEditCount, kEditSlots)) return 0;
    int16_t n = gEditCount;
    int16_t identifier = int16_t(kFirstEntryBoxId + n);
    EditSlot& slot = gEditSlots[n];
    int product = int16_t(maximumLength * gAverageCharWidth);
    int width = 2 * (product + 1);
    int widest = gCreationRect.right - gCreationRect.left;
    slot.width = int16_t(width < widest ? width : widest);
    slot.height = int16_t(gDefaultLineHeight * 3 / 2);
    slot.maximumLength = maximumLength;
    slot.creationX = gCreationRect.left;
    slot.creationY = int16_t(gCreationRect.top);
    slot.previousProcedure = nullptr;

    HWND box = CreateControl(u"EDIT", u"", kEntryBoxStyle, slot.creationX, slot.creationY,
                             slot.width, slot.height, identifier);
    gEditControls[n] = box;
    if (box) {
        ShowWindow(box, SW_HIDE);
        UpdateWindow(box);
        SendMessageW(box, EM_LIMITTEXT, WPARAM(maximumLength), 0);
        slot.previousProcedure =
            reinterpret_cast<WNDPROC>(SetWindowLongW(box, GWL_WNDPROC, LONG(reinterpret_cast<intptr_t>(EntryBoxProc))));
    } else {
        MessageBoxW(nullptr, u"Null Edit Box", u"Bad Edit Box", MB_OK);
    }
    AppendControlItem(kItemEntryBox, n);
    gEditCount = int16_t(n + 1);
    return identifier;
}

// Tab and Return confirm the answer, as typing past the limit does; Up and Down
// scroll the page rather than move in a one-line box.
LRESULT EntryBoxProc(HWND box, UINT message, WPARAM first, LPARAM second) {
    int identifier = int(GetWindowLongW(box, GWL_ID));
    if (message == WM_KEYDOWN) {
        switch (first) {
        case VK_TAB:
        case VK_RETURN:
            SendMessageW(gMainWindow, WM_COMMAND, MAKEWPARAM(identifier, EN_MAXTEXT), 0);
            return 0;
        case VK_UP:
            SendMessageW(gMainWindow, WM_VSCROLL, SB_LINEUP, 0);
            return 0;
        case VK_DOWN:
            SendMessageW(gMainWindow, WM_VSCROLL, SB_LINEDOWN, 0);
            return 0;
        }
    }
    int n = identifier - kFirstEntryBoxId;
    WNDPROC previous = n >= 0 && n < gEditCount ? gEditSlots[n].previousProcedure : nullptr;
    if (!previous) return DefWindowProcW(box, message, first, second);
    return CallWindowProcW(previous, box, message, first, second);
}
