// The main window's procedure: dispatches every message, carries out the menu and
// tool-bar commands, and routes the page's control notifications.
#pragma once

#include <cstdint>

#include "platform/win32.h"

// Module state (shell/window_proc.cpp); the first three describe the page on screen
// and are cleared by every rebuild.
extern bool gActivationLatch;
extern bool gInventoryMode;
extern bool gSoundPage;
extern int16_t gSoundCheckBoxSlot;

void ClearPageFlags();
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM first, LPARAM second);
