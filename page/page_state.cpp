// The page on screen and its flags: one record, so that a rebuild clears it in one
// place and a test can start from the same clear page as the reader.
#include "page/page_state.h"

// Before the first page: one is wanted, and nothing of a page exists yet.
static constexpr PageState kNoPage = {true, false, false, false, -1, {kArrowNone, 0}, {kArrowNone, 0}};
static PageState pageState = kNoPage;

const PageState& PageNow() { return pageState; }

void ClearPageState() {
    pageState.activationLatch = false;
    pageState.inventoryMode = false;
    pageState.soundPage = false;
    pageState.nextArrow = {kArrowNone, 0};
    pageState.previousArrow = {kArrowNone, 0};
}

void ResetPageState() { pageState = kNoPage; }

void RequestRebuild() { pageState.rebuildWanted = true; }

void ClearRebuildRequest() { pageState.rebuildWanted = false; }

bool TakeActivationLatch() {
    if (pageState.activationLatch) return false;
    pageState.activationLatch = true;
    return true;
}

void MarkInventoryPage() { pageState.inventoryMode = true; }

void MarkSoundPage(int16_t checkBoxSlot) {
    pageState.soundPage = true;
    pageState.soundCheckBoxSlot = checkBoxSlot;
}

void SetNextArrow(int16_t reference) { pageState.nextArrow = {kArrowParagraph, reference}; }

void SetPreviousArrow(int16_t reference) { pageState.previousArrow = {kArrowParagraph, reference}; }

void SetArrows(ArrowTarget next, ArrowTarget previous) {
    pageState.nextArrow = next;
    pageState.previousArrow = previous;
}
