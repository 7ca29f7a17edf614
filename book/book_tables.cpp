// The record of table pointers and the two lookups every reader of book text uses.
#include "book/book_tables.h"

BookTables* gBook = nullptr;

void UseBook(BookTables* book) { gBook = book; }

const ParagraphEntry& ParagraphRow(int paragraph) { return gBook->paragraphs[paragraph]; }

const char* PoolWord(int pool, int32_t word) {
    const WordPool& p = gBook->pools[pool];
    return p.strings + p.offsets[word];
}
