// --stats: how compactly the word pools hold the book's text.
#include <cstdio>

#include "tools/bookc/word_pools.h"

static std::string Line(const char* format, long a, long b, long c = 0) {
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

std::string PoolStatistics(const BookModel& book, const PoolLayout& layout) {
    std::string out;
    long occurrences = 0, stringBytes = 0;
    for (size_t i = 0; i < layout.pools.size(); i++) {
        const PoolImage& pool = layout.pools[i];
        out += Line("pool %ld: %ld word occurrences, %ld bytes of distinct words\n",
                    static_cast<long>(i), static_cast<long>(pool.offsets.size()),
                    static_cast<long>(pool.strings.size()));
        occurrences += static_cast<long>(pool.offsets.size());
        stringBytes += static_cast<long>(pool.strings.size());
    }
    long written = 0;
    for (const ParagraphSource& paragraph : book.paragraphs)
        for (const SourceWord& word : paragraph.words) written += static_cast<long>(word.text.size()) + 1;
    out += Line("total: %ld word occurrences in %ld pools\n", occurrences,
                static_cast<long>(layout.pools.size()));
    out += Line("stored: %ld bytes of offsets + %ld bytes of distinct words = %ld bytes\n",
                2 * occurrences, stringBytes, 2 * occurrences + stringBytes);
    out += Line("written out with one blank per word: %ld bytes\n", written, 0);
    return out;
}
