// Page modes and navigation: which page is on screen and which comes next. Every
// navigation changes this state, asks for a rebuild and repaints at once, so the new
// page exists when the operation returns.
#pragma once

#include <cstdint>

#include "book/reader_place.h"
#include "markup/markup_hooks.h"
#include "page/page_state.h"

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


constexpr unsigned kSplashTimer = 1;
constexpr unsigned kSplashInterval = 2000;   // milliseconds

// Owned by shell/navigation.cpp: read it here, change it through the operations below.
// The place itself (paragraph on screen, story position, in the story or not) is the
// book layer's (Place(), book/reader_place.h), which these operations move.
struct NavigationState {
    int32_t pageMode;
    bool autosave;                // the place is written after every story page turn
};
const NavigationState& Navigation();
// As at a fresh start: the presents splash due, the place paragraph 2 in the story.
void ClearNavigation();
// Start-up: the saved place opens at once; a fresh start (the opening paragraph) shows
// the splashes first.
void StartAt(int16_t paragraph);
// The reader saves its place after every story page turn. qh-play explore, which
// reads from a fresh start thousands of times and never resumes, turns that off: the
// durable write costs a disk flush per turn.
void SetAutosave(bool on);
// An author's "test from here": the splash sequence and its timer are dropped, so the
// next navigation shows its paragraph.
void SkipSplashes();
// The menu's side pages leave the story; Start again and the sound page return to it.
void SetInStory(bool inStory);

void NavigateTo(int16_t paragraph, int mode);
void ShowSidePage(int16_t reference);
void ShowSpecialPage(int32_t mode);
void ActivateArrow(ArrowTarget target);
// The page-source selection, called once by every rebuild.
void BuildPageContent();
