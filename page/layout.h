// Line layout and painting: every paint lays the whole page item list out into lines
// of whole words, draws text and pictures, and places the page's controls.
#pragma once

#include <cstdint>

#include "platform/win32.h"

constexpr int kLineItems = 10;
constexpr int kLineTextPool = 200;
constexpr int kLineBufferSize = 500;
constexpr int kLeftMargin = 4;

// Module state that other files read (page/layout.cpp).
extern int32_t gDefaultLineHeight;    // tmHeight of the window's default font
extern int32_t gAverageCharWidth;     // tmAveCharWidth of the same font
extern int32_t gRightLimit;           // creation rectangle's right edge minus 4
extern bool gLayoutBold;              // cleared by the page fonts and by Start again

void PaintPage(HWND window);
// How many characters of `text` fit in `*width`: whole words with their space, or the
// whole text. On success width becomes the width used and line height is raised.
int FitWords(WCHAR* lineBuffer, const char* text, int32_t* lineHeight, int32_t* width, HDC dc,
             HFONT font);
void InvertBand(HDC dc, const RECT& band);
