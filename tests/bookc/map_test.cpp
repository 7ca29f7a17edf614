// The map's dot text: what each node's look says, and the coverage report it reads.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/bookc/bookc_test_support.h"
#include "tools/bookc/driver.h"
#include "tools/bookc/map.h"

static std::string NodeLine(const std::string& dot, int paragraph) {
    std::string start = "  p" + std::to_string(paragraph) + " [label=";
    size_t at = dot.find(start);
    return at == std::string::npos ? "" : dot.substr(at, dot.find('\n', at) - at);
}

TEST(Map, NodesShowEndingsDeadEndsAndWhatNothingReaches) {
    Diagnostics diag = QuietDiagnostics();
    auto book = BookFromText("title: Map\nrestart 0: paragraph=1\n"
                             "paragraph 2:\n<H>Quay<J><F> <M \"On\" @end> <M \"Off\" 9> <G>\n"
                             "paragraph 8 end:\n<H>The End<J><F> <u *0 \"Again\">{<U>} <G>\n"
                             "paragraph 10:\n<H>Stuck<J><F> Nothing more. <G>\n"
                             "paragraph 12:\n<H>Lost<J><F> <M \"Back\" 1> <G>\n", diag);
    ASSERT_EQ(diag.errors, 0) << diag.lines[0];
    std::string dot = ParagraphMapDot(*book, nullptr);
    EXPECT_EQ(NodeLine(dot, 2), "  p2 [label=\"2\\nQuay\"];");
    EXPECT_EQ(NodeLine(dot, 8), "  p8 [label=\"8 (end)\\nThe End\", peripheries=2, color=\"#2e7d32\", "
                                "style=\"filled\", fillcolor=\"#c8e6c9\"];");
    EXPECT_EQ(NodeLine(dot, 10), "  p10 [label=\"10\\nStuck\", color=\"#c62828\", style=\"filled\", "
                                 "fillcolor=\"#ffcdd2\"];");
    EXPECT_EQ(NodeLine(dot, 12), "  p12 [label=\"12\\nLost\", style=\"dashed\", fontcolor=\"#757575\", "
                                 "color=\"#9e9e9e\"];");
    EXPECT_NE(dot.find("  p2 -> p8 [label=\"M\"];"), std::string::npos);
    EXPECT_NE(dot.find("  p8 -> p2 [label=\"restart\", style=dotted];"), std::string::npos);
    EXPECT_EQ(dot.find("never reached"), std::string::npos);

    std::set<int> unreached = {10};
    std::string covered = ParagraphMapDot(*book, &unreached);
    EXPECT_NE(NodeLine(covered, 10).find("fillcolor=\"#ffe082\""), std::string::npos) << NodeLine(covered, 10);
    EXPECT_NE(covered.find("yellow: never reached by the readings"), std::string::npos);
}

TEST(Map, CoverageComesFromExploresJsonAndTheMapNeedsARenderer) {
    std::string path = testing::TempDir() + "/coverage.json";
    std::ofstream(path) << "{\"runs\": 3, \"reached\": {\"2\": 3}, \"unreached\": [10, 361], \"dead_ends\": []}";
    Diagnostics diag = QuietDiagnostics();
    std::set<int> unreached;
    ASSERT_TRUE(ReadUnreached(path, diag, unreached));
    EXPECT_EQ(unreached, (std::set<int>{10, 361}));
    std::ofstream(path) << "{\"runs\": 3}";
    EXPECT_FALSE(ReadUnreached(path, diag, unreached));
    EXPECT_NE(diag.lines.back().find("cannot read a coverage report"), std::string::npos);

    std::string out;
    Diagnostics refused = QuietDiagnostics();
    std::string book = TreePath("tests/books/test.book");
    EXPECT_EQ(RunBookCompiler({"--map", testing::TempDir() + "/m.svg", book}, refused, out), 1);
    EXPECT_NE(refused.lines.back().find("draws no maps"), std::string::npos);
    Diagnostics alone = QuietDiagnostics();
    EXPECT_EQ(RunBookCompiler({"--coverage", path, book}, alone, out), 2);
}
