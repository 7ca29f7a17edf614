// Word pools: every paragraph's words as 16-bit offsets into a string area that
// holds each distinct word of the pool once. A paragraph never spans two pools.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "book/book_tables.h"
#include "tools/bookc/book_model.h"

struct PoolImage {
    std::string strings;               // distinct words, each ending in a zero byte
    std::vector<uint16_t> offsets;     // one per word occurrence, in text order
};

struct PoolLayout {
    std::vector<PoolImage> pools;
    std::array<ParagraphEntry, kParagraphRows + 1> rows;   // row 0 and absent ones: pool -1
};

// Lays the declared paragraphs out in number order, starting a new pool whenever the
// string area would pass stringLimit bytes (at most kPoolStringLimit). Returns false
// (reported) when one paragraph's distinct words alone do not fit a pool.
bool LayOutWordPools(const BookModel& book, int stringLimit, Diagnostics& diag, PoolLayout& layout);

// --stats: per pool its word occurrences and string bytes, and the totals against
// the text written out with one blank per word.
std::string PoolStatistics(const BookModel& book, const PoolLayout& layout);
