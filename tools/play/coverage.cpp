// Coverage of the condition blocks: every block of the book is found by reading the
// joined paragraphs as the scanner does, keyed by the index of its command's "<"; the
// markup's block-decided hook then counts, while a page is built, each block rendered
// (taken) or skipped. A block inside a skipped block is never decided at all.
#include "tools/play/coverage.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "book/book_tables.h"
#include "markup/markup_hooks.h"
#include "markup/scanner.h"
#include "shell/navigation.h"
#include "driver/script.h"
#include "tools/play/paragraph_labels.h"

namespace {

struct Block {
    int paragraph;
    int ordinal;           // 1, 2, ... in the paragraph's text order
    std::string command;   // "<O (%2 x 2)>", Latin-1 as the book stores it
    long taken = 0;
    long skipped = 0;
};

struct Coverage {
    std::vector<Block> blocks;
    std::map<std::pair<int, int>, size_t> byPlace;   // (paragraph, index of "<") -> block
    uint8_t start[kStoryVariables][2] = {};
    bool changed[kStoryVariables] = {};
};

Coverage coverage;

// The paragraph's text as AssembleParagraph joins it, cut where the reader cuts it.
std::string JoinedText(int paragraph) {
    const ParagraphEntry& row = ParagraphRow(paragraph);
    std::string text;
    if (row.pool < 0 || row.pool >= Book().poolCount) return text;
    int32_t end = row.endWord < Book().pools[row.pool].wordCount ? row.endWord : Book().pools[row.pool].wordCount;
    for (int32_t word = row.firstWord; word < end; ++word) text += std::string(PoolWord(row.pool, word)) + " ";
    if (text.size() > size_t(kParagraphTextSize - 1)) text.resize(size_t(kParagraphTextSize - 1));
    return text;
}

// Whether the command ending at `after` has a block: its "{" comes before any "<", "}"
// or the end, everything between (a skip count, blanks) being passed over.
bool HasBlock(const std::string& text, size_t after) {
    for (size_t i = after; i < text.size(); ++i) {
        if (text[i] == '{') return true;
        if (text[i] == '<' || text[i] == '}') return false;
    }
    return false;
}

void FindBlocks(int paragraph) {
    std::string text = JoinedText(paragraph);
    int ordinal = 0;
    size_t open = std::string::npos;   // a "<" inside a command starts it anew
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '<') open = i;
        if (text[i] != '>' || open == std::string::npos) continue;
        char letter = open + 1 < i ? text[open + 1] : 0;
        if (std::strchr("OoEu", letter) && letter && HasBlock(text, i + 1)) {
            coverage.byPlace[{paragraph, int(open)}] = coverage.blocks.size();
            coverage.blocks.push_back({paragraph, ++ordinal, text.substr(open, i + 1 - open)});
        }
        open = std::string::npos;
    }
}

void CountDecision(int16_t commandStart, bool rendered) {
    auto found = coverage.byPlace.find({Place().displayedParagraph, commandStart});
    if (found == coverage.byPlace.end()) return;   // a page not built from its own paragraph
    Block& block = coverage.blocks[found->second];
    ++(rendered ? block.taken : block.skipped);
}

bool Declared(const StoryVariable& variable) {
    return (variable.name && *variable.name) || variable.limit != 0 || variable.kind != kKindTextChoices;
}

std::string Name(const Block& block) {
    return ParagraphCalled(block.paragraph) + " #" + std::to_string(block.ordinal) + " " + block.command;
}

// Latin-1 text as UTF-8, without the quotes that QuotedLatin1 adds.
std::string Utf8(const std::string& latin1) {
    std::string quoted = QuotedLatin1(latin1.c_str());
    std::string out;
    for (size_t i = 1; i + 1 < quoted.size(); ++i) {
        if (quoted[i] == '\\') ++i;
        out += quoted[i];
    }
    return out;
}

}  // namespace

void StartCoverage() {
    coverage = Coverage{};
    for (int p = 1; p <= kParagraphRows; ++p) FindBlocks(p);
    SetBlockDecidedHook(CountDecision);
}

void StopCoverage() { SetBlockDecidedHook(nullptr); }

void NoteReadingStart() {
    for (int v = 0; v < kStoryVariables; ++v)
        std::memcpy(coverage.start[v], Book().variables[v].state, 2);
}

void NoteVariables() {
    for (int v = 0; v < kStoryVariables; ++v)
        coverage.changed[v] |= std::memcmp(coverage.start[v], Book().variables[v].state, 2) != 0;
}

void PrintCoverageText(const std::map<int, long>& reached) {
    long neverTaken = 0;
    for (const Block& block : coverage.blocks) neverTaken += block.taken == 0;
    std::printf("condition blocks: %zu, never taken: %ld\n", coverage.blocks.size(), neverTaken);
    std::printf("    taken  skipped  block\n");
    for (const Block& block : coverage.blocks)
        std::printf("%9ld %8ld  %s\n", block.taken, block.skipped, Utf8(Name(block)).c_str());
    std::printf("never taken:%s\n", neverTaken ? "" : " none");
    for (const Block& block : coverage.blocks) {
        if (block.taken) continue;
        std::string why = block.skipped ? "skipped " + std::to_string(block.skipped) + " times"
                          : reached.count(block.paragraph) ? "never decided (an enclosing block was skipped)"
                                                           : "never decided (paragraph never reached)";
        std::printf("  %s: %s\n", Utf8(Name(block)).c_str(), why.c_str());
    }
    std::string unchanged;
    for (int v = 0; v < kStoryVariables; ++v) {
        const StoryVariable& variable = Book().variables[v];
        if (!Declared(variable) || coverage.changed[v]) continue;
        unchanged += "  %" + std::to_string(v) + " " + Utf8(std::string("\"") + (variable.name ? variable.name : "") + "\"") + "\n";
    }
    std::printf("variables never changed:%s\n%s", unchanged.empty() ? " none" : "", unchanged.c_str());
}

std::string CoverageJson() {
    std::string blocks, never, variables;
    for (const Block& block : coverage.blocks) {
        std::string entry = "{\"paragraph\": " + std::to_string(block.paragraph) + ", \"ordinal\": " +
                            std::to_string(block.ordinal) + ", \"command\": " + QuotedLatin1(block.command.c_str()) +
                            ", \"taken\": " + std::to_string(block.taken) + ", \"skipped\": " +
                            std::to_string(block.skipped) + "}";
        blocks += (blocks.empty() ? "" : ", ") + entry;
        if (!block.taken) never += (never.empty() ? "" : ", ") + QuotedLatin1(Name(block).c_str());
    }
    for (int v = 0; v < kStoryVariables; ++v) {
        const StoryVariable& variable = Book().variables[v];
        if (!Declared(variable) || coverage.changed[v]) continue;
        variables += (variables.empty() ? "" : ", ") + std::string("{\"variable\": ") + std::to_string(v) +
                     ", \"name\": " + QuotedLatin1(variable.name ? variable.name : "") + "}";
    }
    return "\"blocks\": [" + blocks + "], \"never_taken\": [" + never + "], \"unchanged_variables\": [" +
           variables + "]";
}
