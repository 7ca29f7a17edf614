// A static reading of a paragraph's markup, for the checks and the paragraph graph:
// the commands it holds and the paragraphs they name, read the way the reader's
// command set reads its arguments. Nothing here runs a command.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/bookc/book_model.h"

// A paragraph joined as the reader joins it (each word followed by one blank), with
// the source place of every character.
struct JoinedParagraph {
    std::string text;
    std::vector<SourcePos> pos;        // one per character of text
};

JoinedParagraph JoinParagraph(const ParagraphSource& paragraph);

// The text between "<" and ">", without them. A "<" inside a command starts it anew,
// as in the reader's scanner; a command left open at the end is not listed.
struct MarkupCommand {
    std::string text;
    size_t start;                      // index of the "<" in the joined text
    size_t end;                        // index just after the ">"
};

std::vector<MarkupCommand> CommandsOf(const JoinedParagraph& joined);

// A paragraph reference written in a command, with what the graph calls the edge.
struct MarkupTarget {
    int reference;                     // paragraph number minus one
    SourcePos pos;                     // of the number
    std::string label;                 // "M", "L 5/20", "S \"answer\"", "n", ...
    bool written;                      // false: no number stands there, the reader reads 0
    std::string name;                  // "@name" written instead of a number; reference -1
    size_t at;                         // index in the joined text where the target stands
};

// The targets a command names (hotword targets, arrow targets).
std::vector<MarkupTarget> CommandTargets(const JoinedParagraph& joined, const MarkupCommand& command);

// Whether the command defines a hotword (M, m, g, L, d, S, u, and N, Q, R, r with a
// label). A u counts: its restart point may be in use when the page is built.
bool DefinesHotword(const MarkupCommand& command);

// The restart point a command saves (s) or lists (u); -1 for other commands.
int SavedRestart(const MarkupCommand& command);
int ListedRestart(const MarkupCommand& command);

// A character of a paragraph's name after its first letter.
bool IsParagraphNameChar(char c);

// Letters of the command set, and those that take a "{...}" block.
bool IsCommandLetter(char letter);
bool IsBlockCommand(char letter);

// The reader's argument readers (SkipPast, ReadNumber, one optional space) over a
// command's text, whose index 0 is the letter.
struct ArgumentCursor {
    const std::string& text;
    size_t at;
};

inline char PeekArgument(const ArgumentCursor& a) { return a.at < a.text.size() ? a.text[a.at] : '\0'; }
inline bool ArgumentsEnd(const ArgumentCursor& a) { return a.at >= a.text.size(); }

inline void SkipPastMark(ArgumentCursor& a, char mark) {
    while (!ArgumentsEnd(a) && a.text[a.at++] != mark) {}
}

inline void StepOverMark(ArgumentCursor& a, char c) {
    if (PeekArgument(a) == c) a.at++;
}

inline int16_t ReadArgumentNumber(ArgumentCursor& a) {
    int value = 0;
    bool negative = false;
    for (char c = PeekArgument(a); (c >= '0' && c <= '9') || c == '+' || c == '-'; c = PeekArgument(a)) {
        if (c == '-') negative = true;
        else if (c != '+') value = (value * 10 + (c - '0')) & 0xFFFF;
        a.at++;
    }
    int16_t result = static_cast<int16_t>(value);
    return negative ? static_cast<int16_t>(-result) : result;
}
