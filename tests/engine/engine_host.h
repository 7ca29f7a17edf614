// The engine without the reader: pointed at the compiled test book, with a plain main
// window to own the controls that hotword commands create, and the page fonts. The
// engine tests and the engine fuzz targets start the same way.
#pragma once

#include "book/book_tables.h"
#include "page/geometry.h"
#include "shell/layer_hooks.h"
#include "platform/win32.h"

inline LRESULT CALLBACK EngineHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

inline void StartEngineHost() {
    UseBook(CompiledBook());
    ConnectLayers();
    WNDCLASSW host = {};
    host.lpfnWndProc = EngineHostProc;
    host.hInstance = GetModuleHandleW(nullptr);
    host.lpszClassName = u"QhEngineHost";
    RegisterClassW(&host);
    HWND window = CreateWindowExW(0, u"QhEngineHost", u"", WS_VISIBLE, 0, 26, 240, 268, nullptr,
                                  nullptr, host.hInstance, nullptr);
    RecordCreationRect(window);
    CreatePageFonts();
}
