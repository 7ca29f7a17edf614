// The frame the page is laid out and moved in: the creation rectangle, the two page
// fonts, the scroll state and the view height that the input panel changes.
#pragma once

#include "platform/win32.h"

constexpr int kMenuBarHeight = 26;   // the allowance taken off every view height
constexpr int kLineStep = 16;        // pixels per line-up / line-down scroll step

// Module state (page/geometry.cpp).
extern RECT gCreationRect;
extern HFONT gBoldFont;
extern HFONT gNormalFont;
extern int32_t gScrollOffset;         // minus the scroll position
extern int32_t gScrollMaximum;
extern int32_t gViewHeight;
extern int32_t gLastContentHeight;
extern DWORD gInputPanelFlags;
extern bool gInputPanelWanted;
extern bool gInputPanelShown;

void RecordCreationRect(HWND window);
void CreatePageFonts();
void DeletePageFonts();
void CheckInputPanel(HWND window);
void HandleSize(HWND window, int clientHeight);
void HandleScroll(HWND window, int code);
void UpdateScrollRange(HWND window, int32_t contentHeight);
// Served after EndPaint, in this order.
void ServeRepaintRequest(HWND window);
void ServeInputPanelRequest();
// The window height that the visible desktop leaves for the given panel flags.
int VisibleHeight(const SIPINFO& info);
