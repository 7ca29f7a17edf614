// The tables built in memory (qh-play --book) against the ones the generated file
// compiled into this test program (qh_book_test, from the same test.book).
#include <gtest/gtest.h>

#include <cstring>

#include "tests/bookc/bookc_test_support.h"
#include "tools/bookc/in_memory.h"

namespace {

std::string Words(const BookTables& tables, int paragraph) {
    const ParagraphEntry& row = tables.paragraphs[paragraph];
    if (row.pool < 0) return "(absent)";
    const WordPool& pool = tables.pools[row.pool];
    std::string text;
    for (int32_t w = row.firstWord; w < row.endWord; w++) text += std::string(pool.strings + pool.offsets[w]) + " ";
    return text;
}

class InMemoryBookTest : public testing::Test {
protected:
    void SetUp() override {
        diag = QuietDiagnostics();
        memory = CompileBookInMemory(TreePath("tests/books/test.book"), diag);
        ASSERT_NE(memory, nullptr) << (diag.lines.empty() ? "" : diag.lines[0]);
    }
    Diagnostics diag;
    std::unique_ptr<InMemoryBook> memory;
    const BookTables& compiled = *CompiledBook();
};

}  // namespace

TEST_F(InMemoryBookTest, ParagraphsHoldTheSameWords) {
    const BookTables& built = memory->tables;
    ASSERT_EQ(built.poolCount, compiled.poolCount);
    for (int p = 0; p <= kParagraphRows; p++) {
        EXPECT_EQ(built.paragraphs[p].pool, compiled.paragraphs[p].pool) << p;
        EXPECT_EQ(Words(built, p), Words(compiled, p)) << "paragraph " << p;
    }
    EXPECT_EQ(Words(built, 1), "(absent)");
    EXPECT_EQ(Words(built, 9), "(absent)");
    EXPECT_EQ(Words(built, 14), "");
    EXPECT_EQ(Words(built, 16).size(), 2287u);
    EXPECT_EQ(Words(built, 2).substr(0, 24), "<H>Quiet Harbour Test<J>");
    for (int i = 0; i < built.poolCount; i++) {
        EXPECT_EQ(built.pools[i].wordCount, compiled.pools[i].wordCount);
        EXPECT_EQ(built.pools[i].stringBytes, compiled.pools[i].stringBytes);
        EXPECT_EQ(std::memcmp(built.pools[i].strings, compiled.pools[i].strings, built.pools[i].stringBytes), 0);
    }
}

TEST_F(InMemoryBookTest, HeaderVariablesAndRestartPointsAgree) {
    const BookTables& built = memory->tables;
    EXPECT_STREQ(built.header->title, compiled.header->title);
    EXPECT_STREQ(built.header->supportAddress, compiled.header->supportAddress);
    EXPECT_EQ(built.header->logoPicture, compiled.header->logoPicture);
    for (int v = 0; v < kStoryVariables; v++) {
        const StoryVariable& a = built.variables[v];
        const StoryVariable& b = compiled.variables[v];
        EXPECT_STREQ(a.name, b.name) << v;
        EXPECT_EQ(a.kind, b.kind) << v;
        EXPECT_EQ(a.limit, b.limit) << v;
        EXPECT_EQ(a.minimum, b.minimum) << v;
        EXPECT_EQ(a.inventoryParagraph, b.inventoryParagraph) << v;
        EXPECT_EQ(a.textItems == nullptr, b.textItems == nullptr) << v;
        EXPECT_EQ(a.pictureItems == nullptr, b.pictureItems == nullptr) << v;
        for (int i = 0; a.textItems != nullptr && i < a.limit; i++) EXPECT_STREQ(a.textItems[i], b.textItems[i]);
        for (int i = 0; a.pictureItems != nullptr && i < a.limit; i++) EXPECT_EQ(a.pictureItems[i], b.pictureItems[i]);
    }
    EXPECT_STREQ(built.variables[5].name, "Caf\xE9");
    EXPECT_EQ(built.variables[2].pictureItems[1], 4);
    for (int r = 0; r < kRestartPoints; r++) {
        EXPECT_STREQ(built.restartPoints[r].label, compiled.restartPoints[r].label);
        EXPECT_EQ(built.restartPoints[r].paragraph, compiled.restartPoints[r].paragraph) << r;
        EXPECT_EQ(built.restartPoints[r].used, 0);
    }
}

TEST_F(InMemoryBookTest, PicturesSoundsAndArtworkAgree) {
    const BookTables& built = memory->tables;
    for (int i = 0; i < kPictures; i++) {
        EXPECT_EQ(built.pictures[i].bitmapId, compiled.pictures[i].bitmapId) << i;
        EXPECT_EQ(built.pictures[i].width, compiled.pictures[i].width) << i;
        EXPECT_STREQ(built.pictures[i].description, compiled.pictures[i].description) << i;
    }
    EXPECT_STREQ(compiled.pictures[2].description, "A brass lamp, \"lit\" and \\ swinging.");
    for (int i = 0; i < kSounds; i++)
        EXPECT_EQ(std::u16string(built.soundNames[i]), std::u16string(compiled.soundNames[i])) << i;
    EXPECT_EQ(std::u16string(built.soundNames[0]), u"GULLS");
    EXPECT_EQ(compiled.artwork.pictureFiles, nullptr);
    EXPECT_EQ(std::string(built.artwork.pictureFiles[2]), TreePath("tests/books/art/lamp.bmp"));
    EXPECT_EQ(built.artwork.pictureFiles[8], nullptr);
    EXPECT_EQ(std::string(built.artwork.soundFiles[1]), TreePath("tests/books/art/bell.wav"));
}

TEST(InMemoryBook, ABrokenSourceBuildsNothing) {
    Diagnostics diag = QuietDiagnostics();
    EXPECT_EQ(CompileBookInMemory(TreePath("tests/books/broken/outside_latin1.book"), diag), nullptr);
    EXPECT_EQ(diag.errors, 1);
}

