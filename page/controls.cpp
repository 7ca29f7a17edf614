// Controls on the page: created hidden at a provisional place while the page is
// built, placed by every layout pass, destroyed by the next rebuild.
#include "page/controls.h"

#include <cstdio>

#include "book/book_tables.h"
#include "page/geometry.h"
#include "page/layout.h"
#include "page/page_items.h"
#include "platform/text_codec.h"
#include "book/error_message.h"

static PageControls controlTable = {};

const PageControls& Controls() { return controlTable; }

constexpr DWORD kWordButtonStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | BS_OWNERDRAW;
constexpr DWORD kCommandButtonStyle = WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON;
constexpr DWORD kPictureButtonStyle = WS_CHILD | WS_VISIBLE | BS_OWNERDRAW;
constexpr DWORD kEntryBoxStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | ES_NOHIDESEL;

// A page that asks for more controls than the tables hold gets one message and no
// more controls; nothing is written past a table.
static bool TableFull(int count, int size) {
    if (count < size) return false;
    if (!controlTable.tableFullShown) ShowErrorMessage("Too many controls on one page");
    controlTable.tableFullShown = true;
    return true;
}

int16_t TakeButtonSlot(int16_t width, int16_t height) {
    if (TableFull(controlTable.buttonCount, kButtonSlots)) return -1;
    controlTable.buttons[controlTable.buttonCount] = ButtonSlot{};
    controlTable.buttonWindows[controlTable.buttonCount] = nullptr;
    controlTable.buttonPictureIds[controlTable.buttonCount] = 0;
    controlTable.buttons[controlTable.buttonCount].width = width;
    controlTable.buttons[controlTable.buttonCount].height = height;
    return controlTable.buttonCount++;
}

void SetButtonWindow(int16_t slot, HWND window) {
    if (slot >= 0 && slot < controlTable.buttonCount) controlTable.buttonWindows[slot] = window;
}

void DestroyPageControls() {
    for (int n = 0; n < controlTable.buttonCount; ++n) {
        if (controlTable.buttonWindows[n]) DestroyWindow(controlTable.buttonWindows[n]);
        controlTable.buttonWindows[n] = nullptr;
        if (controlTable.buttons[n].bitmap) DeleteObject(controlTable.buttons[n].bitmap);
        controlTable.buttons[n].bitmap = nullptr;
    }
    for (int n = 0; n < controlTable.editCount; ++n) {
        if (controlTable.editWindows[n]) DestroyWindow(controlTable.editWindows[n]);
        controlTable.editWindows[n] = nullptr;
    }
    controlTable.buttonCount = 0;
    controlTable.editCount = 0;
    controlTable.tableFullShown = false;
}

void ResetPageControls() {
    DestroyPageControls();
    controlTable = {};
}

static HWND CreateControl(LPCWSTR className, LPCWSTR text, DWORD style, int x, int y, int width,
                          int height, int identifier) {
    return CreateWindowExW(0, className, text, style, x, y, width, height, Frame().window,
                           reinterpret_cast<HMENU>(intptr_t(identifier)), Frame().instance,
                           nullptr);
}

// ============================================================================
// Buttons
// ============================================================================

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
    WidenLatin1(narrow, caption, 32);
    MessageBoxW(nullptr, u"Could not create button", caption, MB_OK);
    PostMessageW(Frame().window, WM_CLOSE, 0, 0);
}

int16_t AddWordButton(const char* label, int16_t identifier) {
    int16_t n = TakeButtonSlot(0, 0);
    if (n < 0) return 0;
    ButtonSlot& slot = controlTable.buttons[n];
    int length = WidenLatin1(label, slot.label, kLabelSize);
    bool command = identifier < kFirstButtonId;
    HFONT font = PageItems().buildingBold || command ? Frame().boldFont : Frame().normalFont;
    SIZE size = MeasureLabel(slot.label, length, font);
    slot.width = int16_t((size.cx > 3 * length ? size.cx : 3 * length) + 12);
    slot.height = int16_t(size.cy + 4);
    slot.labelLength = int16_t(length);
    slot.bold = PageItems().buildingBold;
    slot.creationX = Frame().creationRect.left;
    slot.creationY = int16_t(Frame().creationRect.top);

    HWND control = CreateControl(u"button", command ? slot.label : u"",
                                 command ? kCommandButtonStyle : kWordButtonStyle, slot.creationX,
                                 slot.creationY, slot.width, slot.height, identifier);
    controlTable.buttonWindows[n] = control;
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
    return AddWordButton(label, int16_t(kFirstButtonId + controlTable.buttonCount));
}

int16_t AddPictureButton(int16_t picture) {
    if (picture < 0 || picture >= kPictures) return 0;
    int16_t n = TakeButtonSlot(0, 0);
    if (n < 0) return 0;
    int16_t identifier = int16_t(kFirstButtonId + n);
    ButtonSlot& slot = controlTable.buttons[n];
    controlTable.buttonPictureIds[n] = int16_t(Book().pictures[picture].bitmapId);
    slot.bitmap = LoadBitmapW(Frame().instance, MAKEINTRESOURCEW(controlTable.buttonPictureIds[n]));
    BITMAP size = {};
    if (slot.bitmap && GetObjectW(slot.bitmap, sizeof size, &size)) {
        slot.width = int16_t(size.bmWidth);
        slot.height = int16_t(size.bmHeight);
    } else {
        slot.width = int16_t(Metrics().rightLimit - Frame().creationRect.left);
        slot.height = int16_t(Metrics().defaultLineHeight);
    }
    slot.bold = PageItems().buildingBold;
    slot.creationX = Frame().creationRect.left;
    slot.creationY = int16_t(Frame().creationRect.top);
    controlTable.buttonWindows[n] = CreateControl(u"button", u"", kPictureButtonStyle,
                                                  slot.creationX, slot.creationY, slot.width,
                                                  slot.height, identifier);
    AppendControlItem(kItemButton, n);
    return identifier;
}

void DrawOwnerButton(const DRAWITEMSTRUCT* item) {
    if (item->CtlID < UINT(kFirstButtonId)) return;
    int n = int(item->CtlID) - kFirstButtonId;
    if (n >= controlTable.buttonCount) return;
    const ButtonSlot& slot = controlTable.buttons[n];
    if (slot.bitmap) {
        HDC memory = CreateCompatibleDC(nullptr);
        HGDIOBJ previous = SelectObject(memory, slot.bitmap);
        BitBlt(item->hDC, 0, 0, slot.width, slot.height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
        DeleteDC(memory);
        return;
    }
    HGDIOBJ previous = SelectObject(item->hDC, slot.bold ? Frame().boldFont : Frame().normalFont);
    RECT rect = item->rcItem;
    DrawTextW(item->hDC, slot.label, slot.labelLength, &rect, DT_CENTER | DT_NOPREFIX);
    SelectObject(item->hDC, previous);
}

// ============================================================================
// Entry boxes
// ============================================================================

int16_t AddEntryBox(int16_t maximumLength) {
    if (TableFull(controlTable.editCount, kEditSlots)) return 0;
    int16_t n = controlTable.editCount;
    int16_t identifier = int16_t(kFirstEntryBoxId + n);
    EditSlot& slot = controlTable.edits[n];
    int product = int16_t(maximumLength * Metrics().averageCharWidth);
    int width = 2 * (product + 1);
    int widest = Frame().creationRect.right - Frame().creationRect.left;
    slot.width = int16_t(width < widest ? width : widest);
    slot.height = int16_t(Metrics().defaultLineHeight * 3 / 2);
    slot.maximumLength = maximumLength;
    slot.creationX = Frame().creationRect.left;
    slot.creationY = int16_t(Frame().creationRect.top);
    slot.previousProcedure = nullptr;

    HWND box = CreateControl(u"EDIT", u"", kEntryBoxStyle, slot.creationX, slot.creationY,
                             slot.width, slot.height, identifier);
    controlTable.editWindows[n] = box;
    if (box) {
        ShowWindow(box, SW_HIDE);
        UpdateWindow(box);
        SendMessageW(box, EM_LIMITTEXT, WPARAM(maximumLength), 0);
        slot.previousProcedure =
            reinterpret_cast<WNDPROC>(SetWindowLongW(box, GWL_WNDPROC,
                                                     LONG(reinterpret_cast<intptr_t>(EntryBoxProc))));
    } else {
        MessageBoxW(nullptr, u"Null Edit Box", u"Bad Edit Box", MB_OK);
    }
    AppendControlItem(kItemEntryBox, n);
    controlTable.editCount = int16_t(n + 1);
    return identifier;
}

// Tab and Return confirm the answer, as typing past the limit does; Up and Down
// scroll the page rather than move in a one-line box. Shift+Tab leaves the box for
// the page's buttons and Escape is the page's, so the keyboard is never shut in.
LRESULT EntryBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    int identifier = int(GetWindowLongW(box, GWL_ID));
    if (message == WM_KEYDOWN) {
        WPARAM virtualKey = wParam;
        bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        switch (virtualKey) {
        case VK_ESCAPE:
            SendMessageW(Frame().window, WM_KEYDOWN, wParam, lParam);
            return 0;
        case VK_TAB:
            if (shift) {
                SendMessageW(Frame().window, WM_KEYDOWN, wParam, lParam);
                return 0;
            }
            [[fallthrough]];
        case VK_RETURN:
            SendMessageW(Frame().window, WM_COMMAND, MAKEWPARAM(identifier, EN_MAXTEXT), 0);
            return 0;
        case VK_UP:
            SendMessageW(Frame().window, WM_VSCROLL, SB_LINEUP, 0);
            return 0;
        case VK_DOWN:
            SendMessageW(Frame().window, WM_VSCROLL, SB_LINEDOWN, 0);
            return 0;
        }
    }
    int n = identifier - kFirstEntryBoxId;
    WNDPROC previous =
        n >= 0 && n < controlTable.editCount ? controlTable.edits[n].previousProcedure : nullptr;
    if (!previous) return DefWindowProcW(box, message, wParam, lParam);
    return CallWindowProcW(previous, box, message, wParam, lParam);
}

bool FocusOnPageButton() {
    HWND focus = GetFocus();
    if (!focus) return false;
    for (int i = 0; i < controlTable.buttonCount; ++i)
        if (controlTable.buttonWindows[i] == focus) return true;
    return false;
}
