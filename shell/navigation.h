// Page modes and navigation: which page is on screen and which comes next. Every
// navigation changes this state, asks for a rebuild and repaints at once, so the new
// page exists when the operation returns.
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

// A built-in page due instead of a paragraph at the next rebuild.
enum PageMode : int32_t {
    kPageNone = 0,
    kPageTitle = 1,
    kPageTitleSplash = 2,
    kPagePresentsSplash = 3,
    kPageInstructions = 4,
    kPageAbout = 6,
    kPageSoundSettings = 7,
};

constexpr int kNavigateKeep = 0;      // NavigateTo modes
constexpr int kNavigateStory = 1;
constexpr int kNavigateSide = 2;

constexpr unsigned kSplashTimer = 1;
constexpr unsigned kSplashInterval = 2000;   // milliseconds
constexpr int16_t kInstructionsCommand = 513;

// Module state (shell/navigation.cpp).
extern int16_t gDisplayedParagraph;   // a paragraph number, 2 at start
extern int16_t gStoryPosition;        // a paragraph number, 2 at start
extern bool gInStory;
extern int32_t gPageMode;
extern bool gRebuildFlag;
extern ArrowTarget gNextArrow;
extern ArrowTarget gPreviousArrow;

void NavigateTo(int16_t paragraph, int mode);
void ShowSidePage(int16_t reference);
void ShowSpecialPage(int32_t mode);
void ActivateArrow(ArrowTarget target);
// Commands n and p: the arrow leads to paragraph reference + 1.
void SetNextArrow(int16_t reference);
void SetPreviousArrow(int16_t reference);
// The page-source selection, called once by every rebuild.
void BuildPageContent();
