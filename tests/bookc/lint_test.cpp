// --check: each warning at its line and column, the exit codes, and the paragraph
// graph that reachability and --graph share.
#include <gtest/gtest.h>

#include "tests/bookc/bookc_test_support.h"
#include "tools/bookc/driver.h"
#include "tools/bookc/graph.h"
#include "tools/bookc/lint.h"

// The warnings of --check for a book given as text (the fixed pages 3 to 7 and the
// title pages' picture are added after it so that only the case itself warns).
static std::vector<std::string> Warnings(const std::string& text) {
    Diagnostics diag = QuietDiagnostics();
    std::string fixed = "picture 0: 1701 art/lamp.bmp\n";
    for (int p = 3; p <= 7; p++) fixed += "paragraph " + std::to_string(p) + ":\n<G>\n";
    for (int v = 1; v <= 3; v++) fixed += "variable " + std::to_string(v) + ": \"V\" number\n";
    auto book = BookFromText(text + fixed, diag);
    EXPECT_EQ(diag.errors, 0) << diag.lines[0];
    CheckBook(*book, diag);
    return diag.lines;
}

#define kTargetHint " (a target is written as the paragraph number minus one, or as @name)"

static std::vector<std::string> Only(const std::string& line) { return {line}; }

TEST(Lint, ACleanBookHasNoWarnings) {
    EXPECT_TRUE(Warnings("paragraph 2:\n<H>Quay<J><F> <O (X %1)>12{<M \"In\" 7>} <E>{<U>} <G>\n"
                         "paragraph 8:\n<L \"Jump\" (5) 1 7> <d \"Go\" (40) 1 (30) 7 1> <S (yes) 1 7> <G>\n")
                    .empty());
}

TEST(Lint, TargetsNamingNoParagraph) {
    EXPECT_EQ(Warnings("paragraph 2:\n<H>Quay<J><F> <M \"Walk\" 40> <G>\n"),
              Only("mem.book:2:25: warning: the M target leads to paragraph 41, which the book does not have" kTargetHint));
    EXPECT_EQ(Warnings("paragraph 2:\n<n 99> <p 1> <G>\n"),
              Only("mem.book:2:4: warning: the n target leads to paragraph 100, which the book does not have" kTargetHint));
    EXPECT_EQ(Warnings("paragraph 2:\n<L \"Jump\" (5) 1\n 60> <G>\n"),
              Only("mem.book:3:2: warning: the L 15/20 target leads to paragraph 61, which the book does not have" kTargetHint));
    EXPECT_EQ(Warnings("paragraph 2:\n<S (open sesame) 1 (ahoy) 33 1> <G>\n"),
              Only("mem.book:2:27: warning: the S \"ahoy\" target leads to paragraph 34, which the book does not have" kTargetHint));
    EXPECT_EQ(Warnings("variable 4: \"Rope\" text inventory=50\nparagraph 2:\n<G>\n"),
              Only("mem.book:1:25: warning: inventory=50 names paragraph 51, which the book does not have"));
    EXPECT_EQ(Warnings("restart 0: paragraph=30\nparagraph 2:\n<u *0 \"Quay\">{<U>} <G>\n"),
              Only("mem.book:3:1: warning: this restart hotword leads to paragraph 31, which the book does not have"));
}

TEST(Lint, CommandLettersAndBlocks) {
    EXPECT_EQ(Warnings("paragraph 2:\nA <Z> b <G>\n"), Only("mem.book:2:3: warning: unknown command letter 'Z'"));
    EXPECT_EQ(Warnings("paragraph 2:\n<> <G>\n"), Only("mem.book:2:1: warning: empty command <>"));
    EXPECT_EQ(Warnings("paragraph 2:\n<O (X %1)> open <G>\n"),
              Only("mem.book:2:1: warning: <O> must be followed by a {...} block"));
    EXPECT_EQ(Warnings("paragraph 2:\nfine } <G>\n"), Only("mem.book:2:6: warning: stray '}': it closes no block"));
    EXPECT_EQ(Warnings("paragraph 2:\n<B>{bold} <G>\n"),
              Only("mem.book:2:4: warning: stray '{': no block command (E, O, o, u) comes before it"));
    EXPECT_EQ(Warnings("paragraph 2:\n<E>\n{never closed <G>\n"),
              Only("mem.book:3:1: warning: this '{' is never closed"));
}

TEST(Lint, ParagraphEndsAndHotwordCount) {
    EXPECT_EQ(Warnings("paragraph 2:\n<H>Quay<J><F> The end\n"),
              Only("mem.book:2:19: warning: paragraph 2 does not end with <G>; its last text run is never shown"));
    std::string many = "paragraph 2:\n";
    for (int i = 0; i < 100; i++) many += "<M \"x\" 1>\n";
    EXPECT_EQ(Warnings(many + "<G>\n"),
              Only("mem.book:101:1: warning: paragraph 2 defines more than 99 hotwords; the reader reports an overflow"));
    EXPECT_TRUE(Warnings("paragraph 2:\n<N %3> <R %3 5> <N %3 \"Take\" 1> <G>\n").empty());
}

TEST(Lint, ParagraphsNothingReaches) {
    EXPECT_EQ(Warnings("paragraph 2:\n<M \"On\" 8> <G>\nparagraph 9:\n<g \"Back\" 1> <G>\nparagraph 20:\n<G>\n"),
              Only("mem.book:5:1: warning: no path from paragraph 2 reaches paragraph 20"));
    // Inventory pages hang off the information page; restart paragraphs off their u.
    EXPECT_TRUE(Warnings("variable 0: \"Rope\" text inventory=10\nrestart 1: paragraph=29\n"
                         "paragraph 2:\n<u *1 \"Inn\">{<U>} <G>\nparagraph 11:\n<G>\nparagraph 30:\n<G>\n")
                    .empty());
}

TEST(Lint, CheckExitsOneOnlyForErrorsOrUnderWerror) {
    std::string warned = TreePath("tests/books/lint/warnings.book");
    Diagnostics diag = QuietDiagnostics();
    std::string out;
    EXPECT_EQ(RunBookCompiler({"--check", warned}, diag, out), 0);
    ASSERT_EQ(diag.lines.size(), 4u);
    EXPECT_EQ(diag.lines[0], warned + ":12:20: warning: unknown command letter 'Z'");
    EXPECT_EQ(diag.lines[1], warned + ":12:42: warning: stray '}': it closes no block");
    EXPECT_EQ(diag.lines[2].rfind(warned + ":10:21: warning: the n target leads to paragraph 41", 0), 0u) << diag.lines[2];
    EXPECT_EQ(diag.lines[3], warned + ":13:1: warning: no path from paragraph 2 reaches paragraph 12");
    Diagnostics strict = QuietDiagnostics();
    EXPECT_EQ(RunBookCompiler({"--check", "--werror", warned}, strict, out), 1);
    Diagnostics broken = QuietDiagnostics();
    EXPECT_EQ(RunBookCompiler({"--check", TreePath("tests/books/broken/repeated_number.book")}, broken, out), 1);
    Diagnostics clean = QuietDiagnostics();
    EXPECT_EQ(RunBookCompiler({"--check", "--werror", TreePath("books/quiet_harbour/quiet_harbour.book")}, clean, out), 0);
}

TEST(Graph, EdgesAreLabelledByTheCommandThatMakesThem) {
    Diagnostics diag = QuietDiagnostics();
    auto book = BookFromText("variable 0: \"Rope\" text inventory=10\nrestart 1: paragraph=29\n"
                             "paragraph 2:\n<H>Quay \"Side\"<J><F> <M \"On\" 7> <L \"Jump\" (5) 8 9> <S (ahoy) 7 8> "
                             "<n 7> <R %2 1 \"Set\" 8> <u *1 \"Inn\">{<U>} <G>\n", diag);
    ASSERT_EQ(diag.errors, 0);
    std::string dot = ParagraphGraphDot(*book);
    for (const char* line : {"\"p2\" [label=\"2\\nQuay \\\"Side\\\"\"];", "\"p2\" -> \"p8\" [label=\"M\"];",
                             "\"p2\" -> \"p9\" [label=\"L 5/20\"];", "\"p2\" -> \"p10\" [label=\"L 15/20\"];",
                             "\"p2\" -> \"p8\" [label=\"S \\\"ahoy\\\"\"];", "\"p2\" -> \"p9\" [label=\"S else\"];",
                             "\"p2\" -> \"p8\" [label=\"n\"];", "\"p2\" -> \"p9\" [label=\"R\"];",
                             "\"p2\" -> \"p30\" [label=\"restart\"];", "\"p6\" -> \"p11\" [label=\"inventory\"];",
                             "menu -> \"p2\" [style=dotted];", "\"p8\" [label=\"8\\n(missing)\", style=dashed];"})
        EXPECT_NE(dot.find(line), std::string::npos) << line << "\n" << dot;
    EXPECT_EQ(dot.rfind("digraph book {\n", 0), 0u);
}
