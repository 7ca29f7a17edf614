// Where the reader keeps its save file on this desktop: $XDG_DATA_HOME/quietharbour/,
// by default ~/.local/share/quietharbour/, the home folder taken from the password
// database when HOME is not set.
#pragma once

#include "platform/win32.h"

// The folder's path, ending in '/', in UTF-8 into path (size bytes with the NUL), without
// creating it. False when no home folder is known or the path does not fit.
bool DataFolderPath(char* path, int size);

// Writes the folder's path, ending in '/', as a UTF-16 name (see PathToName in files.h)
// into path (size characters with the NUL) and creates the folder when it is missing.
// Returns false when no home folder is known, the folder cannot be made or the path does
// not fit; path then holds the folder tried, when there was one, and GetLastError and
// LastFileErrorText tell why.
bool GetDataFolder(WCHAR* path, int size);
