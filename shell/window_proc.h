// The main window's procedure: dispatches every message, carries out the menu and
// tool-bar commands, and routes the page's control notifications.
#pragma once

#include <cstdint>

#include "platform/win32.h"

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Drops the part of a wheel notch that a fine-grained wheel has turned so far.
void ClearWheelRemainder();
