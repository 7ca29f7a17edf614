// Pool layout: distinct words once per pool, equal offsets for repeated words, no
// paragraph across two pools, new pools when the string area would pass the limit.
#include <gtest/gtest.h>

#include <set>

#include "tests/bookc/bookc_test_support.h"
#include "tools/bookc/word_pools.h"

static std::string WordAt(const PoolLayout& layout, int pool, int word) {
    const PoolImage& p = layout.pools[pool];
    return std::string(p.strings.c_str() + p.offsets[word]);
}

static std::vector<std::string> ParagraphWords(const PoolLayout& layout, int paragraph) {
    const ParagraphEntry& row = layout.rows[paragraph];
    std::vector<std::string> words;
    for (int w = row.firstWord; w < row.endWord; w++) words.push_back(WordAt(layout, row.pool, w));
    return words;
}

static std::unique_ptr<BookModel> TestBook(Diagnostics& diag) {
    auto book = std::make_unique<BookModel>();
    EXPECT_TRUE(ReadBookSource(TreePath("tests/books/test.book"), diag, *book));
    EXPECT_TRUE(FinishBook(*book, diag));
    return book;
}

TEST(WordPools, StoresEachDistinctWordOnceAndRepeatsItsOffset) {
    Diagnostics diag = QuietDiagnostics();
    auto book = TestBook(diag);
    PoolLayout layout;
    ASSERT_TRUE(LayOutWordPools(*book, kPoolStringLimit, diag, layout));
    ASSERT_EQ(layout.pools.size(), 1u);
    const ParagraphEntry& echo = layout.rows[15];
    std::set<uint16_t> againOffsets;
    for (int w = echo.firstWord; w < echo.endWord; w++)
        if (WordAt(layout, 0, w) == "again") againOffsets.insert(layout.pools[0].offsets[w]);
    EXPECT_EQ(againOffsets.size(), 1u);
    std::set<std::string> seen;
    const std::string& strings = layout.pools[0].strings;
    for (size_t at = 0; at < strings.size(); at = strings.find('\0', at) + 1)
        EXPECT_TRUE(seen.insert(strings.c_str() + at).second) << "stored twice: " << strings.c_str() + at;
}

TEST(WordPools, KeepsTheWordsOfEveryParagraphInOrder) {
    Diagnostics diag = QuietDiagnostics();
    auto book = TestBook(diag);
    PoolLayout layout;
    ASSERT_TRUE(LayOutWordPools(*book, kPoolStringLimit, diag, layout));
    for (int p = 1; p <= kParagraphRows; p++) {
        if (!book->paragraphs[p].declared) {
            EXPECT_EQ(layout.rows[p].pool, -1) << p;
            continue;
        }
        std::vector<std::string> expected;
        for (const SourceWord& w : book->paragraphs[p].words) expected.push_back(w.text);
        EXPECT_EQ(ParagraphWords(layout, p), expected) << "paragraph " << p;
    }
    EXPECT_EQ(layout.rows[0].pool, -1);
    EXPECT_EQ(layout.rows[14].firstWord, layout.rows[14].endWord);   // the empty paragraph
    EXPECT_EQ(layout.rows[14].pool, 0);
}

TEST(WordPools, ALowLimitSplitsTheBookWithoutSplittingAParagraph) {
    Diagnostics diag = QuietDiagnostics();
    auto book = TestBook(diag);
    PoolLayout layout;
    const int limit = 300;
    ASSERT_TRUE(LayOutWordPools(*book, limit, diag, layout));
    ASSERT_GE(layout.pools.size(), 3u);
    for (const PoolImage& pool : layout.pools) EXPECT_LE(pool.strings.size(), static_cast<size_t>(limit));
    std::vector<int32_t> used(layout.pools.size(), 0);
    for (int p = 1; p <= kParagraphRows; p++) {
        const ParagraphEntry& row = layout.rows[p];
        if (row.pool < 0) continue;
        ASSERT_LT(row.pool, static_cast<int>(layout.pools.size()));
        EXPECT_EQ(row.firstWord, used[row.pool]) << "paragraph " << p << " does not follow the one before";
        used[row.pool] = row.endWord;
        std::vector<std::string> expected;
        for (const SourceWord& w : book->paragraphs[p].words) expected.push_back(w.text);
        EXPECT_EQ(ParagraphWords(layout, p), expected) << "paragraph " << p;
    }
    for (size_t i = 0; i < layout.pools.size(); i++)
        EXPECT_EQ(used[i], static_cast<int32_t>(layout.pools[i].offsets.size()));
    // A word used in two pools is stored in each: "<G>" ends every page.
    for (const PoolImage& pool : layout.pools)
        EXPECT_NE(pool.strings.find(std::string("<G>\0", 4)), std::string::npos);
}

TEST(WordPools, AParagraphLargerThanAPoolIsAnError) {
    Diagnostics diag = QuietDiagnostics();
    auto book = BookFromText(WithStart("paragraph 5:\naaaa bbbb cccc dddd <G>\n"), diag);
    PoolLayout layout;
    EXPECT_FALSE(LayOutWordPools(*book, 20, diag, layout));
    ASSERT_EQ(diag.lines.size(), 1u);
    EXPECT_EQ(diag.lines[0], "mem.book:4:1: error: paragraph 5 needs 24 bytes of distinct words, "
                             "more than one word pool holds (20)");
}

TEST(WordPools, StatisticsCountOccurrencesAndBytes) {
    Diagnostics diag = QuietDiagnostics();
    auto book = BookFromText("paragraph 2:\nab ab cd <G>\nparagraph 3:\nab <G>\n", diag);
    PoolLayout layout;
    ASSERT_TRUE(LayOutWordPools(*book, kPoolStringLimit, diag, layout));
    EXPECT_EQ(PoolStatistics(*book, layout),
              "pool 0: 6 word occurrences, 10 bytes of distinct words\n"
              "total: 6 word occurrences in 1 pools\n"
              "stored: 12 bytes of offsets + 10 bytes of distinct words = 22 bytes\n"
              "written out with one blank per word: 20 bytes\n");
}
