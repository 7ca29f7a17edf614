// The markup scanner and paragraph assembly: runs, titles, blocks, skip counts and
// the buffer limits.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "book/book_tables.h"
#include "markup/hotwords.h"
#include "markup/markup_hooks.h"
#include "markup/reset.h"
#include "markup/scanner.h"
#include "page/page_items.h"
#include "page/reset.h"
#include "platform/headless.h"

namespace {

// The page as one readable line per item, so that expectations read like the page.
std::vector<std::string> Items() {
    std::vector<std::string> out;
    for (int i = 0; i < PageItems().count; ++i) {
        const PageItem& item = PageItems().items[i];
        switch (item.kind) {
        case kItemText: out.push_back("text:" + std::string(item.text)); break;
        case kItemTitle: out.push_back("title:" + std::string(item.text)); break;
        default: out.push_back("kind:" + std::to_string(item.kind)); break;
        }
    }
    return out;
}

struct ScannerTest : testing::Test {
    void SetUp() override {
        ResetPage();
        ResetMarkup();
        HeadlessClearMessages();
    }
    void Scan(const std::string& text) {
        ASSERT_LT(text.size(), size_t(kParagraphTextSize));
        LoadParagraphText(text.c_str(), text.size());
        ScanParagraph();
    }
};

using Lines = std::vector<std::string>;

TEST_F(ScannerTest, TitleThenTextRunsSeparatedByCommands) {
    Scan("<H>Gate<J> <F>The gate is open. <a> <G> ");
    EXPECT_EQ(Items(), (Lines{"title:Gate", "text:The gate is open.  "}));
}

TEST_F(ScannerTest, TextWithoutAnyCommandIsNeverEmitted) {
    Scan("just some words ");
    EXPECT_TRUE(Items().empty());
}

TEST_F(ScannerTest, SpacesAreDroppedAtTheStartOfEveryRun) {
    Scan("   lead <F>   after  <G> ");
    EXPECT_EQ(Items(), (Lines{"text:lead after  "}));
}

TEST_F(ScannerTest, StrayOpeningBraceIsLeftOutOfTheRun) {
    Scan("ab{cd <G> ");
    EXPECT_EQ(Items(), (Lines{"text:abcd "}));
}

TEST_F(ScannerTest, ClosingBraceInARunDropsTheSpacesThatFollow) {
    Scan("ab}   cd <G> ");
    EXPECT_EQ(Items(), (Lines{"text:abcd "}));
}

TEST_F(ScannerTest, MarkupWithoutEffectOutsideItsPlace) {
    // ">" outside a command is ignored; digits outside a block command are text.
    Scan("a>b 12 <G> ");
    EXPECT_EQ(Items(), (Lines{"text:ab 12 "}));
}

TEST_F(ScannerTest, ALessThanInsideACommandStartsANewCommand) {
    Scan("x <Hignored<J> y <G> ");
    EXPECT_EQ(Items(), (Lines{"text:x ", "title:", "text:y "}));
}

TEST_F(ScannerTest, TitleModeCollectsAcrossCommandsAndSpaceCommand) {
    Scan("<H>The <F> Old<a>Mill<J>text <G> ");
    EXPECT_EQ(Items(), (Lines{"title:The Old Mill", "text:text "}));
}

TEST_F(ScannerTest, TitleModeCarriesOverIntoTheNextScan) {
    Scan("<H>First ");
    EXPECT_TRUE(::Scan().titleMode);
    Scan("second<J> <G> ");
    EXPECT_EQ(Items(), (Lines{"title:second"}));
}

TEST_F(ScannerTest, LongRunIsFlushedEarlyAtASpaceOnly) {
    std::string run;
    while (run.size() < 160) run += "word ";
    Scan(run + "tail <G> ");
    // The early flush hands over the first part; the merge rule joins it with the rest.
    ASSERT_EQ(PageItems().count, 1);
    EXPECT_EQ(std::string(PageItems().items[0].text), run + "tail ");

    ClearPageItems();
    std::string word(200, 'w');
    Scan(word + " <G> ");
    EXPECT_EQ(Items(), (Lines{"text:" + word + " "}));
}

TEST_F(ScannerTest, WordBufferLimitCutsTheRunAndReportsOnce) {
    std::string word(400, 'q');
    Scan(word + "<G> ");
    ASSERT_EQ(PageItems().count, 1);
    EXPECT_EQ(std::strlen(PageItems().items[0].text), size_t(kWordBufferSize - 1));
    ASSERT_EQ(HeadlessMessageCount(), 1);
    EXPECT_STREQ(HeadlessMessage(0), "300 is Too many letters in word");
}

TEST_F(ScannerTest, CommandBufferLimitCutsTheCommandAndReportsOnce) {
    Scan("<H" + std::string(500, 'z') + "> text<J> <G> ");
    ASSERT_EQ(HeadlessMessageCount(), 1);
    EXPECT_STREQ(HeadlessMessage(0), "400 is Too many letters in command");
    EXPECT_EQ(::Scan().commandLength, 1);  // the G
    EXPECT_EQ(Items(), (Lines{"title:text"}));
}

TEST_F(ScannerTest, StartOfScanResetsRunAndCountsButKeepsBlockValues) {
    Hotword blank = {};
    blank.kind = kHotwordGo;
    for (int i = 0; i < 7; ++i) DefineHotword(blank);
    SetLastConditionResult(0);
    Scan("x");
    EXPECT_EQ(Hotwords().count, 0);
    EXPECT_EQ(::Scan().lastConditionResult, 1);
    EXPECT_STREQ(::Scan().wordBuffer, "x");
}

// Paragraph assembly against a small hand-made book, so that the limits can be set
// exactly.
struct AssemblyTest : testing::Test {
    std::vector<uint16_t> offsets;
    std::string strings;
    WordPool pool{};
    ParagraphEntry rows[kParagraphRows + 1] = {};
    BookTables book{};
    BookTables* saved = nullptr;

    void SetUp() override {
        HeadlessClearMessages();
        for (auto& row : rows) row = {-1, 0, 0};
        saved = CompiledBook();
        book = Book();
        book.paragraphs = rows;
        book.pools = &pool;
        book.poolCount = 1;
        UseBook(&book);
    }
    void TearDown() override { UseBook(saved); }

    // Stores each distinct word once and gives paragraph p the given words.
    void Define(int p, const std::vector<std::string>& words) {
        rows[p] = {0, int32_t(offsets.size()), int32_t(offsets.size() + words.size())};
        for (const std::string& w : words) {
            size_t at = strings.find(w + '\0');
            bool whole = at != std::string::npos && (at == 0 || strings[at - 1] == '\0');
            if (!whole) {
                at = strings.size();
                strings += w;
                strings += '\0';
            }
            offsets.push_back(uint16_t(at));
        }
        pool = {offsets.data(), strings.data(), int32_t(offsets.size()), int32_t(strings.size())};
    }
};

TEST_F(AssemblyTest, WordsAreJoinedEachFollowedByOneBlank) {
    Define(5, {"<H>Quay<J>", "The", "tide", "The", "<G>"});
    char buffer[kParagraphTextSize];
    AssembleParagraph(5, buffer);
    EXPECT_STREQ(buffer, "<H>Quay<J> The tide The <G> ");
    EXPECT_EQ(offsets[1], offsets[3]);  // a repeated word is stored once
}

TEST_F(AssemblyTest, MissingParagraphKeepsTheBufferAndSaysSo) {
    char buffer[kParagraphTextSize] = "previous";
    AssembleParagraph(1, buffer);
    AssembleParagraph(400, buffer);
    EXPECT_STREQ(buffer, "previous");
    ASSERT_EQ(HeadlessMessageCount(), 2);
    EXPECT_STREQ(HeadlessMessage(0), "Paragraph 1 does not exist");
    EXPECT_STREQ(HeadlessMessage(1), "Paragraph 400 does not exist");
}

TEST_F(AssemblyTest, EmptyParagraphGivesEmptyText) {
    Define(6, {});
    char buffer[kParagraphTextSize] = "old";
    AssembleParagraph(6, buffer);
    EXPECT_STREQ(buffer, "");
}

TEST_F(AssemblyTest, TextAtTheLimitFitsAndBeyondItIsCutWithAMessagePerWord) {
    // 228 words of 9 letters and one of 6: 2280 + 7 = 2287 characters exactly.
    std::vector<std::string> words(228, "abcdefghi");
    words.push_back("abcdef");
    Define(8, words);
    char buffer[kParagraphTextSize];
    AssembleParagraph(8, buffer);
    EXPECT_EQ(std::strlen(buffer), size_t(kParagraphTextSize - 1));
    EXPECT_EQ(HeadlessMessageCount(), 0);

    words.push_back("x");
    words.push_back("y");
    Define(9, words);
    AssembleParagraph(9, buffer);
    EXPECT_EQ(std::strlen(buffer), size_t(kParagraphTextSize - 1));
    ASSERT_EQ(HeadlessMessageCount(), 2);
    EXPECT_STREQ(HeadlessMessage(0), "231 is Too many words");
}

}  // namespace

namespace {

// Blocks, with the test book's variable 3 owned or not deciding the conditions.
struct BlockTest : ScannerTest {
    uint8_t saved = 0;
    void SetUp() override {
        ScannerTest::SetUp();   // a count without its brace outlives the scan that read it
        saved = Book().variables[3].state[0];
    }
    void TearDown() override { Book().variables[3].state[0] = saved; }
    void Own(bool owned) { Book().variables[3].state[0] = owned ? 1 : 0; }
};

TEST_F(BlockTest, TheGateParagraph) {
    Own(true);
    Scan("<H>Gate<J> <F>The gate <O (X %3) >{is open. <M \"Open the door\" 41>} <E>{is locked.}<a> <G> ");
    ASSERT_EQ(PageItems().count, 4);
    EXPECT_EQ(Items()[0], "title:Gate");
    EXPECT_EQ(Items()[1], "text:The gate is open. ");
    EXPECT_EQ(PageItems().items[2].kind, kItemButton);
    EXPECT_EQ(Items()[3], "text: ");

    ClearPageItems();
    Own(false);
    Scan("<H>Gate<J> <F>The gate <O (X %3) >{is open. <M \"Open the door\" 41>} <E>{is locked.}<a> <G> ");
    EXPECT_EQ(Items(), (Lines{"title:Gate", "text:The gate is locked. "}));
}

TEST_F(BlockTest, ASkipCountPassesOverInnerBlocksUnseen) {
    Own(false);
    Scan("<O (X %3)>7{a {b} c} after <G> ");           // the 7 characters hide the inner }
    EXPECT_EQ(Items(), (Lines{"text:after "}));
    ClearPageItems();
    Scan("<O (X %3)>{a {b} c} after <G> ");            // no count: the inner } ends the skip,
    EXPECT_EQ(Items(), (Lines{"text:cafter "}));       // and the outer one drops the spaces after c
    ClearPageItems();
    Scan("<O (X %3)>4{<x>}} tail <G> ");                // <, > and } inside the count are passed over
    EXPECT_EQ(Items(), (Lines{"text:tail "}));
}

TEST_F(BlockTest, ASkipCountPastTheEndStopsAtTheEnd) {
    Own(false);
    Scan("<O (X %3)>999{short");
    EXPECT_TRUE(Items().empty());
    EXPECT_EQ(::Scan().paragraphText[::Scan().position], 0);
}

TEST_F(BlockTest, TextBetweenABlockCommandAndAMissingBraceIsDropped) {
    Own(true);
    Scan("<O (X %3)> lost 42 words <F>kept <G> ");
    EXPECT_EQ(Items(), (Lines{"text:kept "}));
    EXPECT_EQ(::Scan().skipCount, 42);
}

TEST_F(BlockTest, ALessThanInsideASkippedBlockIsIgnored) {
    Own(false);
    Scan("<O (X %3)>{skip <M \"Hidden\" 4> this} shown <G> ");
    EXPECT_EQ(Items(), (Lines{"text:shown "}));
    EXPECT_EQ(Hotwords().count, 0);
}

}  // namespace

namespace {

// The block-decided hook: one call per "{" that a block command decides, naming the
// command by its "<" and saying whether the block is rendered.
std::vector<std::pair<int, bool>> decided;
void NoteDecided(int16_t commandStart, bool rendered) { decided.push_back({commandStart, rendered}); }

TEST_F(BlockTest, TheHookSeesEveryDecidedBlockAndNoOther) {
    Own(false);
    decided.clear();
    SetBlockDecidedHook(NoteDecided);
    Scan("<O (X %3)>12{<O (X %3)>{x}} <E>{y} <o (X %3)> <W 1>{z} <<E>{w}<G> ");
    SetBlockDecidedHook(nullptr);
    // The inner O is passed over by the skip count; the o has no brace of its own (the
    // W's "<" comes first), so its block is never decided; the E after "<<" counts from
    // its own "<".
    EXPECT_EQ(decided, (std::vector<std::pair<int, bool>>{{0, false}, {28, true}, {56, true}}));
    EXPECT_EQ(Items(), (Lines{"text:y", "kind:" + std::to_string(kItemAlignCentre), "text:zw"}));
}

}  // namespace
