// Where the reader keeps its save file on this desktop: $XDG_DATA_HOME/quietharbour/,
// by default ~/.local/share/quietharbour/.
#pragma once

#include "platform/win32.h"

// Writes the folder's path, ending in '/', as UTF-16 into path (size characters with the
// NUL) and creates the folder when it is missing. Returns false, writing an empty path,
// when no home folder is known, the folder cannot be made or the path does not fit.
bool GetDataFolder(WCHAR* path, int size);
