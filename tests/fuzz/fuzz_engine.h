// What the engine fuzz targets share: the engine pointed at the compiled test book,
// with a plain main window to own the controls that hotword commands create (as the
// engine unit tests set it up), and the per-input reset of a page and its story.
#pragma once

#include "book/book_tables.h"
#include "book/story_state.h"
#include "markup/scanner.h"
#include "page/controls.h"
#include "page/geometry.h"
#include "page/page_items.h"
#include "shell/main_window.h"
#include "shell/platform/headless.h"
#include "shell/platform/win32.h"

inline LRESULT CALLBACK FuzzHostProc(HWND window, UINT message, WPARAM first, LPARAM second) {
    return DefWindowProcW(window, message, first, second);
}

inline void StartFuzzEngine() {
    UseBook(CompiledBook());
    gInstance = GetModuleHandleW(nullptr);
    WNDCLASSW host = {};
    host.lpfnWndProc = FuzzHostProc;
    host.hInstance = gInstance;
    host.lpszClassName = u"QhFuzzHost";
    RegisterClassW(&host);
    gMainWindow = CreateWindowExW(0, u"QhFuzzHost", u"", WS_VISIBLE, 0, 26, 240, 268, nullptr,
                                  nullptr, gInstance, nullptr);
    RecordCreationRect(gMainWindow);
    CreatePageFonts();
}

// Every input starts from an empty page, a fresh story, the scanner's start-of-page
// values and a fixed random seed, so a finding replays on its own.
inline void ResetFuzzPage() {
    ClearPageItems();
    DestroyPageControls();
    HeadlessClearMessages();
    HeadlessClearSounds();
    ResetStory();
    SeedRandom(1);
    gBuildingBold = false;
    gScan.titleMode = false;
    gScan.skipCount = 0;
    gScan.hotwordCount = 0;
    gScan.lastConditionResult = 1;
}
