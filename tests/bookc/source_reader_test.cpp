// The book source parser: each declaration, the rows a book leaves empty, restart
// paragraphs taken from the markup, Latin-1 text, picture descriptions and the length
// warnings.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "tests/bookc/bookc_test_support.h"

TEST(SourceReader, ReadsTheTestBooksHeaderPicturesAndSounds) {
    Diagnostics diag = QuietDiagnostics();
    BookModel book;
    ASSERT_TRUE(ReadBookSource(TreePath("tests/books/test.book"), diag, book)) << diag.lines[0];
    EXPECT_EQ(book.header.title.text, "Quiet Harbour Test");
    EXPECT_EQ(book.header.closingLine.text, "Good luck, and mind the tide.");
    EXPECT_EQ(book.header.supportAddress.text, "support@quietharbour.example");
    EXPECT_EQ(book.header.titlePicture, 1);
    EXPECT_EQ(book.pictures[1].bitmapId, 1702);
    EXPECT_EQ(book.pictures[1].width, 12);    // read from the BMP header
    EXPECT_EQ(book.pictures[1].height, 6);
    EXPECT_TRUE(std::filesystem::path(book.pictures[4].path).is_absolute());
    EXPECT_EQ(book.sounds[1].name, "BELL");
    EXPECT_FALSE(book.pictures[8].declared);
    EXPECT_EQ(diag.errors, 0);
}

TEST(SourceReader, ReadsEachKindOfVariable) {
    Diagnostics diag = QuietDiagnostics();
    auto book = BookFromText(WithStart(
        "variable 7: \"Lantern\" text limit=2 min=0 inventory=17 items=\"unlit\" | \"a \\\"lit\\\" one\"\n"
        "variable 9: \"Crew\" number limit=100 min=-5 inventory=19\n"
        "variable 12: \"Map\" picture min=1 items=14 | 15\n"
        "variable 13: \"Knot\" number\n"
        "variable 14: \"Rope\" text limit=0\n"), diag);
    ASSERT_EQ(diag.errors, 0) << diag.lines[0];
    const VariableSource& lantern = book->variables[7];
    EXPECT_EQ(lantern.kind, kKindTextChoices);
    EXPECT_EQ(lantern.limit, 2);
    EXPECT_EQ(lantern.inventoryParagraph, 17);
    ASSERT_EQ(lantern.textItems.size(), 2u);
    EXPECT_EQ(lantern.textItems[1], "a \"lit\" one");
    EXPECT_EQ(book->variables[9].kind, kKindNumber);
    EXPECT_EQ(book->variables[9].limit, 100);
    EXPECT_EQ(book->variables[9].minimum, -5);
    const VariableSource& map = book->variables[12];
    EXPECT_EQ(map.kind, kKindPictureChoices);
    EXPECT_EQ(map.limit, 2);                  // taken from the items
    EXPECT_EQ(map.minimum, 1);
    EXPECT_EQ(map.pictureItems, (std::vector<int16_t>{14, 15}));
    EXPECT_EQ(book->variables[13].limit, 32767);   // a number without limit= is unbounded
    EXPECT_EQ(book->variables[14].limit, 0);
    EXPECT_TRUE(book->variables[14].textItems.empty());
}

TEST(SourceReader, UndeclaredRowsAreEmpty) {
    Diagnostics diag = QuietDiagnostics();
    auto book = BookFromText(WithStart(""), diag);
    ASSERT_EQ(diag.errors, 0);
    EXPECT_FALSE(book->paragraphs[1].declared);
    const VariableSource& v = book->variables[51];
    EXPECT_EQ(v.name, "");
    EXPECT_EQ(v.limit, 0);
    EXPECT_EQ(v.inventoryParagraph, kDefaultInventoryReference);
    EXPECT_EQ(book->restarts[13].label, "");
    EXPECT_EQ(book->restarts[13].paragraph, kDefaultRestartReference);
    EXPECT_EQ(book->pictures[20].bitmapId, 0);
    EXPECT_EQ(book->sounds[7].name, "");
    EXPECT_EQ(book->header.author.text, "");
}

TEST(SourceReader, SplitsParagraphsIntoWordsAtBlanksAndLineEnds) {
    Diagnostics diag = QuietDiagnostics();
    auto book = BookFromText("paragraph 2: <H>Quay<J>\n"
                             "  The\ttide   is\n"
                             "# a comment inside a body is skipped\n"
                             "\n"
                             "out. <M \"Walk on\" 40> <G>\n"
                             "paragraph 3:\n"
                             "paragraph 4:\n"
                             "title: after the bodies\n", diag);
    ASSERT_EQ(diag.errors, 0) << diag.lines[0];
    const std::vector<SourceWord>& words = book->paragraphs[2].words;
    std::vector<std::string> texts;
    for (const SourceWord& w : words) texts.push_back(w.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"<H>Quay<J>", "The", "tide", "is", "out.", "<M", "\"Walk",
                                                "on\"", "40>", "<G>"}));
    EXPECT_EQ(words[0].pos.line, 1);
    EXPECT_EQ(words[0].pos.column, 14);
    EXPECT_EQ(words[2].pos.line, 2);
    EXPECT_EQ(words[2].pos.column, 7);       // after a tab, one column per character
    EXPECT_EQ(words[4].pos.line, 5);
    EXPECT_TRUE(book->paragraphs[3].declared);
    EXPECT_TRUE(book->paragraphs[3].words.empty());
    EXPECT_EQ(book->header.title.text, "after the bodies");
}

TEST(SourceReader, RestartParagraphComesFromTheMarkupThatSavesIt) {
    Diagnostics diag = QuietDiagnostics();
    BookModel book;
    ASSERT_TRUE(ReadBookSource(TreePath("tests/books/test.book"), diag, book));
    ASSERT_TRUE(FinishBook(book, diag));
    EXPECT_EQ(book.restarts[0].paragraph, 7);    // <s *0> in paragraph 8
    EXPECT_EQ(book.restarts[0].label, "Harbour");
    EXPECT_EQ(book.restarts[1].paragraph, 19);   // paragraph=19 as written
    EXPECT_EQ(book.restarts[2].paragraph, 9);    // <s*2> in paragraph 10
}

TEST(SourceReader, UndeclaredRestartStillFollowsItsSaveCommand) {
    Diagnostics diag = QuietDiagnostics();
    auto book = BookFromText(WithStart("paragraph 30:\n<H>Inn<J><F> <s  *6> <G>\n"), diag);
    ASSERT_EQ(diag.errors, 0);
    EXPECT_EQ(book->restarts[6].paragraph, 29);
    EXPECT_FALSE(book->restarts[6].declared);
}

TEST(SourceReader, ConvertsUtf8ToLatin1) {
    Diagnostics diag = QuietDiagnostics();
    auto book = BookFromText("title: Caf\xC3\xA9 \xC2\xAB" "Ancre\xC2\xBB\n"
                             "paragraph 2:\n\xC3\x89t\xC3\xA9 \xC3\xBF<G>\n", diag);
    ASSERT_EQ(diag.errors, 0);
    EXPECT_EQ(book->header.title.text, "Caf\xE9 \xAB" "Ancre\xBB");
    ASSERT_EQ(book->paragraphs[2].words.size(), 2u);
    EXPECT_EQ(book->paragraphs[2].words[0].text, "\xC9t\xE9");
    EXPECT_EQ(book->paragraphs[2].words[1].text, "\xFF<G>");
    EXPECT_EQ(book->paragraphs[2].words[1].pos.column, 5);   // columns count characters
}

TEST(SourceReader, RejectsTextThatIsNotUtf8OrNotLatin1) {
    struct Case { const char* line; int column; const char* says; };
    const Case cases[] = {
        {"ab\xE2\x82\xAC", 3, "U+20AC is outside Latin-1"},
        {"\xF0\x9F\x8C\x8A wave", 1, "U+1F30A is outside Latin-1"},
        {"caf\xE9", 4, "not UTF-8"},
        {"x\xC0\x80", 2, "not UTF-8"},            // an overlong NUL
    };
    for (const Case& c : cases) {
        Diagnostics diag = QuietDiagnostics();
        std::string latin1;
        EXPECT_FALSE(Utf8LineToLatin1(c.line, 4, diag, latin1));
        ASSERT_EQ(diag.lines.size(), 1u);
        EXPECT_EQ(diag.lines[0].rfind("mem.book:4:" + std::to_string(c.column) + ": error: ", 0), 0u) << diag.lines[0];
        EXPECT_NE(diag.lines[0].find(c.says), std::string::npos) << diag.lines[0];
    }
}

TEST(SourceReader, WarnsAboutWordsAndParagraphsPastTheReadersLimits) {
    std::string longWord(300, 'w');
    std::string atLimit = "<H>L<J> ";
    for (int i = 0; i < 455; i++) atLimit += "tide ";
    atLimit += "<G>";                          // 8 + 455 * 5 + 4 = 2287 characters joined
    Diagnostics diag = QuietDiagnostics();
    auto book = BookFromText(WithStart("paragraph 8:\n" + atLimit + "\nparagraph 9:\n" + atLimit +
                                       " a\nparagraph 10:\nok " + longWord + " <G>\n"), diag);
    EXPECT_EQ(diag.errors, 0);
    ASSERT_EQ(diag.warnings, 2) << diag.lines[0];
    EXPECT_EQ(diag.lines[0], "mem.book:6:1: warning: paragraph 9 has 2289 characters when joined; "
                             "the reader reports \"Too many words\" past 2287");
    EXPECT_EQ(diag.lines[1].rfind("mem.book:9:4: warning: this word has 300 characters", 0), 0u) << diag.lines[1];
}

// A picture's description: the line's own (quoted, with escapes), else the .pic
// drawing's, else none; mistakes on the line are errors at their column.
TEST(SourceReader, PictureDescriptionsComeFromTheLineOrTheDrawing) {
    std::filesystem::path folder = std::filesystem::temp_directory_path() / ("qh_describe-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder / "my art");
    auto write = [&](const char* name, const char* text) {
        std::ofstream((folder / name).string()) << text;
        return (folder / name).string();
    };
    std::string fog = write("my art/fog.pic", "canvas 4 4\ndescription \"Fog over the caf\xC3\xA9.\"\n");
    std::string bare = write("bare.pic", "canvas 4 4\n");
    std::string wide = write("wide.pic", "canvas 4 4\ndescription \"A \xE2\x98\x85\"\n");
    Diagnostics diag = QuietDiagnostics();
    auto book = BookFromText(WithStart("picture 1: 1702 " + fog + "\n" +
                                       "picture 2: 1703 " + fog + " description=\"Lamp \\\"lit\\\", \\\\ on.\"\n" +
                                       "picture 3: 1704 \"" + bare + "\" description=\"Bare\"\n" +
                                       "picture 4: 1705 " + bare + "\n" + "picture 5: 1706 " + wide + "\n"),
                             diag);
    EXPECT_EQ(diag.errors, 0) << (diag.lines.empty() ? "" : diag.lines[0]);
    EXPECT_EQ(book->pictures[1].path, fog);                      // a blank inside the unquoted path
    EXPECT_EQ(book->pictures[1].description, "Fog over the caf\xE9.");   // the drawing's, in Latin-1
    EXPECT_EQ(book->pictures[2].description, "Lamp \"lit\", \\ on.");    // the line's wins
    EXPECT_EQ(book->pictures[3].description, "Bare");
    EXPECT_EQ(book->pictures[4].description, "");
    EXPECT_EQ(book->pictures[5].description, "");
    ASSERT_EQ(diag.warnings, 1);
    EXPECT_NE(diag.lines[0].find("outside Latin-1"), std::string::npos);

    const char* const mistakes[][2] = {
        {"picture 1: 1702 \"art/lamp.bmp\" colour=\"red\"\n", "mem.book:4:32: error: unknown option 'colour'"},
        {"picture 1: 1702 art/lamp.bmp description=Fog\n", "mem.book:4:42: error: description= needs a text in double quotes"},
        {"picture 1: 1702 art/lamp.bmp description=\"a\" description=\"b\"\n", "mem.book:4:46: error: description= is given twice"},
        {"picture 1: 1702 art/lamp.bmp description=\"open\n", "mem.book:4:42: error: missing closing quote"},
    };
    for (const auto& mistake : mistakes) {
        Diagnostics bad = QuietDiagnostics();
        BookFromText(WithStart(mistake[0]), bad);
        ASSERT_FALSE(bad.lines.empty()) << mistake[0];
        EXPECT_EQ(bad.lines[0].rfind(mistake[1], 0), 0u) << bad.lines[0];
    }
    std::filesystem::remove_all(folder);
}
