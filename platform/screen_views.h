// What stands over the page besides its own controls, for whoever describes the screen
// or moves the keyboard through it (keyboard play, the page dump, the web edition's
// mirror): the open "Menu" pop-up with the item the keys mark, and the message box.
#pragma once

#include "platform/win32.h"

constexpr int kMaxViewItems = 16;

// The open menu; false when it is closed.
struct MenuView {
    int count;
    int ids[kMaxViewItems];
    const WCHAR* texts[kMaxViewItems];   // with the '&' before the underlined letter
    int marked;                          // the index the keys mark, or -1
};
bool OpenMenuView(MenuView* out);
bool ChooseOpenMenuItem(int id);         // as a tap on it; false when there is no such item
bool MarkOpenMenuItem(int id);

// The innermost message box on screen; false when none is.
struct MessageBoxView {
    const WCHAR* caption;
    const WCHAR* text;
    int count;
    int answers[2];                      // IDYES and IDNO, or IDOK, left to right
    int focused;                         // the answer whose button has the focus, or 0
};
bool OpenMessageBoxView(MessageBoxView* out);
bool PressMessageBoxButton(int reply);
bool FocusMessageBoxButton(int reply);

// A finger is broader than a stylus: a touch that lands on no control but within a few
// pixels of exactly one presses that one. Delivers the tap's down and up.
void DeliverTouchTap(int x, int y);
