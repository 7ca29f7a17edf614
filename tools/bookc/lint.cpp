// The checks of --check. They read the markup statically: every command and block
// is looked at whether or not a condition would render it.
#include "tools/bookc/lint.h"

#include <vector>

#include "tools/bookc/graph.h"
#include "tools/bookc/markup_check.h"
#include "tools/bookc/markup_walk.h"
#include "tools/bookc/paragraph_names.h"

constexpr int kMostHotwords = 99;      // the 100th fills the reader's table

static void CheckTargets(const BookModel& book, const std::vector<GraphEdge>& edges, Diagnostics& diag) {
    for (const GraphEdge& edge : edges) {
        if (ParagraphExists(book, edge.to) || edge.to == 6 || edge.to == 7) continue;   // 6, 7: built in
        if (edge.source == EdgeSource::Inventory)
            ReportWarning(diag, edge.pos, "inventory=%d names paragraph %d, which the book does not have",
                          edge.to - 1, edge.to);
        else if (edge.source == EdgeSource::Restart)
            ReportWarning(diag, edge.pos, "this restart hotword leads to paragraph %d, which the book does not have",
                          edge.to);
        else
            ReportWarning(diag, edge.pos, "the %s target leads to paragraph %d, which the book does not have "
                          "(a target is written as the paragraph number minus one, or as @name)",
                          edge.label.c_str(), edge.to);
    }
}

// A target where no number stands: the reader reads 0 and goes to paragraph 1.
static void CheckWrittenTargets(const JoinedParagraph& joined, const MarkupCommand& command, Diagnostics& diag) {
    for (const MarkupTarget& target : CommandTargets(joined, command))
        if (!target.written)
            ReportError(diag, target.pos, "%s needs its target here (the paragraph number minus one, or @name): "
                        "the reader reads 0 and goes to paragraph 1", target.label.c_str());
}

// The menu opens 3 (Restart), 4 (Objective) and 5 (Credits) as side pages; without
// the paragraph the reader shows the story page it was on once more in its place.
static void CheckMenuPages(const BookModel& book, Diagnostics& diag) {
    static const char* const kMenuItems[] = {"Restart", "Objective", "Credits"};
    for (int p = 3; p <= 5; p++)
        if (!ParagraphExists(book, p))
            ReportWarning(diag, {1, 1}, "the book has no paragraph %d: the menu's %s shows the story page "
                          "before it again, as a side page whose buttons still act", p, kMenuItems[p - 3]);
}

// The title pages show the logo and title pictures; one the book does not declare
// leaves its place empty, and the reader says "there is no such resource" each time.
static void CheckHeaderPictures(const BookModel& book, Diagnostics& diag) {
    const HeaderSource& header = book.header;
    struct Named { const char* key; int picture; SourcePos pos; };
    for (const Named& named : {Named{"logo-picture", header.logoPicture, header.logoPicturePos},
                               Named{"title-picture", header.titlePicture, header.titlePicturePos}}) {
        if (book.pictures[named.picture].declared) continue;
        if (named.pos.line != 0)
            ReportWarning(diag, named.pos, "%s: picture %d is not declared: the title pages show nothing in its place",
                          named.key, named.picture);
        else
            ReportWarning(diag, {1, 1}, "the book has no %s: line, so the title pages show picture %d, which is "
                          "not declared (declare it, or name a picture with %s:)", named.key, named.picture, named.key);
    }
}

static void CheckCommands(const BookModel& book, const JoinedParagraph& joined, int paragraph, LabelWidth labelWidth,
                          Diagnostics& diag) {
    int hotwords = 0;
    bool bold = false;                 // inside <B> ... <D>, as the text runs
    for (const MarkupCommand& command : CommandsOf(joined)) {
        SourcePos pos = joined.pos[command.start];
        char letter = command.text.empty() ? '\0' : command.text[0];
        if (command.text.empty())
            ReportWarning(diag, pos, "empty command <>");
        else if (!IsCommandLetter(letter))
            ReportWarning(diag, pos, "unknown command letter '%c'", letter);
        if (DefinesHotword(command) && ++hotwords == kMostHotwords + 1)
            ReportWarning(diag, pos, "paragraph %d defines more than %d hotwords; the reader reports an overflow",
                          paragraph, kMostHotwords);
        CheckCommandReading(book, joined, command, diag);
        CheckWrittenTargets(joined, command, diag);
        if (letter == 'B' || letter == 'D') bold = letter == 'B';
        CheckCommandWidth(book, joined, command, bold, labelWidth, diag);
    }
}

// Where a block may open: after a block command's ">", past blanks and the digits
// of a skip count. Returns the index of the "{", or npos when something else comes.
static size_t BlockOpening(const std::string& text, size_t from) {
    size_t i = from;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '0' && text[i] <= '9'))) i++;
    return i < text.size() && text[i] == '{' ? i : std::string::npos;
}

// Marks where each block command's "{" stands and warns about those that have none.
static std::vector<bool> BlockOpenings(const JoinedParagraph& joined, Diagnostics& diag) {
    std::vector<bool> opening(joined.text.size(), false);
    for (const MarkupCommand& command : CommandsOf(joined)) {
        if (command.text.empty() || !IsBlockCommand(command.text[0])) continue;
        size_t at = BlockOpening(joined.text, command.end);
        if (at != std::string::npos) opening[at] = true;
        else ReportWarning(diag, joined.pos[command.start], "<%c> must be followed by a {...} block", command.text[0]);
    }
    return opening;
}

// Braces, walking the text: a "{" must open a block command's block, a "}" must
// close one, and neither belongs inside a command, where the reader's scanner
// would still act on it.
static void CheckBlocks(const JoinedParagraph& joined, Diagnostics& diag) {
    std::vector<bool> opening = BlockOpenings(joined, diag);
    std::vector<size_t> open;          // indexes of the "{" not yet closed
    bool inCommand = false;
    for (size_t i = 0; i < joined.text.size(); i++) {
        char c = joined.text[i];
        if (c == '<' || (c == '>' && inCommand)) inCommand = c == '<';
        if (c != '{' && c != '}') continue;
        if (inCommand) {
            ReportWarning(diag, joined.pos[i], "'%c' inside a command: the reader acts on it as a brace", c);
        } else if (c == '{') {
            if (!opening[i])                   // warned once: its "}" still pairs with it
                ReportWarning(diag, joined.pos[i], "stray '{': no block command (E, O, o, u) comes before it");
            open.push_back(i);
        } else if (open.empty()) {
            ReportWarning(diag, joined.pos[i], "stray '}': it closes no block");
        } else {
            open.pop_back();
        }
    }
    for (size_t at : open) ReportWarning(diag, joined.pos[at], "this '{' is never closed");
}

static void CheckEnding(const ParagraphSource& paragraph, int number, Diagnostics& diag) {
    if (paragraph.words.empty()) return;      // an empty page says nothing, wrongly or not
    const SourceWord& last = paragraph.words.back();
    size_t length = last.text.size();
    if (length >= 3 && last.text.compare(length - 3, 3, "<G>") == 0) return;
    ReportWarning(diag, last.pos, "paragraph %d does not end with <G>; its last text run is never shown", number);
}

static void CheckReachable(const BookModel& book, const std::vector<GraphEdge>& edges, Diagnostics& diag) {
    std::array<bool, kParagraphRows + 1> reached = ReachableParagraphs(book, edges);
    for (int p = 1; p <= kParagraphRows; p++)
        if (book.paragraphs[p].declared && !reached[p])
            ReportWarning(diag, book.paragraphs[p].pos, "no path from paragraph 2 reaches paragraph %s",
                          ParagraphLabel(book, p).c_str());
}

void CheckBook(const BookModel& book, Diagnostics& diag, LabelWidth labelWidth) {
    for (int p = 1; p <= kParagraphRows; p++) {
        const ParagraphSource& paragraph = book.paragraphs[p];
        if (!paragraph.declared) continue;
        JoinedParagraph joined = JoinParagraph(paragraph);
        CheckCommands(book, joined, p, labelWidth, diag);
        CheckBlocks(joined, diag);
        CheckEnding(paragraph, p, diag);
    }
    std::vector<GraphEdge> edges = ParagraphEdges(book);
    CheckTargets(book, edges, diag);
    CheckReachable(book, edges, diag);
    CheckMenuPages(book, diag);
    CheckHeaderPictures(book, diag);
}

