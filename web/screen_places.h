// Where the menu bar's buttons stand now, for the web edition's mirror: the window
// system's own answers, kept apart because its header and the page's both name the
// menu bar's height.
#pragma once

#include "platform/win32.h"

bool ToolButtonCentre(int command, int* x, int* y);   // false when the button is not shown
bool MenuButtonCentre(int* x, int* y);
bool ToolPlace(int command, RECT* out);   // kCommandMenu: the "Menu" button; false when not shown
bool ReaderWindowExists();
