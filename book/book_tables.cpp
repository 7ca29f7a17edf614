// The record of table pointers and the two lookups every reader of book text uses.
#include "book/book_tables.h"

static BookTables* book = nullptr;

const BookTables& Book() { return *book; }
void UseBook(BookTables* tables) { book = tables; }

const ParagraphEntry& ParagraphRow(int paragraph) { return Book().paragraphs[paragraph]; }

const char* PoolWord(int pool, int32_t word) {
    const WordPool& p = Book().pools[pool];
    return p.strings + p.offsets[word];
}

// Logo, instructions and other program pictures are no book pictures: they say "picture".
const char* PictureDescription(int bitmapId) {
    for (int i = 0; i < kPictures; i++) {
        const PictureEntry& picture = Book().pictures[i];
        if (picture.bitmapId == bitmapId && picture.description && picture.description[0])
            return picture.description;
    }
    return "picture";
}
