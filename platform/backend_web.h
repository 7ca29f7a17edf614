// The browser backend (backend_web.cpp): the same Backend interface as the others, and
// what the web edition's start-up tells it about the save file.
#pragma once

#include "platform/backend.h"

extern const Backend kWebBackend;

// The file at path (UTF-8) is the reader's save file: every time it is written, its
// bytes go to the browser's storage under the same name. lockHeld says whether this
// page holds the instance lock; without it the file cannot be opened exclusively, as a
// second program on the desktop cannot open a file the first holds.
void WebKeepFileInStorage(const char* path, bool lockHeld);

// Called each time the reader looks for input, in the reader's own loop: the place for
// work the page hands over (a press in the screen-reader mirror, say), which may open
// a message box and block as any tap may. Null: none.
void WebSetInputHook(void (*hook)());
