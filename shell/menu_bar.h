// The menu bar at the foot of the screen: the "Menu" pop-up and the picture tool
// buttons, built from resources once, with the arrows following every page.
#pragma once

#include "platform/win32.h"

constexpr UINT kMenuBarId = 102;        // menu and menu-bar description resources
constexpr int kToolBitmapId = 421;
constexpr int kToolImages = 6;

void CreateMenuBar(HWND window);
// Forgets the bar of a window that is gone, as before the first was created.
void ForgetMenuBar();
void UpdateToolButtons(bool showBackToStory, bool showPrevious, bool showNext);
// Whether the tool button of this command is on the bar now (keyboard play's Escape).
bool ToolButtonShown(int command);
