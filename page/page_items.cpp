// The page item list and the page buffer: what a page shows, in reading order,
// appended while the page is built and read by every paint.
#include "page/page_items.h"

#include <cstring>

#include "book/book_tables.h"
#include "book/error_message.h"

static PageItemList itemList = {};

const PageItemList& PageItems() { return itemList; }

void ClearBuildingBold() { itemList.buildingBold = false; }

void ResetPageItems() { itemList = {}; }

void ClearPageItems() {
    itemList.count = 0;
    itemList.bufferUsed = 0;
    itemList.overflowShown = false;
}

// Returns the next free entry, or null when the page already holds kPageItems.
static PageItem* NextItem() {
    if (itemList.count < kPageItems) return &itemList.items[itemList.count++];
    if (!itemList.overflowShown) {
        itemList.overflowShown = true;
        ShowErrorMessage("Page item list Overflow");
    }
    return nullptr;
}

// Text is copied into the buffer and then merged onto a preceding item of the same
// kind, so a run handed over word by word stays one string. A text that does not fit
// is dropped whole: storing or merging part of it would run past the buffer.
static void AppendText(int32_t kind, const char* text) {
    int length = int(std::strlen(text));
    int used = itemList.bufferUsed;
    if (used + length >= kPageBufferSize) {
        ShowErrorMessage("Page buffer Overflow");
        return;
    }
    std::memcpy(itemList.buffer + used, text, size_t(length) + 1);
    itemList.bufferUsed = int16_t(used + length);
    if (itemList.count > 0 && itemList.items[itemList.count - 1].kind == kind) {
        // The previous text ends with its NUL at used - 1; the merged text ends one
        // byte before the new used count.
        std::memcpy(itemList.buffer + used - 1, text, size_t(length) + 1);
        return;
    }
    itemList.bufferUsed = int16_t(itemList.bufferUsed + 1);
    PageItem* item = NextItem();
    if (!item) return;
    item->kind = kind;
    item->text = itemList.buffer + used;
}

static void AppendPlain(int32_t kind) {
    if (PageItem* item = NextItem()) item->kind = kind;
}

static void AppendPicture(int16_t bitmapId, uint8_t inlineFlag) {
    PageItem* item = NextItem();
    if (!item) return;
    item->kind = kItemPicture;
    item->argument = bitmapId;
    item->inlineFlag = inlineFlag;
}

void EmitText(const char* text) { AppendText(kItemText, text); }
void EmitTitle(const char* text) { AppendText(kItemTitle, text); }
void EmitAlignment(int16_t alignment) { AppendPlain(kItemAlignLeft + alignment); }
void EmitParagraphBreak() { AppendPlain(kItemParagraphBreak); }
void EmitLineBreak() { AppendPlain(kItemLineBreak); }
void EmitGap() { AppendPlain(kItemGap); }

void EmitBoldOn() {
    AppendPlain(kItemBoldOn);
    itemList.buildingBold = true;
}

void EmitBoldOff() {
    AppendPlain(kItemBoldOff);
    itemList.buildingBold = false;
}

// Picture numbers come from markup and item lists; one outside the table is ignored.
void EmitPicture(int16_t picture, uint8_t inlineFlag) {
    if (picture < 0 || picture >= kPictures) return;
    AppendPicture(int16_t(Book().pictures[picture].bitmapId), inlineFlag);
}

void EmitPictureResource(int16_t bitmapId) { AppendPicture(bitmapId, 1); }

bool AppendControlItem(int32_t kind, int16_t slot) {
    PageItem* item = NextItem();
    if (!item) return false;
    item->kind = kind;
    item->argument = slot;
    return true;
}
