// A book without paragraphs 6 and 7 gets the reader's own inventory and hints pages,
// and taps on the inventory page go to the items' pages, not to hotwords.
#include <gtest/gtest.h>

#include <cstring>

#include "book/book_tables.h"
#include "reader_support.h"
#include "shell/window_proc.h"

namespace {

struct BareBook : testing::Test {
    ParagraphEntry rows[kParagraphRows + 1];
    BookTables bare;
    BookTables* saved = nullptr;

    void SetUp() override {
        saved = CompiledBook();
        std::memcpy(rows, Book().paragraphs, sizeof rows);
        rows[6].pool = -1;
        rows[7].pool = -1;
        bare = Book();
        bare.paragraphs = rows;
        UseBook(&bare);
    }
    void TearDown() override {
        UseBook(saved);
        GoTo(8);
    }
};

void Command(int identifier) {
    SendMessageW(Frame().window, WM_COMMAND, WPARAM(identifier), 0);
    HeadlessRun();
}

TEST_F(BareBook, HintsPageStandsInForParagraphSeven) {
    GoTo(8);
    Command(506);
    auto lines = DumpLines();
    EXPECT_EQ(lines[0], "page paragraph=7 story=8 in-story=0 mode=0");
    EXPECT_TRUE(HasLine(lines, "item text \"The idea of an fa\""));
    EXPECT_TRUE(HasLine(lines, "item text \"If you get totally stuck, you can always e-mail us at  support@quietharbour.example\""));
}

TEST_F(BareBook, InventoryPageStandsInForParagraphSixAndRoutesItsTaps) {
    uint8_t lantern[2] = {Book().variables[0].state[0], Book().variables[0].state[1]};
    Book().variables[0].state[0] = 1;
    GoTo(8);
    Command(501);
    auto lines = DumpLines();
    EXPECT_EQ(lines[0], "page paragraph=6 story=8 in-story=0 mode=0");
    EXPECT_TRUE(PageNow().inventoryMode);
    EXPECT_TRUE(HasLine(lines, "item button 5001 \"Lantern\""));
    SendMessageW(Frame().window, WM_COMMAND, WPARAM(5001), 0);   // the Lantern's page: 11
    EXPECT_EQ(DumpLines()[0], "page paragraph=11 story=8 in-story=0 mode=0");
    EXPECT_FALSE(PageNow().inventoryMode);
    Book().variables[0].state[0] = lantern[0];
    Book().variables[0].state[1] = lantern[1];
}

TEST_F(BareBook, EveryCharacterGetsItsLineAndOnlyTheLastIsLeftOutOfTheItems) {
    StoryVariable* rope = &Book().variables[4];
    const char* name = rope->name;
    uint8_t owned = rope->state[0];
    rope->name = "Character";
    rope->state[0] = 1;
    Book().variables[3].state[0] = 1;   // the first Character, owned: listed as an item
    GoTo(8);
    Command(501);
    auto lines = DumpLines();
    std::vector<std::string> items(lines.begin() + 2, lines.begin() + 10);
    std::vector<std::string> expected = {
        "item text \"You are : \"", "item button 5000 \"a sailor\"", "item line",
        "item text \"You are : \"", "item button 5001 \"\"", "item line",
        "item text \"You have the following items\"", "item line"};
    EXPECT_EQ(items, expected);
    EXPECT_TRUE(HasLine(lines, "item button 5002 \"Character\""));
    rope->name = name;
    rope->state[0] = owned;
    Book().variables[3].state[0] = 0;
}

}  // namespace
