// The pages the reader builds itself: sound settings with its check box, the
// instructions page's pictures, and the inventory page's rules.
#include <gtest/gtest.h>

#include "book/book_tables.h"
#include "shell/inventory_page.h"
#include "book/save_file.h"
#include "page/controls.h"
#include "reader_support.h"
#include "shell/window_proc.h"

namespace {

void Command(int identifier) {
    SendMessageW(Frame().window, WM_COMMAND, WPARAM(identifier), 0);
    HeadlessRun();
}

HWND SoundBox() { return Controls().buttonWindows[PageNow().soundCheckBoxSlot]; }

void ClickSoundBox() {
    RECT rect;
    GetWindowRect(SoundBox(), &rect);
    HeadlessTap((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

TEST(SoundPage, TheBoxShowsTheSettingAndOkOrBackApplyIt) {
    SetSoundSetting(1);
    GoTo(8);
    Command(504);
    EXPECT_TRUE(HasLine(DumpLines(), "item checkbox 518 \"Sound\" checked=1"));
    ClickSoundBox();
    EXPECT_TRUE(HasLine(DumpLines(), "item checkbox 518 \"Sound\" checked=0"));
    EXPECT_EQ(SoundSetting(), 1);   // nothing applies until the page is left with Ok
    Command(519);
    EXPECT_EQ(SoundSetting(), 0);
    EXPECT_EQ(DumpLines()[0], "page paragraph=8 story=8 in-story=1 mode=0");

    Command(504);
    EXPECT_TRUE(HasLine(DumpLines(), "item checkbox 518 \"Sound\" checked=0"));
    ClickSoundBox();
    Command(510);                   // back-to-story applies it as Ok does
    EXPECT_EQ(SoundSetting(), 1);
}

TEST(SoundPage, AMenuCommandDiscardsTheBox) {
    SetSoundSetting(1);
    GoTo(8);
    Command(504);
    ClickSoundBox();
    Command(503);
    EXPECT_EQ(SoundSetting(), 1);
    EXPECT_FALSE(PageNow().soundPage);
}

TEST(InstructionsPage, ShowsItsSixPicturesAmongTheText) {
    GoTo(8);
    Command(513);
    auto lines = DumpLines();
    for (int id = 1101; id <= 1106; ++id)
        EXPECT_TRUE(HasLine(lines, "item picture " + std::to_string(id) + " inline")) << id;
    EXPECT_TRUE(HasLine(lines, "item text \"The above three Arrows only appear if the function is available. \""));
}

// The built-in inventory page, built as the page source would build it.
struct InventoryPage : testing::Test {
    uint8_t saved[kStoryVariables][2];
    void SetUp() override {
        for (int k = 0; k < kStoryVariables; ++k) {
            saved[k][0] = Book().variables[k].state[0];
            saved[k][1] = Book().variables[k].state[1];
            Book().variables[k].state[0] = Book().variables[k].state[1] = 0;
        }
        GoTo(8);
        DestroyPageControls();
        ClearPageItems();
    }
    void TearDown() override {
        for (int k = 0; k < kStoryVariables; ++k) {
            Book().variables[k].state[0] = saved[k][0];
            Book().variables[k].state[1] = saved[k][1];
        }
        GoTo(8);
    }
};

TEST_F(InventoryPage, CharacterLineThenOwnedItemsWithTheirStates) {
    Book().variables[3].state[1] = 2;   // Character: the keeper
    Book().variables[3].state[0] = 1;   // owned, yet never listed as an item
    Book().variables[0].state[0] = 1;   // Lantern, lit
    Book().variables[0].state[1] = 1;
    Book().variables[4].state[0] = 1;   // Rope: no item list
    Book().variables[5].state[0] = 2;   // a flag other than 1 is not listed
    BuildInventoryPage();
    auto lines = DumpLines();
    std::vector<std::string> items(lines.begin() + 2, lines.end());
    std::vector<std::string> expected = {
        "item text \"You are : \"", "item button 5000 \"the keeper\"", "item line",
        "item text \"You have the following items\"", "item line",
        "item button 5001 \"Lantern\"", "item text \" : lit\"", "item line",
        "item button 5002 \"Rope\""};
    EXPECT_EQ(items, expected);
}

TEST_F(InventoryPage, ATapOpensTheItemsPageAsASidePage) {
    Book().variables[0].state[0] = 1;
    BuildInventoryPage();
    ActivateInventoryButton(5001);   // Lantern: inventory reference 10
    EXPECT_EQ(DumpLines()[0], "page paragraph=11 story=8 in-story=0 mode=0");
}

}  // namespace
