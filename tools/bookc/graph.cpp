// The paragraph graph and its Graphviz form. Nodes are paragraph numbers; a "menu"
// node stands for the menu, which opens the fixed pages 2 to 7 from anywhere.
#include "tools/bookc/graph.h"

#include "platform/text_codec.h"
#include "tools/bookc/markup_walk.h"
#include "tools/bookc/paragraph_names.h"

constexpr int kFirstFixedPage = 2;
constexpr int kLastFixedPage = 7;
constexpr int kInformationPage = 6;

static void MarkupEdges(const BookModel& book, int p, std::vector<GraphEdge>& edges) {
    JoinedParagraph joined = JoinParagraph(book.paragraphs[p]);
    for (const MarkupCommand& command : CommandsOf(joined)) {
        for (const MarkupTarget& target : CommandTargets(joined, command))
            edges.push_back({p, target.reference + 1, target.label, EdgeSource::Markup, target.pos});
        int restart = ListedRestart(command);
        if (restart >= 0 && restart < kRestartPoints)
            edges.push_back({p, book.restarts[restart].paragraph + 1, "restart", EdgeSource::Restart,
                             joined.pos[command.start]});
    }
}

std::vector<GraphEdge> ParagraphEdges(const BookModel& book) {
    std::vector<GraphEdge> edges;
    for (int p = 1; p <= kParagraphRows; p++)
        if (book.paragraphs[p].declared) MarkupEdges(book, p, edges);
    for (const VariableSource& variable : book.variables) {
        if (!variable.declared) continue;
        SourcePos pos = variable.inventoryPos.line != 0 ? variable.inventoryPos : variable.pos;
        edges.push_back({kInformationPage, variable.inventoryParagraph + 1, "inventory",
                         EdgeSource::Inventory, pos});
    }
    return edges;
}

std::array<bool, kParagraphRows + 1> ReachableParagraphs(const BookModel& book,
                                                          const std::vector<GraphEdge>& edges) {
    std::array<bool, kParagraphRows + 1> reached{};
    std::vector<int> pending;
    for (int p = kFirstFixedPage; p <= kLastFixedPage; p++) {
        reached[p] = true;
        pending.push_back(p);
    }
    while (!pending.empty()) {
        int from = pending.back();
        pending.pop_back();
        for (const GraphEdge& edge : edges) {
            if (edge.from != from || !ParagraphExists(book, edge.to) || reached[edge.to]) continue;
            reached[edge.to] = true;
            pending.push_back(edge.to);
        }
    }
    return reached;
}

// Latin-1 to UTF-8 with the quotes and backslashes of a dot string escaped.
std::string DotText(const std::string& latin1) {
    std::string out;
    for (unsigned char c : latin1) {
        if (c == '"' || c == '\\') out += '\\';
        char bytes[kUtf8MaxBytes];
        out.append(bytes, size_t(EncodeUtf8Char(c, bytes, sizeof bytes)));
    }
    return out;
}

// The text between <H> and <J>, without commands: the page title, if the page has one.
std::string TitleOf(const ParagraphSource& paragraph) {
    JoinedParagraph joined = JoinParagraph(paragraph);
    size_t start = joined.text.find("<H>"), end = joined.text.find("<J>");
    if (start == std::string::npos || end == std::string::npos || end < start) return "";
    std::string title;
    bool inCommand = false;
    for (size_t i = start + 3; i < end; i++) {
        char c = joined.text[i];
        if (c == '<' || c == '>') inCommand = c == '<';
        else if (!inCommand && c != '{' && c != '}') title += c;
    }
    return title;
}

static std::string NodeId(int paragraph) { return "\"p" + std::to_string(paragraph) + "\""; }

static std::string Nodes(const BookModel& book, const std::vector<GraphEdge>& edges) {
    std::string out = "  menu [shape=ellipse];\n";
    std::array<bool, kParagraphRows + 2> named{};
    for (int p = 1; p <= kParagraphRows; p++) {
        if (!book.paragraphs[p].declared) continue;
        named[p] = true;
        std::string title = TitleOf(book.paragraphs[p]);
        out += "  " + NodeId(p) + " [label=\"" + DotText(ParagraphLabel(book, p)) +
               (title.empty() ? "" : "\\n" + DotText(title)) + "\"];\n";
    }
    for (int p = kFirstFixedPage; p <= kLastFixedPage; p++) {
        if (named[p]) continue;                    // only 6 and 7 have a page of the reader's own
        named[p] = true;
        const char* stands = p >= kInformationPage ? "(built in)" : "(missing)";
        out += "  " + NodeId(p) + " [label=\"" + DotText(ParagraphLabel(book, p)) + "\\n" + stands + "\", style=dashed];\n";
    }
    for (const GraphEdge& edge : edges) {          // targets the book does not have
        int to = edge.to >= 0 && edge.to <= kParagraphRows ? edge.to : kParagraphRows + 1;
        if (named[to]) continue;
        named[to] = true;
        out += "  " + NodeId(edge.to) + " [label=\"" + std::to_string(edge.to) +
               "\\n(missing)\", style=dashed];\n";
    }
    return out;
}

std::string ParagraphGraphDot(const BookModel& book) {
    std::vector<GraphEdge> edges = ParagraphEdges(book);
    std::string out = "digraph book {\n  node [shape=box];\n" + Nodes(book, edges);
    for (int p = kFirstFixedPage; p <= kLastFixedPage; p++)
        out += "  menu -> " + NodeId(p) + " [style=dotted];\n";
    for (const GraphEdge& edge : edges)
        out += "  " + NodeId(edge.from) + " -> " + NodeId(edge.to) + " [label=\"" +
               DotText(edge.label) + "\"];\n";
    return out + "}\n";
}
