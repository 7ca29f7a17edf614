// Keyboard play: Tab and Shift+Tab walk the page's buttons and answer boxes in the
// order they stand in the text, Return or Space press the focused button, Escape is the
// back tool. The focused control is the window system's keyboard focus, so its ring is
// drawn by the control itself.
#pragma once

#include "platform/win32.h"

// The main window's keys that belong to keyboard play; true when the key was taken.
bool HandleKeyboardPlayKey(HWND window, WPARAM key);

// Moves the focus to the next (forward) or previous control of the page, wrapping
// round, and scrolls the page so that the control is in view.
void MoveKeyboardFocus(HWND window, bool forward);
