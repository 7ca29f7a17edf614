// Keyboard play over every control on the screen. The page's part of the order is the
// page item list's, which is the order the reader sees the controls in; the focus itself
// is the platform's, so keys typed while a button has it reach that button first, and a
// tool button passes what it does not use back to the main window.
#include "shell/keyboard_play.h"

#include "page/controls.h"
#include "page/geometry.h"
#include "page/identifiers.h"
#include "page/page_items.h"
#include "platform/screen_views.h"
#include "shell/menu_bar.h"

constexpr int kFocusMargin = 4;   // room kept between a control scrolled into view and the view's edge
constexpr int kToolStops[] = {kCommandMenu,        kCommandHelp,     kCommandRestart, kCommandInformation,
                              kCommandBackToStory, kCommandPrevious, kCommandNext};   // the bar, left to right
constexpr int kToolStopCount = int(sizeof kToolStops / sizeof kToolStops[0]);
constexpr int kMaxStops = kPageItems + kToolStopCount;

// The page control the keys last put the focus on; null once its page is gone.
static HWND chosenControl = nullptr;

static HWND ControlOfItem(const PageItem& item) {
    if (item.kind == kItemButton && item.argument >= 0 && item.argument < Controls().buttonCount)
        return Controls().buttonWindows[item.argument];
    if (item.kind == kItemEntryBox && item.argument >= 0 && item.argument < Controls().editCount)
        return Controls().editWindows[item.argument];
    return nullptr;
}

static HWND ControlWithId(int id) {
    const PageItemList& list = PageItems();
    for (int i = 0; i < list.count; ++i) {
        HWND control = ControlOfItem(list.items[i]);
        if (control && GetWindowLongW(control, GWL_ID) == id) return control;
    }
    return nullptr;
}

// Every stop on the screen now, in order; returns how many.
static int CollectStops(KeyboardStop* stops) {
    int count = 0;
    const PageItemList& list = PageItems();
    for (int i = 0; i < list.count; ++i)
        if (HWND control = ControlOfItem(list.items[i]))
            stops[count++] = {StopKind::Control, int(GetWindowLongW(control, GWL_ID))};
    for (int command : kToolStops)
        if (ToolButtonShown(command)) stops[count++] = {StopKind::Tool, command};
    return count;
}

// Where the focus stands in the order, whoever put it there; -1 when on no stop.
static int CurrentStop(const KeyboardStop* stops, int count) {
    HWND focus = GetFocus();
    int tool = FocusedToolButton();
    for (int i = 0; i < count; ++i) {
        if (stops[i].kind == StopKind::Tool && stops[i].id == tool) return i;
        if (stops[i].kind == StopKind::Control && focus && ControlWithId(stops[i].id) == focus) return i;
    }
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

static bool FocusControl(HWND window, int id) {
    HWND control = ControlWithId(id);
    if (!control) return false;
    SetFocus(control);
    chosenControl = control;
    ScrollIntoView(window, control);
    return true;
}

bool FocusKeyboardStop(HWND window, KeyboardStop stop) {
    switch (stop.kind) {
    case StopKind::Control: return FocusControl(window, stop.id);
    case StopKind::Tool: return FocusToolButton(stop.id);
    case StopKind::MenuItem: return MarkOpenMenuItem(stop.id);
    case StopKind::BoxButton: return FocusMessageBoxButton(stop.id);
    case StopKind::None: break;
    }
    if (KeyboardFocus().kind == StopKind::Control || FocusedToolButton()) SetFocus(nullptr);
    chosenControl = nullptr;
    return true;
}

void MoveKeyboardFocus(HWND window, bool forward) {
    KeyboardStop stops[kMaxStops];
    int count = CollectStops(stops);
    if (count == 0) return;
    int at = CurrentStop(stops, count);
    int next = at < 0 ? (forward ? 0 : count - 1) : (at + (forward ? 1 : count - 1)) % count;
    FocusKeyboardStop(window, stops[next]);
}

KeyboardStop KeyboardFocus() {
    MessageBoxView box;
    if (OpenMessageBoxView(&box)) return box.focused ? KeyboardStop{StopKind::BoxButton, box.focused} : KeyboardStop{};
    MenuView menu;
    if (OpenMenuView(&menu))
        return menu.marked >= 0 ? KeyboardStop{StopKind::MenuItem, menu.ids[menu.marked]} : KeyboardStop{};
    if (int tool = FocusedToolButton()) return {StopKind::Tool, tool};
    HWND focus = GetFocus();
    if (focus && focus == chosenControl) return {StopKind::Control, int(GetWindowLongW(focus, GWL_ID))};
    return {};
}

void ForgetKeyboardFocus() { chosenControl = nullptr; }

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
