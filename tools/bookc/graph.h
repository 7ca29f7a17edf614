// The paragraph graph: which paragraph leads to which, and by what command. The
// checks use it for targets and reachability; --graph prints it for Graphviz.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "tools/bookc/book_model.h"

enum class EdgeSource { Markup, Inventory, Restart };

struct GraphEdge {
    int from;                          // paragraph number
    int to;                            // paragraph number (the reference plus one)
    std::string label;                 // M, g, L 5/20, S "answer", n, p, inventory, restart
    EdgeSource source;
    SourcePos pos;                     // where the source names the target
};

// Edges of hotwords and arrows, of restart hotwords (u) to their restart point's
// paragraph, and from the information page (6) to every declared variable's
// inventory paragraph.
std::vector<GraphEdge> ParagraphEdges(const BookModel& book);

// Paragraphs that a path reaches from the fixed pages 2 to 7, which the menu opens.
std::array<bool, kParagraphRows + 1> ReachableParagraphs(const BookModel& book,
                                                          const std::vector<GraphEdge>& edges);

std::string ParagraphGraphDot(const BookModel& book);

// The text between <H> and <J>, without commands: the page title, "" if none.
std::string TitleOf(const ParagraphSource& paragraph);
// Latin-1 to UTF-8 with the quotes and backslashes of a dot string escaped.
std::string DotText(const std::string& latin1);
