// A book compiled in memory into the same record layouts that the generated file
// holds, for qh-play --book: an author sees a change without a rebuild.
#pragma once

#include <array>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "book/book_tables.h"
#include "tools/bookc/book_model.h"
#include "tools/bookc/word_pools.h"

// Owns every table and text that `tables` points at; it must stay where it was
// built (it is only handed out behind a unique_ptr).
struct InMemoryBook {
    std::vector<PoolImage> poolImages;
    std::vector<WordPool> pools;
    std::array<ParagraphEntry, kParagraphRows + 1> paragraphs;
    std::deque<std::string> texts;     // a deque never moves what it holds
    std::array<std::vector<const char*>, kStoryVariables> textItems;
    std::array<std::vector<int16_t>, kStoryVariables> pictureItems;
    BookHeader header;
    std::array<StoryVariable, kStoryVariables> variables;
    std::array<RestartPoint, kRestartPoints> restartPoints;
    Snapshot snapshots[kRestartPoints];
    std::array<PictureEntry, kPictures> pictures;
    std::array<std::u16string, kSounds> soundNameTexts;
    std::array<const char16_t*, kSounds> soundNames;
    std::array<const char*, kPictures> pictureFiles;
    std::array<const char*, kSounds> soundFiles;
    BookTables tables;
    std::array<std::string, kParagraphRows + 1> paragraphNames;   // for the tools' reports
};

std::unique_ptr<InMemoryBook> BuildInMemoryBook(const BookModel& book, const PoolLayout& layout);

// Reads, checks and lays out the book at path; null when an error was reported. With
// lint, the checks of qh-bookc --check run too (the live preview's).
std::unique_ptr<InMemoryBook> CompileBookInMemory(const std::string& path, Diagnostics& diag,
                                                  int poolLimit = kPoolStringLimit, bool lint = false);
