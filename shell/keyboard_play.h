// Keyboard play: one order of stops over everything on the screen, the page's buttons
// and answer boxes as they stand in the text, then the tool bar's shown buttons from
// left to right ("Menu" first). Tab and Shift+Tab walk it round; Return or Space press
// the stop; Escape is the back tool. F10 or Alt open the menu and message boxes take
// their own keys (the platform's); their marked item and focused button are stops too.
// A page control's stop is the window system's focus, so the control draws its ring.
#pragma once

#include "platform/win32.h"

enum class StopKind : unsigned char { None, Control, Tool, MenuItem, BoxButton };

// id: a control's identifier, a tool's command (kCommandMenu for "Menu"), a menu item's
// command, or a message box button's answer (IDYES, IDNO, IDOK).
struct KeyboardStop {
    StopKind kind;
    int id;
};

// The main window's keys that belong to keyboard play; true when the key was taken.
bool HandleKeyboardPlayKey(HWND window, WPARAM key);

// Moves the focus to the next (forward) or previous stop, wrapping round; with nothing
// focused, to the first or the last. The page scrolls to show a control.
void MoveKeyboardFocus(HWND window, bool forward);

// The stop the keyboard has put the focus on (an answer box that has the focus only
// because its page was built is none), the open menu's marked item, or the focused
// button of a message box; None otherwise.
KeyboardStop KeyboardFocus();

// Puts the focus on a stop, as the keys would (the web edition's mirror does); a
// None stop takes it away. False when the stop is not on the screen.
bool FocusKeyboardStop(HWND window, KeyboardStop stop);

// A new page: the old page's controls, and so the focus on them, are gone.
void ForgetKeyboardFocus();
