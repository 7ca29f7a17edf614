// The page on screen: what the reader may do with it (the activation latch, whether
// it is the inventory or the sound settings page), where its arrows lead, and whether
// the next paint must build it anew. Every rebuild starts it from a clear record.
#pragma once

#include <cstdint>

// What a tool-bar arrow does: nothing (hidden), go to a paragraph reference, or open
// a built-in page.
constexpr int32_t kArrowNone = 0;
constexpr int32_t kArrowParagraph = 1;
constexpr int32_t kArrowPage = 2;

struct ArrowTarget {
    int32_t kind;
    int16_t value;     // kArrowParagraph: a paragraph reference; kArrowPage: a page mode
};

// Owned by page/page_state.cpp: read it here, change it through the operations below.
struct PageState {
    bool rebuildWanted;          // the next paint builds the page anew
    bool activationLatch;        // a control of this page has already acted
    bool inventoryMode;          // the page's buttons open inventory paragraphs
    bool soundPage;              // the sound settings page, with its check box
    int16_t soundCheckBoxSlot;   // that check box's button slot
    ArrowTarget nextArrow;
    ArrowTarget previousArrow;
};
const PageState& PageNow();

// The rebuild: the latch and the page kinds are cleared; the arrows are hidden until
// the new page's content sets them. The rebuild request and the check box slot stay.
void ClearPageState();
// As before the first page: a rebuild wanted, no check box, every flag clear.
void ResetPageState();

void RequestRebuild();
// The paint that served the request clears it.
void ClearRebuildRequest();

// True when the latch was free: the caller's control is the page's one action.
bool TakeActivationLatch();
void MarkInventoryPage();
void MarkSoundPage(int16_t checkBoxSlot);

// Commands n and p: the arrow leads to paragraph reference + 1.
void SetNextArrow(int16_t reference);
void SetPreviousArrow(int16_t reference);
void SetArrows(ArrowTarget next, ArrowTarget previous);
