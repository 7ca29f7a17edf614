// The map's dot text. A node's look says what an author should know about the page:
// green and double-bordered an ending, red a dead end, dashed grey out of reach,
// yellow never reached by the readings of a coverage report.
#include "tools/bookc/map.h"

#include <sstream>

#include "platform/tool_files.h"
#include "tools/bookc/graph.h"
#include "tools/bookc/paragraph_names.h"

bool ReadUnreached(const std::string& path, Diagnostics& diag, std::set<int>& unreached) {
    std::string json;
    char why[kToolReasonBytes];
    if (!ReadToolInput(path.c_str(), kToolFileLimit, &json, why, sizeof why)) {
        ReportToolError(diag, "%s", why);
        return false;
    }
    size_t at = json.find("\"unreached\":");
    size_t open = at == std::string::npos ? at : json.find('[', at);
    size_t close = open == std::string::npos ? open : json.find(']', open);
    if (close == std::string::npos) {
        ReportToolError(diag, "cannot read a coverage report (qh-play explore --json) from '%s'", path.c_str());
        return false;
    }
    // A number longer than any paragraph number names none: it is read no further.
    constexpr int kLongest = 1000000;
    int number = -1;
    for (size_t i = open + 1; i <= close; i++) {
        char c = json[i];
        if (c >= '0' && c <= '9') number = number > kLongest ? number : (number < 0 ? 0 : number * 10) + (c - '0');
        else if (number >= 0) unreached.insert(number), number = -1;
    }
    return true;
}

enum class WayOn { None, RestartsOnly, Some };

static std::array<WayOn, kParagraphRows + 1> WaysOn(const std::vector<GraphEdge>& edges) {
    std::array<WayOn, kParagraphRows + 1> ways{};
    for (const GraphEdge& edge : edges) {
        if (edge.from < 1 || edge.from > kParagraphRows) continue;
        WayOn& way = ways[size_t(edge.from)];
        if (edge.source == EdgeSource::Restart) way = way == WayOn::Some ? way : WayOn::RestartsOnly;
        else way = WayOn::Some;
    }
    return ways;
}

static std::string NodeLook(bool fixedPage, WayOn way, bool reachable, bool neverReached) {
    std::string look, fill;
    if (!fixedPage && way == WayOn::RestartsOnly) look += ", peripheries=2, color=\"#2e7d32\"", fill = "#c8e6c9";
    if (!fixedPage && way == WayOn::None) look += ", color=\"#c62828\"", fill = "#ffcdd2";
    if (!reachable) look += ", style=\"dashed\", fontcolor=\"#757575\", color=\"#9e9e9e\"";
    if (neverReached) fill = "#ffe082";
    if (!fill.empty()) look += std::string(reachable ? ", style=\"filled\"" : ", style=\"filled,dashed\"") +
                               ", fillcolor=\"" + fill + "\"";
    return look;
}

std::string ParagraphMapDot(const BookModel& book, const std::set<int>* unreached) {
    std::vector<GraphEdge> edges = ParagraphEdges(book);
    std::array<bool, kParagraphRows + 1> reachable = ReachableParagraphs(book, edges);
    std::array<WayOn, kParagraphRows + 1> ways = WaysOn(edges);
    std::string out = "digraph map {\n  node [shape=box, fontname=\"DejaVu Sans\", fontsize=10];\n"
                      "  edge [fontname=\"DejaVu Sans\", fontsize=8];\n"
                      "  label=\"" + DotText(book.header.title.text) + ": green, two borders: an ending; red: no way on; "
                      "dashed: no path reaches it" + (unreached ? "; yellow: never reached by the readings" : "") +
                      "\";\n";
    for (int p = 1; p <= kParagraphRows; p++) {
        const ParagraphSource& paragraph = book.paragraphs[p];
        if (!paragraph.declared) continue;
        std::string title = TitleOf(paragraph);
        bool fixedPage = p >= 3 && p <= 7;
        out += "  p" + std::to_string(p) + " [label=\"" + DotText(ParagraphLabel(book, p)) +
               (title.empty() ? "" : "\\n" + DotText(title)) + "\"" +
               NodeLook(fixedPage, ways[size_t(p)], reachable[size_t(p)], unreached && unreached->count(p)) + "];\n";
    }
    for (const GraphEdge& edge : edges) {
        if (!ParagraphExists(book, edge.from) || !ParagraphExists(book, edge.to)) continue;
        out += "  p" + std::to_string(edge.from) + " -> p" + std::to_string(edge.to) + " [label=\"" +
               DotText(edge.label) + "\"" + (edge.source == EdgeSource::Restart ? ", style=dotted" : "") + "];\n";
    }
    return out + "}\n";
}
