// Page modes and navigation: the navigation state, the three operations that change
// it, and the rule by which a rebuild chooses the page's source.
#include "shell/navigation.h"

#include "book/book_tables.h"
#include "book/save_file.h"
#include "shell/inventory_page.h"
#include "shell/live_preview.h"
#include "markup/scanner.h"
#include "page/controls.h"
#include "page/geometry.h"
#include "shell/builtin_pages.h"
#include "shell/menu_bar.h"

// A fresh start: the presents splash is due, paragraph 2 is the place.
static constexpr NavigationState kFreshStart = {kPagePresentsSplash, true};
static NavigationState navigationState = kFreshStart;

const NavigationState& Navigation() { return navigationState; }

void ClearNavigation() {
    navigationState = kFreshStart;
    ClearPlace();
}

void StartAt(int16_t paragraph) {
    SetPlace({paragraph, paragraph, Place().inStory});
    if (paragraph != kOpeningParagraph) navigationState.pageMode = kPageNone;
}

void SetInStory(bool inStory) { SetPlace({Place().displayedParagraph, Place().storyPosition, inStory}); }
void SetAutosave(bool on) { navigationState.autosave = on; }

void SkipSplashes() {
    KillTimer(Frame().window, kSplashTimer);
    navigationState.pageMode = kPageNone;
}

// Every navigation ends here: a new page, from its top, painted before returning.
static void RebuildNow() {
    ResetScroll();
    RequestRebuild();
    InvalidateRect(Frame().window, nullptr, TRUE);
    UpdateWindow(Frame().window);
}

void NavigateTo(int16_t paragraph, int mode) {
    if (mode == kNavigateStory || (mode == kNavigateKeep && Place().inStory)) {
        SetPlace({paragraph, paragraph, true});
        RebuildNow();
        // The page turn is complete once its page is built (its commands have changed
        // the story) and its place is on disk.
        if (navigationState.autosave) WriteSaveFile(Place().storyPosition);
        return;
    }
    SetInStory(false);
    ShowSidePage(int16_t(paragraph - 1));
}

void ShowSidePage(int16_t reference) {
    SetPlace({int16_t(reference + 1), Place().storyPosition, false});
    RebuildNow();
}

void ShowSpecialPage(int32_t mode) {
    navigationState.pageMode = mode;
    RebuildNow();
}

void ActivateArrow(ArrowTarget target) {
    if (target.kind == kArrowParagraph) NavigateTo(int16_t(target.value + 1), kNavigateKeep);
    else if (target.kind == kArrowPage) ShowSpecialPage(target.value);
}

// ============================================================================
// Page-source selection
// ============================================================================

static void StartSplashTimer() { SetTimer(Frame().window, kSplashTimer, kSplashInterval, nullptr); }

static void BuildTitlePageWithArrows() {
    BuildTitlePage();
    SetArrows({kArrowParagraph, int16_t(kOpeningParagraph - 1)}, {kArrowPage, int16_t(kPageTitleSplash)});
    AddWordButton("INSTRUCTIONS", kCommandHelp);
}

static void BuildPageForMode() {
    int32_t mode = navigationState.pageMode;
    navigationState.pageMode = kPageNone;
    switch (mode) {
    case kPagePresentsSplash:
        BuildPresentsSplash();
        navigationState.pageMode = kPageTitleSplash;
        StartSplashTimer();
        break;
    case kPageTitleSplash:
        BuildTitleSplash();
        navigationState.pageMode = kPageTitle;
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
    NotePageEntry();
    SetArrows({kArrowNone, 0}, {kArrowNone, 0});
    const int16_t displayed = Place().displayedParagraph;
    if (RowIsEmpty(displayed)) {
        if (displayed == kInformationParagraph) {
            MarkInventoryPage();
            BuildInventoryPage();
        } else if (displayed == kHintsParagraph) {
            BuildHintsPage();
        } else {
            ScanParagraph();
        }
    } else if (navigationState.pageMode != kPageNone) {
        BuildPageForMode();
    } else {
        LoadParagraph(displayed);
        ScanParagraph();
    }
    const PageState& page = PageNow();
    UpdateToolButtons(!Place().inStory, page.previousArrow.kind != kArrowNone,
                      page.nextArrow.kind != kArrowNone);
}
