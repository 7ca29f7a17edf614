// Line layout and painting: every paint lays the whole page item list out into lines
// of whole words, draws text and pictures, and places the page's controls.
#pragma once

#include <cstdint>

#include "platform/win32.h"

constexpr int kLineItems = 10;
constexpr int kLineTextPool = 200;
constexpr int kLineBufferSize = 500;
constexpr int kLeftMargin = 4;

// Measures of the default font and the page's right edge, owned by page/layout.cpp.
struct LayoutMetrics {
    int32_t defaultLineHeight;   // tmHeight of the window's default font
    int32_t averageCharWidth;    // tmAveCharWidth of the same font
    int32_t rightLimit;          // creation rectangle's right edge minus 4
    bool bold;                   // cleared by the page fonts and by Start again
};
const LayoutMetrics& Metrics();
void ResetLayoutBold();
// The measures and the layout's working state as before the first paint.
void ClearLayout();

// What a rebuild puts on the page: the shell hands its page-source selection to the
// layout at start-up, since the page layer cannot know the reader's pages.
typedef void (*PageContentBuilder)();
void SetPageContentBuilder(PageContentBuilder builder);

void PaintPage(HWND window);
// True while a paint builds the page (a message box raised by its markup may be up).
bool BuildingPage();
// How many characters of `text` fit in `*width`: whole words with their space, or the
// whole text. On success width becomes the width used and line height is raised.
int FitWords(WCHAR* lineBuffer, const char* text, int32_t* lineHeight, int32_t* width, HDC dc,
             HFONT font);
void InvertBand(HDC dc, const RECT& band);
