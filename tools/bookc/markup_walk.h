// A static reading of a paragraph's markup, for the checks and the paragraph graph:
// the commands it holds and the paragraphs they name, read the way the reader's
// command set reads its arguments. Nothing here runs a command.
#pragma once

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
};

// The targets a command names (hotword targets, arrow targets).
std::vector<MarkupTarget> CommandTargets(const JoinedParagraph& joined, const MarkupCommand& command);

// Whether the command defines a hotword (M, m, g, L, d, S, u, and N, Q, R, r with a
// label). A u counts: its restart point may be in use when the page is built.
bool DefinesHotword(const MarkupCommand& command);

// The restart point a command saves (s) or lists (u); -1 for other commands.
int SavedRestart(const MarkupCommand& command);
int ListedRestart(const MarkupCommand& command);

// Letters of the command set, and those that take a "{...}" block.
bool IsCommandLetter(char letter);
bool IsBlockCommand(char letter);
