// Page modes and navigation: the navigation state, the three operations that change
// it, and the rule by which a rebuild chooses the page's source.
#include "shell/navigation.h"

#include "book/book_tables.h"
#include "shell/inventory_page.h"
#include "markup/scanner.h"
#include "page/controls.h"
#include "page/geometry.h"
#include "shell/builtin_pages.h"
#include "shell/main_window.h"
#include "shell/menu_bar.h"
#include "shell/window_proc.h"

int16_t gDisplayedParagraph = 2;
int16_t gStoryPosition = 2;
bool gInStory = true;
int32_t gPageMode = kPagePresentsSplash;
bool gRebuildFlag = true;
ArrowTarget gNextArrow = {kArrowNone, 0};
ArrowTarget gPreviousArrow = {kArrowNone, 0};

// Every navigation ends here: a new page, from its top, painted before returning.
static void RebuildNow() {
    gScrollOffset = 0;
    gRebuildFlag = true;
    InvalidateRect(gMainWindow, nullptr, TRUE);
    UpdateWindow(gMainWindow);
}

void NavigateTo(int16_t paragraph, int mode) {
    if (mode == kNavigateStory || (mode == kNavigateKeep && gInStory)) {
        gStoryPosition = paragraph;
        gDisplayedParagraph = paragraph;
        gInStory = true;
        RebuildNow();
        return;
    }
    gInStory = false;
    ShowSidePage(int16_t(paragraph - 1));
}

void ShowSidePage(int16_t reference) {
    gDisplayedParagraph = int16_t(reference + 1);
    gInStory = false;
    RebuildNow();
}

void ShowSpecialPage(int32_t mode) {
    gPageMode = mode;
    RebuildNow();
}

void ActivateArrow(ArrowTarget target) {
    if (target.kind == kArrowParagraph) NavigateTo(int16_t(target.value + 1), kNavigateKeep);
    else if (target.kind == kArrowPage) ShowSpecialPage(target.value);
}

void SetNextArrow(int16_t reference) { gNextArrow = {kArrowParagraph, reference}; }

void SetPreviousArrow(int16_t reference) { gPreviousArrow = {kArrowParagraph, reference}; }

// ---------------------------------------------------------------------------
// Page-source selection
// ---------------------------------------------------------------------------

static void StartSplashTimer() { SetTimer(gMainWindow, kSplashTimer, kSplashInterval, nullptr); }

static void BuildTitlePageWithArrows() {
    BuildTitlePage();
    gNextArrow = {kArrowParagraph, 1};
    gPreviousArrow = {kArrowPage, int16_t(kPageTitleSplash)};
    AddWordButton("INSTRUCTIONS", kInstructionsCommand);
}

static void BuildPageForMode() {
    int32_t mode = gPageMode;
    gPageMode = kPageNone;
    switch (mode) {
    case kPagePresentsSplash:
        BuildPresentsSplash();
        gPageMode = kPageTitleSplash;
        StartSplashTimer();
        break;
    case kPageTitleSplash:
        BuildTitleSplash();
        gPageMode = kPageTitle;
        StartSplashTimer();
        break;
    case kPageTitle: BuildTitlePageWithArrows(); break;
    case kPageInstructions: BuildInstructionsPage(); break;
    case kPageAbout: BuildAboutPage(); break;
    case kPageSoundSettings: BuildSoundSettingsPage(); break;
    default: break;
    }
}

// A paragraph outside the table is treated as one whose row is empty.
static bool RowIsEmpty(int16_t paragraph) {
    return paragraph < 1 || paragraph > kParagraphRows || ParagraphRow(paragraph).pool < 0;
}

void BuildPageContent() {
    gNextArrow = {kArrowNone, 0};
    gPreviousArrow = {kArrowNone, 0};
    if (RowIsEmpty(gDisplayedParagraph)) {
        if (gDisplayedParagraph == 6) {
            gInventoryMode = true;
            BuildInventoryPage();
        } else if (gDisplayedParagraph == 7) {
            BuildHintsPage();
        } else {
            ScanMarkup(gScan.paragraphText);
        }
    } else if (gPageMode != kPageNone) {
        BuildPageForMode();
    } else {
        AssembleParagraph(gDisplayedParagraph, gScan.paragraphText);
        ScanMarkup(gScan.paragraphText);
    }
    UpdateToolButtons(!gInStory, gPreviousArrow.kind != kArrowNone, gNextArrow.kind != kArrowNone);
}
