// Controls on the page: word buttons, picture buttons, command buttons and entry
// boxes, each a child window of the main window recorded in a slot, with a page item
// that says where it stands in the text.
#pragma once

#include <cstdint>

#include "page/identifiers.h"
#include "platform/win32.h"

constexpr int kButtonSlots = 100;
constexpr int kEditSlots = 100;
constexpr int kLabelSize = 200;          // 199 characters and a NUL

struct ButtonSlot {
    int16_t width;
    int16_t height;
    int16_t creationY;
    int32_t creationX;
    int16_t labelLength;
    uint8_t bold;
    HBITMAP bitmap;                       // picture buttons only; owned by the slot
    WCHAR label[kLabelSize];
};

struct EditSlot {
    int16_t width;
    int16_t height;
    int16_t creationY;
    int32_t creationX;
    int16_t maximumLength;
    WNDPROC previousProcedure;
};

// The page's controls, owned by page/controls.cpp: read them here, change them through
// the operations below.
struct PageControls {
    ButtonSlot buttons[kButtonSlots];
    HWND buttonWindows[kButtonSlots];
    int16_t buttonCount;
    int16_t buttonPictureIds[kButtonSlots];   // picture buttons' bitmap ids, for the page dump
    EditSlot edits[kEditSlots];
    HWND editWindows[kEditSlots];
    int16_t editCount;
    bool tableFullShown;                      // the page has had its one table-full message
};
const PageControls& Controls();

int16_t AddWordButton(const char* label);
int16_t AddWordButton(const char* label, int16_t identifier);
int16_t AddPictureButton(int16_t picture);
int16_t AddEntryBox(int16_t maximumLength);
void DrawOwnerButton(const DRAWITEMSTRUCT* item);
LRESULT EntryBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam);

// Takes the next button slot for a control its caller creates itself (the sound
// settings page's check box); returns -1 when the table is full.
int16_t TakeButtonSlot(int16_t width, int16_t height);
// That control's window, once its caller has created it.
void SetButtonWindow(int16_t slot, HWND window);
// True while the keyboard focus is on one of the page's buttons (keyboard play): the
// layout pass then leaves it there instead of giving it to the entry box.
bool FocusOnPageButton();
// Destroys every control of the page and forgets the slots (the page rebuild).
void DestroyPageControls();
// The same, and every slot as at start-up.
void ResetPageControls();
