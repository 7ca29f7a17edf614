// The compiled book: record layouts of every table the reader carries, and the one
// record of table pointers through which the engine reaches whichever book it runs.
// Nothing here checks a number against a table's size: callers keep numbers in range.
#pragma once

#include <cstdint>

// ============================================================================
// Counts of this build. Every book compiled into the reader has exactly these rows;
// what a book does not declare is an empty row.
// ============================================================================
constexpr int kParagraphRows = 361;                 // paragraph numbers 1 to 361
constexpr int kStoryVariables = 52;                 // %0 to %51
constexpr int kRestartPoints = 14;                  // *0 to *13
constexpr int kPictures = 21;                       // picture numbers 0 to 20
constexpr int kSounds = 8;                          // sound numbers 0 to 7
constexpr int kSnapshotBytes = 2 * kStoryVariables; // two state bytes per variable
constexpr int kPoolStringLimit = 65536;             // 16-bit offsets reach no further

// Variable kinds.
constexpr uint8_t kKindTextChoices = 0;
constexpr uint8_t kKindNumber = 1;
constexpr uint8_t kKindPictureChoices = 2;

// A word pool: word i is the zero-terminated text at strings + offsets[i].
// The counts are not part of the book's format; they let tools and guards see the ends.
struct WordPool {
    const uint16_t* offsets;
    const char* strings;
    int32_t wordCount;
    int32_t stringBytes;
};

// One row of the paragraph table; pool -1 means the paragraph does not exist.
struct ParagraphEntry {
    int16_t pool;
    int32_t firstWord;
    int32_t endWord;
};

struct BookHeader {
    const char* title;
    const char* copyrightHolder;
    const char* author;
    int16_t logoPicture;
    const char* closingLine;
    int16_t titlePicture;
    const char* webSite;
    const char* contactAddress;
    const char* supportAddress;
};

// Only `state` changes while the reader runs. For numbers the two bytes are one
// little-endian signed 16-bit value; for choices they are the owned flag and the
// choice index.
struct StoryVariable {
    const char* name;
    uint8_t kind;
    uint8_t state[2];
    int16_t limit;
    int16_t minimum;
    int16_t inventoryParagraph;        // a paragraph reference (number minus one)
    const char* const* textItems;      // kind 0: `limit` texts, else null
    const int16_t* pictureItems;       // kind 2: `limit` picture numbers, else null
};

struct RestartPoint {
    const char* label;
    uint8_t used;
    int16_t paragraph;                 // a paragraph reference (number minus one)
};

struct PictureEntry {
    uint16_t bitmapId;
    uint16_t width;                    // width and height are carried but not consulted:
    uint16_t height;                   // layout measures the loaded bitmap itself
    const char* description;           // Latin-1, for screen readers; "" when none
};

typedef uint8_t Snapshot[kSnapshotBytes];

// Artwork of a book compiled in memory (qh-play --book): where its pictures and
// sounds are read from. Compiled-in books carry theirs as program resources and
// leave these null.
struct BookArtwork {
    const char* const* pictureFiles;   // kPictures paths or null entries
    const char* const* soundFiles;     // kSounds paths or null entries
};

// The one record of table pointers. The mutable tables (variables, restart points,
// snapshots) are changed in place.
struct BookTables {
    const WordPool* pools;
    int16_t poolCount;
    const ParagraphEntry* paragraphs;  // kParagraphRows + 1 rows; row 0 is never used
    const BookHeader* header;
    StoryVariable* variables;          // kStoryVariables
    RestartPoint* restartPoints;       // kRestartPoints
    Snapshot* snapshots;               // kRestartPoints
    const PictureEntry* pictures;      // kPictures
    const char16_t* const* soundNames; // kSounds resource names of type "WAVE"
    BookArtwork artwork;
};

// The book the engine runs, owned by book/book_tables.cpp. Start-up points it at the
// compiled-in tables; the story state changes the mutable tables in place.
const BookTables& Book();
void UseBook(BookTables* book);

// The compiled-in book; each generated book library defines it.
BookTables* CompiledBook();

// Lookups.
const ParagraphEntry& ParagraphRow(int paragraph);
const char* PoolWord(int pool, int32_t word);
// What a screen reader says for the bitmap with this resource id (Latin-1): the book's
// description of the picture, else "picture".
const char* PictureDescription(int bitmapId);
