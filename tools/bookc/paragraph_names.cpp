// Resolving paragraph names. Names are looked up after the whole source is read, so a
// name may be used before the paragraph that carries it.
#include "tools/bookc/paragraph_names.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <vector>

#include "tools/bookc/markup_walk.h"

using NameTable = std::map<std::string, int>;   // name -> paragraph number

static NameTable CollectNames(const BookModel& book, Diagnostics& diag) {
    NameTable names;
    for (int p = 1; p <= kParagraphRows; p++) {
        const ParagraphSource& paragraph = book.paragraphs[p];
        if (!paragraph.declared || paragraph.name.empty()) continue;
        auto [at, added] = names.insert({paragraph.name, p});
        if (!added)
            ReportError(diag, paragraph.namePos, "the name '%s' is already paragraph %d's (line %d)",
                        paragraph.name.c_str(), at->second, book.paragraphs[at->second].pos.line);
    }
    return names;
}

// Edits needed to turn one name into the other (letters compared without case).
static size_t Distance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); j++) row[j] = j;
    for (size_t i = 1; i <= a.size(); i++) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); j++) {
            size_t above = row[j];
            bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) == std::tolower(static_cast<unsigned char>(b[j - 1]));
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

static void ReportUnknown(const NameTable& names, const std::string& name, SourcePos pos, Diagnostics& diag) {
    const std::string* nearest = nullptr;
    size_t best = std::max<size_t>(2, name.size() / 3) + 1;
    for (const auto& [known, paragraph] : names) {
        size_t d = Distance(name, known);
        if (d < best) best = d, nearest = &known;
    }
    if (nearest)
        ReportError(diag, pos, "no paragraph is named '%s'; did you mean @%s (paragraph %d)?", name.c_str(),
                    nearest->c_str(), names.at(*nearest));
    else
        ReportError(diag, pos, "no paragraph is named '%s' (a name is given as 'paragraph N %s:')", name.c_str(),
                    name.c_str());
}

// The reference a name stands for, or -1 (reported).
static int Lookup(const NameTable& names, const std::string& name, SourcePos pos, Diagnostics& diag) {
    auto found = names.find(name);
    if (found != names.end()) return found->second - 1;
    ReportUnknown(names, name, pos, diag);
    return -1;
}

// Where joined-text index `at` falls: the word and the offset in it.
static bool WordAt(const ParagraphSource& paragraph, size_t at, size_t* word, size_t* offset) {
    size_t start = 0;
    for (size_t w = 0; w < paragraph.words.size(); w++) {
        size_t length = paragraph.words[w].text.size();
        if (at < start + length) {
            *word = w;
            *offset = at - start;
            return true;
        }
        start += length + 1;
    }
    return false;
}

// Every @name target of one paragraph, replaced from the last so earlier places hold.
static void ResolveMarkup(const NameTable& names, ParagraphSource& paragraph, Diagnostics& diag) {
    JoinedParagraph joined = JoinParagraph(paragraph);
    std::vector<MarkupTarget> named;
    for (const MarkupCommand& command : CommandsOf(joined))
        for (const MarkupTarget& target : CommandTargets(joined, command))
            if (!target.name.empty() || (target.at < joined.text.size() && joined.text[target.at] == '@'))
                named.push_back(target);
    for (auto it = named.rbegin(); it != named.rend(); ++it) {
        int reference = Lookup(names, it->name, it->pos, diag);
        size_t word = 0, offset = 0;
        if (reference < 0 || !WordAt(paragraph, it->at, &word, &offset)) continue;
        paragraph.words[word].text.replace(offset, it->name.size() + 1, std::to_string(reference));
    }
}

bool ResolveParagraphNames(BookModel& book, Diagnostics& diag) {
    int errorsBefore = diag.errors;
    NameTable names = CollectNames(book, diag);
    for (VariableSource& variable : book.variables) {
        if (variable.inventoryName.empty()) continue;
        int reference = Lookup(names, variable.inventoryName, variable.inventoryPos, diag);
        if (reference >= 0) variable.inventoryParagraph = static_cast<int16_t>(reference);
    }
    for (RestartSource& restart : book.restarts) {
        if (restart.paragraphName.empty()) continue;
        int reference = Lookup(names, restart.paragraphName, restart.paragraphPos, diag);
        if (reference >= 0) restart.paragraph = static_cast<int16_t>(reference);
    }
    for (int p = 1; p <= kParagraphRows; p++)
        if (book.paragraphs[p].declared) ResolveMarkup(names, book.paragraphs[p], diag);
    return diag.errors == errorsBefore;
}

std::string ParagraphLabel(const BookModel& book, int paragraph) {
    std::string label = std::to_string(paragraph);
    if (paragraph >= 1 && paragraph <= kParagraphRows && !book.paragraphs[paragraph].name.empty())
        label += " (" + book.paragraphs[paragraph].name + ")";
    return label;
}
