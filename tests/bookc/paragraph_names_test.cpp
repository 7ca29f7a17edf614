// Named paragraphs: @name becomes the reference the reader reads, wherever a target
// stands; an unknown name is an error that points at the nearest known one.
#include <gtest/gtest.h>

#include "tests/bookc/bookc_test_support.h"
#include "tools/bookc/graph.h"
#include "tools/bookc/paragraph_names.h"

static std::string WordsOf(const ParagraphSource& paragraph) {
    std::string text;
    for (const SourceWord& word : paragraph.words) text += word.text + " ";
    return text;
}

TEST(ParagraphNames, NamesBecomeReferencesWhereverATargetStands) {
    Diagnostics diag = QuietDiagnostics();
    auto book = BookFromText("variable 0: \"Rope\" text inventory=@rope\nrestart 1: paragraph=@inn\n"
                             "paragraph 2 start:\n<M \"Quay\" @quay> <L \"Jump\" (5) @inn @quay> "
                             "<d \"Go\" (40) @rope (30) 7 @start> <S (ahoy) @inn @quay> <n @quay> <p 1> "
                             "<R %0 1 \"Set\" @inn> <u *1 \"Back\" @start>{<U>} <G>\n"
                             "paragraph 8 quay:\n<G>\nparagraph 11 rope:\n<G>\nparagraph 30 inn:\n<G>\n", diag);
    ASSERT_EQ(diag.errors, 0) << diag.lines[0];
    EXPECT_EQ(WordsOf(book->paragraphs[2]),
              "<M \"Quay\" 7> <L \"Jump\" (5) 29 7> <d \"Go\" (40) 10 (30) 7 1> <S (ahoy) 29 7> <n 7> <p 1> "
              "<R %0 1 \"Set\" 29> <u *1 \"Back\" 1>{<U>} <G> ");
    EXPECT_EQ(book->variables[0].inventoryParagraph, 10);
    EXPECT_EQ(book->restarts[1].paragraph, 29);
    EXPECT_TRUE(book->restarts[1].paragraphGiven);
    EXPECT_EQ(ParagraphLabel(*book, 8), "8 (quay)");
    EXPECT_EQ(ParagraphLabel(*book, 9), "9");
    EXPECT_NE(ParagraphGraphDot(*book).find("\"p8\" [label=\"8 (quay)\"];"), std::string::npos);
}

TEST(ParagraphNames, UnknownAndRepeatedNamesAreErrors) {
    Diagnostics diag = QuietDiagnostics();
    BookFromText("paragraph 2:\n<M \"Quay\" @harbor> <M \"Far\" @nowhere-at-all> <G>\n"
                 "paragraph 8 harbour:\n<G>\nparagraph 9 harbour:\n<G>\n", diag);
    ASSERT_EQ(diag.lines.size(), 3u);
    EXPECT_EQ(diag.lines[0], "mem.book:5:13: error: the name 'harbour' is already paragraph 8's (line 3)");
    EXPECT_EQ(diag.lines[1], "mem.book:2:29: error: no paragraph is named 'nowhere-at-all' (a name is given as "
                             "'paragraph N nowhere-at-all:')");
    EXPECT_EQ(diag.lines[2], "mem.book:2:11: error: no paragraph is named 'harbor'; did you mean @harbour "
                             "(paragraph 8)?");
    // A name stands only where a paragraph is declared; elsewhere the line is text.
    Diagnostics text = QuietDiagnostics();
    auto book = BookFromText("paragraph 2:\nsound 3 loud: the bell <G>\n", text);
    EXPECT_EQ(text.errors, 0);
    EXPECT_EQ(WordsOf(book->paragraphs[2]), "sound 3 loud: the bell <G> ");
}
