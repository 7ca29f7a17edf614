// --check reads every command as the reader reads it: conditions through the reader's
// condition machine held to their plain form, and every number a command names
// against the book's declarations.
#include <gtest/gtest.h>

#include "tests/bookc/bookc_test_support.h"
#include "tools/bookc/lint.h"
#include "tools/bookc/markup_check.h"

// Every message of --check for a book with variables 0 (a number) and 1 (text
// choices), picture 0, sound 0 and the menu pages, around the paragraph 2 given.
static std::vector<std::string> Messages(const std::string& paragraph2, bool menuPages = true) {
    Diagnostics diag = QuietDiagnostics();
    std::string text = "variable 0: \"Coins\" number limit=10 min=0\n"
                       "variable 1: \"Ticket\" text items=\"none\" | \"return\"\n"
                       "picture 0: 1701 art/lamp.bmp\nsound 0: BELL art/bell.wav\n"
                       "paragraph 2:\n" + paragraph2 + " <G>\n";
    for (int p = menuPages ? 3 : 6; p <= 7; p++) text += "paragraph " + std::to_string(p) + ":\n<G>\n";
    auto book = BookFromText(text, diag);
    EXPECT_EQ(diag.errors, 0) << diag.lines[0];
    CheckBook(*book, diag);
    return diag.lines;
}

static std::string Only(const std::vector<std::string>& lines) {
    return lines.size() == 1 ? lines[0] : "(" + std::to_string(lines.size()) + " messages)";
}

TEST(MarkupCheck, ConditionsOutsideThePlainFormAreErrorsAtTheirPlace) {
    EXPECT_EQ(Only(Messages("<o %0 x 2>{A}")),
              "mem.book:6:4: error: in <o %0 x 2>: a test stands in its own brackets, as (X %n) or (%n = v): "
              "without them the reader tests nothing");
    EXPECT_EQ(Only(Messages("<O (X %1>{A}")),
              "mem.book:6:4: error: in <O (X %1>: this '(' is never closed: the reader leaves the test undone "
              "and takes another value");
    EXPECT_EQ(Only(Messages("<O (%0 == 3)>{A}")),
              "mem.book:6:9: error: in <O (%0 == 3)>: expected a number or %m after '=', found '='");
    EXPECT_EQ(Only(Messages("<O (%0 x)>{A}")),
              "mem.book:6:9: error: in <O (%0 x)>: expected a number or %m after 'x', found ')'");
    EXPECT_EQ(Only(Messages("<O (X %1) and (%0 x 2)>{A}")),
              "mem.book:6:11: error: in <O (X %1) and (%0 x 2)>: expected '&', '|' or the end of the condition, "
              "found 'a' (and is written &, or |)");
    EXPECT_EQ(Only(Messages("<O (%0 = -2)>{A}")),
              "mem.book:6:10: error: in <O (%0 = -2)>: a sign before a number is ignored by the reader: write the "
              "number alone (or %m after '=')");
    // A ">" for "greater than" ends the command: the rest falls out of it.
    std::vector<std::string> cut = Messages("<O (%0 > 2)>{A}");
    ASSERT_FALSE(cut.empty());
    EXPECT_EQ(cut[0], "mem.book:6:8: error: in <O (%0 >: expected a comparison (=, x greater, y less) after the "
                      "variable, found the end of the condition; the '>' at 6:8 ends the command (greater than is "
                      "written x, less than y)");
}

TEST(MarkupCheck, PlainConditionsPassAndMustMeanWhatTheReaderReads) {
    EXPECT_TRUE(Messages("<O (X %1) | (X %1) & (%0 x 3)>{A} <o !!(X %1)>{B} "
                         "<o ((X %1) & (%0 = %1)) | !(%0 y 3)>{C} <E>{D}").empty());
    Diagnostics diag = QuietDiagnostics();
    auto book = BookFromText(WithStart("variable 0: \"A\" number\nvariable 1: \"B\" number\n"
                                       "variable 2: \"C\" number\n"), diag);
    std::string why;
    int at = 0;
    EXPECT_EQ(JudgeCondition(*book, "O (X %1) & ((X %2) | (X %0))", &why, &at), ConditionVerdict::Plain) << why;
    // Ten operators on the stack: the reader reports an overflow.
    EXPECT_EQ(JudgeCondition(*book, "O !!!!!!!!!!(X %1)", &why, &at), ConditionVerdict::ReaderReports);
    EXPECT_EQ(why, "the reader reports \"Operators stack overflow\"");
    // A "!" before a group of three terms whose second is skipped: the reader applies
    // it where the skip stopped, not to the whole group.
    EXPECT_EQ(JudgeCondition(*book, "O !((X %0) & (X %1) & (X %2))", &why, &at), ConditionVerdict::ReadDifferently)
        << why;
    EXPECT_EQ(JudgeCondition(*book, "O (X %9)", &why, &at), ConditionVerdict::BadReference);
    EXPECT_EQ(at, 5);
}

TEST(MarkupCheck, EveryNumberACommandNamesIsDeclared) {
    EXPECT_EQ(Only(Messages("<r %60 1>")), "mem.book:6:4: error: variable 60 does not exist (0 to 51): the reader "
                                           "reports \"Story variable 60 does not exist\"");
    EXPECT_EQ(Only(Messages("<l %7>")), "mem.book:6:4: error: variable 7 is not declared: it has no name, limit 0 "
                                        "and never holds a value");
    EXPECT_EQ(Only(Messages("<O (%1 = %7)>{A}")), "mem.book:6:10: error: variable 7 is not declared: it has no "
                                                  "name, limit 0 and never holds a value");
    EXPECT_EQ(Only(Messages("<v 7>")), "mem.book:6:3: error: picture 7 is not declared: the reader shows nothing here");
    EXPECT_EQ(Only(Messages("<M $3 1>")), "mem.book:6:4: error: picture 3 is not declared: the reader shows nothing here");
    EXPECT_EQ(Only(Messages("<A 9>")), "mem.book:6:3: error: sound 9 does not exist (0 to 7): the reader reports "
                                       "\"Sound 9 does not exist\"");
    EXPECT_EQ(Only(Messages("<s *14>")), "mem.book:6:4: error: restart point 14 does not exist (0 to 13): the reader "
                                         "reports \"Restart point 14 does not exist\"");
    EXPECT_EQ(Only(Messages("<W 3>")), "mem.book:6:3: error: alignment 3 is not 0, 1 or 2: the reader reports it");
    EXPECT_EQ(Only(Messages("<A x>")), "mem.book:6:4: error: <A> needs a number right after it (one blank at "
                                       "most): the reader reads 0");
    EXPECT_EQ(Only(Messages("<V 0 big>")), "mem.book:6:5: error: the reader reads <V 0> and ignores ' big'");
    EXPECT_EQ(Only(Messages("<R %1 5>")), "mem.book:6:7: warning: <R> sets variable 1 to 5, which its limits "
                                          "(min=0, limit=2) make 1");
    EXPECT_EQ(Messages("<M \"Walk\">").at(0), "mem.book:6:10: error: M needs its target here (the paragraph number "
                                              "minus one, or @name): the reader reads 0 and goes to paragraph 1");
    // Labels that show a variable or a picture name one too.
    EXPECT_EQ(Only(Messages("<N %1 %60 1>")), "mem.book:6:7: error: variable 60 does not exist (0 to 51): the reader "
                                              "reports \"Story variable 60 does not exist\"");
    EXPECT_EQ(Only(Messages("<r %0 4 $9 1>")), "mem.book:6:9: error: picture 9 is not declared: the reader shows "
                                               "nothing here");
    EXPECT_EQ(Only(Messages("<r % 4 \"Take\" 1>")), "mem.book:6:4: error: no number right after '%': the reader "
                                                     "reads variable 0");
    // Without a "%" the reader's search for it reads the whole command: nothing after counts.
    EXPECT_EQ(Only(Messages("<r $77 1>")), "mem.book:6:2: error: <r> names no variable (%n): the reader takes "
                                           "variable 0");
    EXPECT_TRUE(Messages("<A 0> <V 0> <v 0> <l %1> <R %0 9> <r %0 -%1> <R %1 z> <N %1> <s *3> <W 1>").empty());
}

TEST(MarkupCheck, MissingMenuPagesSayWhatTheMenuWillShow) {
    std::vector<std::string> lines = Messages("Start", false);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "mem.book:1:1: warning: the book has no paragraph 3: the menu's Restart shows the story page "
                        "before it again, as a side page whose buttons still act");
    EXPECT_NE(lines[1].find("no paragraph 4: the menu's Objective"), std::string::npos);
    EXPECT_NE(lines[2].find("no paragraph 5: the menu's Credits"), std::string::npos);
}

// The title pages' pictures, named on a header line or picture 0 when not.
TEST(MarkupCheck, TheTitlePagesPicturesAreDeclared) {
    auto check = [](const std::string& header) {
        Diagnostics diag = QuietDiagnostics();
        auto book = BookFromText(header + "picture 0: 1701 art/lamp.bmp\nparagraph 2:\nStart <G>\n"
                                          "paragraph 3:\n<G>\nparagraph 4:\n<G>\nparagraph 5:\n<G>\n", diag);
        CheckBook(*book, diag);
        return diag.lines;
    };
    EXPECT_TRUE(check("").empty());
    EXPECT_TRUE(check("logo-picture: 0\ntitle-picture: 0\n").empty());
    EXPECT_EQ(Only(check("logo-picture: 3\n")), "mem.book:1:1: warning: logo-picture: picture 3 is not declared: "
                                                 "the title pages show nothing in its place");
    Diagnostics diag = QuietDiagnostics();
    auto bare = BookFromText("paragraph 2:\nStart <G>\nparagraph 3:\n<G>\nparagraph 4:\n<G>\nparagraph 5:\n<G>\n", diag);
    CheckBook(*bare, diag);
    ASSERT_EQ(diag.lines.size(), 2u);
    EXPECT_EQ(diag.lines[1], "mem.book:1:1: warning: the book has no title-picture: line, so the title pages show "
                             "picture 0, which is not declared (declare it, or name a picture with title-picture:)");
}

// A measure standing in for the page's fonts: 7 pixels a character, 8 in bold.
static int SevenPixels(const std::string& text, bool bold) { return int(text.size()) * (bold ? 8 : 7); }

TEST(MarkupCheck, ButtonsAndPicturesWiderThanThePageAreWarnedAbout) {
    Diagnostics diag = QuietDiagnostics();
    auto book = BookFromText(WithStart("picture 0: 1701 art/map_a.bmp\npicture 1: 1702 art/lamp.bmp\n"
                                       "paragraph 8:\n<M \"Twenty-nine characters long.\" 1> <B><M \"Twenty-six "
                                       "characters long\" 1><D> <M \"Thirty characters, just too wide\" 1> <V 1> <G>\n"),
                             diag);
    ASSERT_EQ(diag.errors, 0) << diag.lines[0];
    book->pictures[1].width = 220;     // one pixel more than the page
    CheckBook(*book, diag, SevenPixels);
    std::vector<std::string> widths;
    for (const std::string& line : diag.lines)
        if (line.find("pixels wide") != std::string::npos) widths.push_back(line);
    ASSERT_EQ(widths.size(), 3u);
    // 29 x 7 + 12 = 215 fits; 26 x 8 + 12 = 220 in bold does not; 32 x 7 + 12 = 236.
    EXPECT_EQ(widths[0], "mem.book:7:44: warning: the button \"Twenty-six characters long\" is 220 pixels wide; the "
                         "page has 219 and clips it (shorten the label or break it into two buttons)");
    EXPECT_NE(widths[1].find("\"Thirty characters, just too wide\" is 236 pixels wide"), std::string::npos);
    EXPECT_EQ(widths[2], "mem.book:7:123: warning: picture 1 is 220 pixels wide; the page shows 219 of it and clips "
                         "the rest");
}
