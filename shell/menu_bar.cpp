// The menu bar: created from its resources while the main window is created; after
// every rebuild the back-to-story and arrow buttons, or their blank twins, are shown.
#include "shell/menu_bar.h"

#include "page/geometry.h"
#include "page/identifiers.h"
#include "shell/main_window.h"

static HWND menuBar = nullptr;

void ForgetMenuBar() { menuBar = nullptr; }

void CreateMenuBar(HWND window) {
    SHMENUBARINFO info = {};
    info.cbSize = 36;
    info.hwndParent = window;
    info.nToolBarId = kMenuBarId;
    info.hInstRes = Frame().instance;
    info.nBmpId = kToolBitmapId;
    info.cBmpImages = kToolImages;
    if (!SHCreateMenuBar(&info))
        MessageBoxW(window, u"SHCreateMenuBar Failed to create a menu bar", u"Error", MB_OK);
    menuBar = info.hwndMB;
    SipShowIM(SIPF_OFF);
    SetInputPanelWanted(false);
    SetInputPanelShown(false);
}

static void SetToolState(int command, BYTE state) {
    SendMessageW(menuBar, TB_SETSTATE, WPARAM(command), LPARAM(state));
}

// Each button that can disappear has a blank twin that takes its place, so the row
// keeps its width.
static void ShowOneOf(int button, int blank, bool showButton) {
    SetToolState(button, showButton ? TBSTATE_ENABLED : TBSTATE_HIDDEN);
    SetToolState(blank, showButton ? TBSTATE_HIDDEN : TBSTATE_ENABLED);
}

void UpdateToolButtons(bool showBackToStory, bool showPrevious, bool showNext) {
    ShowOneOf(kCommandBackToStory, kCommandBackToStoryBlank, showBackToStory);
    SetToolState(kCommandNext, showNext ? TBSTATE_ENABLED : TBSTATE_HIDDEN);
    ShowOneOf(kCommandPrevious, kCommandPreviousBlank, showPrevious);
}

bool ToolButtonShown(int command) {
    LRESULT state = SendMessageW(menuBar, TB_GETSTATE, WPARAM(command), 0);
    return state != -1 && (state & TBSTATE_HIDDEN) == 0 && (state & TBSTATE_ENABLED) != 0;
}
