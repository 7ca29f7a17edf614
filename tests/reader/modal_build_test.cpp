// A message box raised while a page is built, through the platform's real modal loop:
// the box paints the main window while it is still invalid, and that paint must not
// build the page again.
#include <gtest/gtest.h>

#include <cstring>

#include "book/story_state.h"
#include "page/page_state.h"
#include "reader_support.h"

namespace {

int boxesOpened = 0;

// Plays the reader: presses OK on the box that is up, once per wait.
bool PressOk() {
    HWND box = FindWindowW(u"#msgbox", nullptr);
    if (!box) return false;
    ++boxesOpened;
    RECT r;
    GetWindowRect(GetDlgItem(box, IDOK), &r);
    HeadlessTap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    return true;
}

// Builds paragraph 9 (an empty row) from the given markup with boxes that really run.
void BuildWithRealBoxes(const char* markup) {
    GoTo(8);
    LoadParagraphText(markup, std::strlen(markup));
    boxesOpened = 0;
    HeadlessSetAnswer(HeadlessAnswer::Interactive);
    HeadlessSetIdleHandler(PressOk);
    NavigateTo(9, kNavigateStory);
    HeadlessRun();
    HeadlessSetIdleHandler(nullptr);
    HeadlessSetAnswer(HeadlessAnswer::Default);
}

TEST(ModalBuild, AnErrorWhileBuildingShowsOneBoxAndRunsTheCommandsOnce) {
    SetVariableValue(1, 0);
    BuildWithRealBoxes("<r %1 5> Crew<l %1> <W 3> Still here. <G> ");
    EXPECT_EQ(boxesOpened, 1);
    EXPECT_EQ(HeadlessMessageCount(), 1);
    EXPECT_EQ(VariableValue(1), 5);
    EXPECT_EQ(FindWindowW(u"#msgbox", nullptr), nullptr);
    EXPECT_FALSE(PageNow().rebuildWanted);
    // The words after the failing command are on the page and on the screen.
    auto lines = DumpLines();
    EXPECT_TRUE(HasLine(lines, "item text \"Crew 5Still here. \"")) << PageDump();
    HeadlessClearMessages();
}

TEST(ModalBuild, TwoErrorsOnOnePageShowTwoBoxesOnly) {
    SetVariableValue(1, 0);
    BuildWithRealBoxes("<r %1 5> <W 3> <r %1 2> <W 4> Done. <G> ");
    EXPECT_EQ(boxesOpened, 2);
    EXPECT_EQ(VariableValue(1), 7);
    HeadlessClearMessages();
}

}  // namespace
