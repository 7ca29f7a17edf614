// Engine tests run against the compiled test book, with a plain main window to own the
// controls that hotword commands create.
#include <gtest/gtest.h>

#include "book/book_tables.h"
#include "page/geometry.h"
#include "shell/main_window.h"
#include "shell/platform/win32.h"

static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM first, LPARAM second) {
    return DefWindowProcW(window, message, first, second);
}

int main(int argc, char** argv) {
    UseBook(CompiledBook());
    gInstance = GetModuleHandleW(nullptr);
    WNDCLASSW host = {};
    host.lpfnWndProc = HostProc;
    host.hInstance = gInstance;
    host.lpszClassName = u"QhEngineTestHost";
    RegisterClassW(&host);
    gMainWindow = CreateWindowExW(0, u"QhEngineTestHost", u"", WS_VISIBLE, 0, 26, 240, 268, nullptr,
                                  nullptr, gInstance, nullptr);
    RecordCreationRect(gMainWindow);
    CreatePageFonts();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
