// The program's one main window and instance, set by start-up and read by every
// part that creates controls or sends the main window a message.
#pragma once

#include "platform/win32.h"

extern HWND gMainWindow;
extern HINSTANCE gInstance;

constexpr const WCHAR* kWindowClassName = u"QTL2quietharbour";
