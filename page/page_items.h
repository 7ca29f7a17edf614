// The page item list: a page's content in reading order, built once per rebuild and
// read by every paint. Texts live in the page buffer that the items point into.
#pragma once

#include <cstdint>

constexpr int kPageItems = 400;
constexpr int kPageBufferSize = 2688;

enum PageItemKind : int32_t {
    kItemText = 1,
    kItemAlignLeft = 2,
    kItemAlignCentre = 3,
    kItemAlignRight = 4,
    kItemBoldOn = 5,
    kItemBoldOff = 6,
    kItemParagraphBreak = 8,
    kItemLineBreak = 9,
    kItemGap = 10,
    kItemTitle = 12,
    kItemPicture = 13,
    kItemEntryBox = 14,
    kItemButton = 15,
};

struct PageItem {
    int32_t kind;
    int16_t argument;      // picture: bitmap id; entry box / button: slot index
    uint8_t inlineFlag;    // picture only: non-zero stands in the line like a word
    const char* text;      // text run and title only, inside the page buffer
};

// The list being built, owned by page/page_items.cpp: read it here, change it through
// the operations below.
struct PageItemList {
    PageItem items[kPageItems];
    int16_t count;
    char buffer[kPageBufferSize];     // the texts that the items point into
    int16_t bufferUsed;
    bool buildingBold;                // the bold state the markup left, across rebuilds
    bool overflowShown;               // the list-full message, shown once per page
};
const PageItemList& PageItems();

// Empties the list and the buffer (the page rebuild); the building bold state stays.
void ClearPageItems();
// The markup's bold state back to normal, as at start-up (each fuzz input starts there).
void ClearBuildingBold();
// The whole list as at start-up, the building bold state included.
void ResetPageItems();

void EmitText(const char* text);
void EmitTitle(const char* text);
void EmitAlignment(int16_t alignment);   // 0 left, 1 centre, 2 right
void EmitBoldOn();
void EmitBoldOff();
void EmitParagraphBreak();
void EmitLineBreak();
void EmitGap();
void EmitPicture(int16_t picture, uint8_t inlineFlag);
void EmitPictureResource(int16_t bitmapId);

// For the control operations: appends an item of kind 14 or 15 with its slot index.
// Returns false, appending nothing, when the list is full.
bool AppendControlItem(int32_t kind, int16_t slot);
