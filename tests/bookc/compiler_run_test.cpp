// The compiler as the build runs it: broken sources give one clear error and no
// output, good ones give the generated file and the artwork manifest.
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/bookc/bookc_test_support.h"
#include "tools/bookc/driver.h"

namespace {

struct CompilerRunResult {
    int code;
    Diagnostics diag;
    std::string standardOut;
};

CompilerRunResult RunCompiler(std::vector<std::string> args) {
    CompilerRunResult run = {0, QuietDiagnostics(""), ""};
    run.code = RunBookCompiler(args, run.diag, run.standardOut);
    return run;
}

std::string Scratch(const std::string& name) {
    // Test processes run side by side: each works in its own folder.
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("qh_bookc_tests-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::remove(folder / name);
    return (folder / name).string();
}

std::string FileText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

TEST(CompilerRun, EachBrokenSourceGivesOneErrorAtItsPlaceAndNoOutput) {
    struct Case { const char* book; const char* place; const char* says; };
    const Case cases[] = {
        {"unknown_declaration", "3:1", "unknown declaration 'chapter'"},
        {"number_out_of_range", "6:11", "paragraph number 400 is out of range (1 to 361)"},
        {"repeated_number", "4:10", "variable 2 is declared twice; the first is on line 3"},
        {"missing_quote", "3:13", "missing closing quote"},
        {"missing_quote_header", "1:8", "missing closing quote"},
        {"outside_latin1", "4:30", "U+20AC is outside Latin-1"},
        {"bad_option_value", "3:33", "limit= needs a whole number, found 'lots'"},
        {"unknown_option", "3:27", "unknown option 'size'"},
        {"limit_and_items", "3:28", "limit=3 but 2 items are listed"},
        {"restart_without_paragraph", "3:1", "no paragraph holds <s *4>"},
        {"missing_picture", "3:17", "cannot read the picture file"},
        {"sound_out_of_range", "3:7", "sound number 9 is out of range (0 to 7)"},
        {"stray_text", "2:1", "expected a declaration"},
    };
    for (const Case& c : cases) {
        std::string source = TreePath(std::string("tests/books/broken/") + c.book + ".book");
        std::string out = Scratch("broken.cpp");
        CompilerRunResult run = RunCompiler({"-o", out, source});
        EXPECT_EQ(run.code, 1) << c.book;
        ASSERT_EQ(run.diag.lines.size(), 1u) << c.book;
        const std::string& line = run.diag.lines[0];
        EXPECT_EQ(line.rfind(source + ":" + c.place + ": error: ", 0), 0u) << line;
        EXPECT_NE(line.find(c.says), std::string::npos) << line;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.book;
    }
}

TEST(CompilerRun, AFailedBuildLeavesTheEarlierOutputAlone) {
    std::string out = Scratch("kept.cpp");
    std::ofstream(out) << "// from an earlier build\n";
    CompilerRunResult run = RunCompiler({"-o", out, TreePath("tests/books/broken/missing_quote.book")});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(FileText(out), "// from an earlier build\n");
}

TEST(CompilerRun, WritesTheGeneratedTablesAndTheManifest) {
    std::string out = Scratch("test_book.cpp"), manifest = Scratch("manifest.txt");
    CompilerRunResult run = RunCompiler({"-o", out, "--manifest", manifest, TreePath("tests/books/test.book")});
    ASSERT_EQ(run.code, 0) << (run.diag.lines.empty() ? "" : run.diag.lines[0]);
    std::string tables = FileText(out);
    EXPECT_NE(tables.find("#include \"book/book_tables.h\""), std::string::npos);
    EXPECT_NE(tables.find("BookTables* CompiledBook()"), std::string::npos);
    EXPECT_NE(tables.find("StoryVariable gVariables[kStoryVariables]"), std::string::npos);
    EXPECT_NE(tables.find("\"Caf\\351\""), std::string::npos);     // Latin-1 byte 0xE9, escaped
    std::string art = TreePath("tests/books/art/");
    // each entry follows the place in the book it comes from, for the packer's messages
    std::string expected = "#from " + TreePath("tests/books/test.book") + ":20\nbitmap 1701 " + art + "logo.bmp\n";
    EXPECT_EQ(FileText(manifest).substr(0, expected.size()), expected);
    EXPECT_NE(FileText(manifest).find("wave BELL " + art + "bell.wav\n"), std::string::npos);
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(out).parent_path()))
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << "left behind: " << entry.path();
}

TEST(CompilerRun, RejectsBadCommandLines) {
    struct Case { std::vector<std::string> args; const char* says; };
    const Case cases[] = {
        {{"--pool-limit", "0", "x.book"}, "--pool-limit needs a number of bytes from 1 to 65536, not '0'"},
        {{"--pool-limit", "70000", "x.book"}, "not '70000'"},
        {{"--pool-limit", "many", "x.book"}, "not 'many'"},
        {{"x.book", "--pool-limit"}, "--pool-limit needs a value"},
        {{"--colour", "x.book"}, "unknown option '--colour'"},
        {{"--check"}, "no book file given"},
        {{"x.book"}, "nothing to do"},
    };
    for (const Case& c : cases) {
        CompilerRunResult run = RunCompiler(c.args);
        EXPECT_EQ(run.code, 2);
        ASSERT_EQ(run.diag.lines.size(), 1u);
        EXPECT_EQ(run.diag.lines[0].rfind("qh-bookc: error: ", 0), 0u);
        EXPECT_NE(run.diag.lines[0].find(c.says), std::string::npos) << run.diag.lines[0];
    }
}

TEST(CompilerRun, StatsReportTheSmallerPools) {
    CompilerRunResult run = RunCompiler({"--stats", "--pool-limit", "400", TreePath("tests/books/test.book")});
    ASSERT_EQ(run.code, 0);
    std::istringstream lines(run.standardOut);
    std::string line;
    long pools = 0, occurrences = 0, totalOccurrences = -1, totalPools = -1;
    while (std::getline(lines, line)) {
        long index = 0, words = 0, bytes = 0;
        if (std::sscanf(line.c_str(), "pool %ld: %ld word occurrences, %ld bytes", &index, &words, &bytes) == 3) {
            EXPECT_EQ(index, pools++);
            EXPECT_LE(bytes, 400);
            occurrences += words;
        }
        std::sscanf(line.c_str(), "total: %ld word occurrences in %ld pools", &totalOccurrences, &totalPools);
    }
    EXPECT_GE(pools, 3);
    EXPECT_EQ(totalPools, pools);
    EXPECT_EQ(totalOccurrences, occurrences);
    EXPECT_NE(run.standardOut.find("written out with one blank per word: "), std::string::npos);
}
