// The pool builder. Offsets are 16 bits wide, so a string area ends at 65,536 bytes;
// the paragraphs are packed in number order and a paragraph that would push the
// area past the limit opens the next pool instead of being split.
#include "tools/bookc/word_pools.h"

#include <unordered_map>
#include <unordered_set>

namespace {

struct PoolBuilder {
    PoolImage image;
    std::unordered_map<std::string, uint16_t> offsetOf;   // distinct word -> offset
};

}  // namespace

// Bytes the paragraph would add to the pool's string area.
static size_t NewBytes(const PoolBuilder& pool, const ParagraphSource& paragraph) {
    std::unordered_set<std::string> fresh;
    size_t bytes = 0;
    for (const SourceWord& word : paragraph.words)
        if (!pool.offsetOf.count(word.text) && fresh.insert(word.text).second)
            bytes += word.text.size() + 1;
    return bytes;
}

static void AddWords(PoolBuilder& pool, const ParagraphSource& paragraph) {
    for (const SourceWord& word : paragraph.words) {
        auto found = pool.offsetOf.find(word.text);
        if (found == pool.offsetOf.end()) {
            uint16_t offset = static_cast<uint16_t>(pool.image.strings.size());
            found = pool.offsetOf.emplace(word.text, offset).first;
            pool.image.strings += word.text;
            pool.image.strings += '\0';
        }
        pool.image.offsets.push_back(found->second);
    }
}

bool LayOutWordPools(const BookModel& book, int stringLimit, Diagnostics& diag, PoolLayout& layout) {
    if (stringLimit > kPoolStringLimit) stringLimit = kPoolStringLimit;
    layout.rows.fill({-1, 0, 0});
    std::vector<PoolBuilder> pools;
    for (int p = 1; p <= kParagraphRows; p++) {
        const ParagraphSource& paragraph = book.paragraphs[p];
        if (!paragraph.declared) continue;
        size_t needed = pools.empty() ? 0 : NewBytes(pools.back(), paragraph);
        if (pools.empty() || pools.back().image.strings.size() + needed > static_cast<size_t>(stringLimit))
            pools.emplace_back();
        needed = NewBytes(pools.back(), paragraph);
        if (needed > static_cast<size_t>(stringLimit)) {
            ReportError(diag, paragraph.pos, "paragraph %d needs %zu bytes of distinct words, more than one word pool holds (%d)",
                        p, needed, stringLimit);
            return false;
        }
        PoolBuilder& pool = pools.back();
        int32_t first = static_cast<int32_t>(pool.image.offsets.size());
        AddWords(pool, paragraph);
        layout.rows[p] = {static_cast<int16_t>(pools.size() - 1), first,
                          static_cast<int32_t>(pool.image.offsets.size())};
    }
    layout.pools.clear();
    for (PoolBuilder& pool : pools) layout.pools.push_back(std::move(pool.image));
    return true;
}
