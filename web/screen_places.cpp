// The menu bar's buttons as the window system places them (see screen_places.h).
#include "web/screen_places.h"

#include "page/identifiers.h"
#include "platform/window_system.h"

static bool Centre(bool shown, const RECT& r, int* x, int* y) {
    if (!shown) return false;
    *x = (r.left + r.right) / 2;
    *y = (r.top + r.bottom) / 2;
    return true;
}

bool ToolButtonCentre(int command, int* x, int* y) {
    RECT r;
    bool shown = ToolButtonScreenRect(command, &r);
    return Centre(shown, r, x, y);
}

bool MenuButtonCentre(int* x, int* y) {
    RECT r;
    bool shown = MenuButtonScreenRect(&r);
    return Centre(shown, r, x, y);
}

bool ToolPlace(int command, RECT* out) {
    return command == kCommandMenu ? MenuButtonScreenRect(out) : ToolButtonScreenRect(command, out);
}

bool ReaderWindowExists() { return MainWindow() != nullptr; }
