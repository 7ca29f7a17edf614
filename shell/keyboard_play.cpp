// Keyboard play over the page's controls. The order is the page item list's, which is
// the order the reader sees the controls in; the focus itself is the platform's, so
// keys typed while a button has it reach that button first.
#include "shell/keyboard_play.h"

#include "page/controls.h"
#include "page/geometry.h"
#include "page/identifiers.h"
#include "page/page_items.h"
#include "shell/menu_bar.h"

constexpr int kFocusMargin = 4;   // room kept between a control scrolled into view and the view's edge

static HWND ControlOfItem(const PageItem& item) {
    if (item.kind == kItemButton && item.argument >= 0 && item.argument < Controls().buttonCount)
        return Controls().buttonWindows[item.argument];
    if (item.kind == kItemEntryBox && item.argument >= 0 && item.argument < Controls().editCount)
        return Controls().editWindows[item.argument];
    return nullptr;
}

// The page item index of the focused control, or -1.
static int FocusedItem() {
    HWND focus = GetFocus();
    if (!focus) return -1;
    const PageItemList& list = PageItems();
    for (int i = 0; i < list.count; ++i)
        if (ControlOfItem(list.items[i]) == focus) return i;
    return -1;
}

// Scrolls the smallest distance that shows the whole control (its top when it is
// taller than the view). Control rectangles are in the main window's client
// coordinates, which already include the scroll offset.
static void ScrollIntoView(HWND window, HWND control) {
    RECT r = {};
    GetWindowRect(control, &r);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    int top = r.top - origin.y - Frame().scrollOffset;   // in page coordinates
    int bottom = r.bottom - origin.y - Frame().scrollOffset;
    int position = -Frame().scrollOffset;
    int view = Frame().viewHeight;
    if (top - kFocusMargin < position) ScrollTo(window, top - kFocusMargin);
    else if (bottom + kFocusMargin > position + view) ScrollTo(window, bottom + kFocusMargin - view);
}

void MoveKeyboardFocus(HWND window, bool forward) {
    const PageItemList& list = PageItems();
    if (list.count == 0) return;
    int from = FocusedItem();
    int start = from >= 0 ? from : (forward ? list.count - 1 : 0);
    for (int step = 1; step <= list.count; ++step) {
        int i = ((forward ? start + step : start - step) % list.count + list.count) % list.count;
        HWND control = ControlOfItem(list.items[i]);
        if (!control || control == GetFocus()) continue;
        SetFocus(control);
        ScrollIntoView(window, control);
        return;
    }
}

// Escape is the back tool, but only when the tool is there to be seen.
static bool Escape(HWND window) {
    if (!ToolButtonShown(kCommandBackToStory)) return false;
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(kCommandBackToStory, 0), 0);
    return true;
}

bool HandleKeyboardPlayKey(HWND window, WPARAM key) {
    switch (key) {
    case VK_TAB: MoveKeyboardFocus(window, (GetKeyState(VK_SHIFT) & 0x8000) == 0); return true;
    case VK_ESCAPE: return Escape(window);
    default: return false;
    }
}
