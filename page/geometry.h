// The frame the page is laid out and moved in: the creation rectangle, the two page
// fonts, the scroll state and the view height that the input panel changes.
#pragma once

#include "platform/win32.h"

constexpr int kMenuBarHeight = 26;   // the allowance taken off every view height
constexpr int kLineStep = 16;        // pixels per line-up / line-down scroll step

// The frame, owned by page/geometry.cpp: read it here, change it through the operations
// below.
struct PageFrame {
    HWND window;                 // the main window that the page is drawn in
    HINSTANCE instance;
    RECT creationRect;
    HFONT boldFont;
    HFONT normalFont;
    int32_t scrollOffset;        // minus the scroll position
    int32_t scrollMaximum;
    int32_t viewHeight;
    int32_t lastContentHeight;
    DWORD inputPanelFlags;
    bool inputPanelWanted;       // the page being laid out holds an entry box
    bool inputPanelShown;
    int32_t lastViewHeight;      // the view height the scroll range was last set for
    bool repaintRequest;         // a new scroll range moved the page: repaint after EndPaint
};
const PageFrame& Frame();

// Start-up: the main window's height above the input panel, and the panel's flags.
void SetViewHeight(int32_t height, DWORD inputPanelFlags);
// A new page starts at its top.
void ResetScroll();
// The scroll state and the view as before start-up. The window, its creation rectangle
// and the page fonts stay: they live as long as the window (WM_CREATE to WM_DESTROY).
void ClearPageFrame();
// Set by the layout pass; read by the input-panel check after the paint.
void SetInputPanelWanted(bool wanted);
void SetInputPanelShown(bool shown);
void ForgetContentHeight();

void RecordCreationRect(HWND window);
void CreatePageFonts();
void DeletePageFonts();
void CheckInputPanel(HWND window);
void HandleSize(HWND window, int clientHeight);
void HandleScroll(HWND window, int code);
// Moves the page so that `position` (clamped to the scroll range) is at the top of the
// view: pixels and controls move, and only the uncovered strip is painted.
void ScrollTo(HWND window, int position);
void UpdateScrollRange(HWND window, int32_t contentHeight);
// Served after EndPaint, in this order.
void ServeRepaintRequest(HWND window);
void ServeInputPanelRequest();
// The window height that the visible desktop leaves for the given panel flags.
int VisibleHeight(const SIPINFO& info);
