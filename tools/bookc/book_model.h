// The book as the source declares it, before it is laid out into tables: every row
// of every table, whether the source declared it, and where (for the messages).
// Text is already Latin-1, one byte per character.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "book/book_tables.h"
#include "tools/bookc/diagnostics.h"

struct SourceWord {
    std::string text;                  // Latin-1, never empty, no blanks
    SourcePos pos;                     // of its first character
};

struct ParagraphSource {
    bool declared = false;
    SourcePos pos;                     // of the "paragraph N:" line
    std::vector<SourceWord> words;
    std::string name;                  // "paragraph 8 harbour:" names it; "" when unnamed
    SourcePos namePos;
};

struct HeaderField {
    std::string text;
    SourcePos pos;                     // line 0 when the source does not give it
};

struct HeaderSource {
    HeaderField title, copyrightHolder, author, closingLine, webSite, contactAddress,
        supportAddress;
    int16_t logoPicture = 0;           // a book without a logo shows picture 0's row
    int16_t titlePicture = 0;
    SourcePos logoPicturePos, titlePicturePos;
};

// An undeclared variable is nameless text choices with limit 0, minimum 0 and no
// items, whose inventory page is paragraph 6 (reference 5): the information page.
constexpr int16_t kDefaultInventoryReference = 5;

struct VariableSource {
    bool declared = false;
    SourcePos pos;
    std::string name;
    uint8_t kind = kKindTextChoices;
    int16_t limit = 0;
    int16_t minimum = 0;
    int16_t inventoryParagraph = kDefaultInventoryReference;
    SourcePos inventoryPos;            // of the inventory= option, line 0 if none
    std::string inventoryName;         // inventory=@name, resolved when the book is finished
    std::vector<std::string> textItems;
    std::vector<int16_t> pictureItems;
};

// A restart point's paragraph when nothing names one: reference 1, paragraph 2, the
// start of the story, so even an unused row leads somewhere real.
constexpr int16_t kDefaultRestartReference = 1;

struct RestartSource {
    bool declared = false;
    SourcePos pos;
    std::string label;
    bool paragraphGiven = false;       // paragraph= written in the source
    int16_t paragraph = kDefaultRestartReference;
    std::string paragraphName;         // paragraph=@name, resolved when the book is finished
    SourcePos paragraphPos;
};

struct PictureSource {
    bool declared = false;
    SourcePos pos;
    uint16_t bitmapId = 0;
    std::string path;                  // absolute
    uint16_t width = 0, height = 0;    // read from the file when it tells them
    std::string description;           // Latin-1; the line's own, else the .pic's, else ""
};

struct SoundSource {
    bool declared = false;
    SourcePos pos;
    std::string name;                  // resource name, ASCII
    std::string path;                  // absolute
};

struct BookModel {
    std::string sourcePath;
    HeaderSource header;
    std::array<ParagraphSource, kParagraphRows + 1> paragraphs;   // row 0 unused
    std::array<VariableSource, kStoryVariables> variables;
    std::array<RestartSource, kRestartPoints> restarts;
    std::array<PictureSource, kPictures> pictures;
    std::array<SoundSource, kSounds> sounds;
};

// Whether paragraph number p (any int) is a row of the table that the book declares.
bool ParagraphExists(const BookModel& book, int paragraph);

// Limits of the reader's buffers that a book can pass: the reader reports them at
// run time, the compiler warns at once.
constexpr int kLongestWord = 299;          // word buffer of 300 with its NUL
constexpr int kLongestParagraph = 2287;    // paragraph text buffer of 2288 with its NUL

// What needs the whole book read: restart points without paragraph= take the
// paragraph whose markup saves them, and words and paragraphs over the reader's
// limits are warned about. Returns false when an error was reported.
bool FinishBook(BookModel& book, Diagnostics& diag);
