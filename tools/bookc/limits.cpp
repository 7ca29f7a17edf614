// The reader's text buffers against the book's texts.
#include "tools/bookc/limits.h"

#include <cstdarg>
#include <cstdio>

#include "tools/bookc/markup_walk.h"

static void Report(Diagnostics& diag, SourcePos pos, bool asError, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
static void Report(Diagnostics& diag, SourcePos pos, bool asError, const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (asError) ReportError(diag, pos, "%s", text);
    else ReportWarning(diag, pos, "%s", text);
}

static void CheckParagraph(const ParagraphSource& paragraph, int number, Diagnostics& diag, bool asErrors) {
    int joined = 0;
    for (const SourceWord& word : paragraph.words) {
        int length = static_cast<int>(word.text.size());
        if (length > kLongestWord)
            Report(diag, word.pos, asErrors, "this word has %d characters; the reader shows at most %d in one word",
                   length, kLongestWord);
        joined += length + 1;
    }
    if (joined > kLongestParagraph) {
        Report(diag, paragraph.pos, asErrors,
               "paragraph %d has %d characters when joined; the reader reports \"Too many words\" past %d", number,
               joined, kLongestParagraph);
        return;   // the reader never scans past its buffer
    }
    JoinedParagraph text = JoinParagraph(paragraph);
    for (const MarkupCommand& command : CommandsOf(text))
        if (static_cast<int>(command.text.size()) > kLongestCommand)
            Report(diag, text.pos[command.start], asErrors,
                   "this command has %d characters; the reader reports \"Too many letters in command\" past %d",
                   static_cast<int>(command.text.size()), kLongestCommand);
}

static void CheckHeaderText(const HeaderField& field, const char* name, Diagnostics& diag, bool asErrors) {
    int length = static_cast<int>(field.text.size());
    if (length > kLongestHeaderText)
        Report(diag, field.pos, asErrors, "%s has %d characters; a page shows at most %d of a header text", name,
               length, kLongestHeaderText);
}

void CheckReaderLimits(const BookModel& book, Diagnostics& diag, bool asErrors) {
    const HeaderSource& h = book.header;
    CheckHeaderText(h.title, "title", diag, asErrors);
    CheckHeaderText(h.copyrightHolder, "copyright", diag, asErrors);
    CheckHeaderText(h.author, "author", diag, asErrors);
    CheckHeaderText(h.closingLine, "the closing line", diag, asErrors);
    CheckHeaderText(h.webSite, "the web site", diag, asErrors);
    CheckHeaderText(h.contactAddress, "the contact address", diag, asErrors);
    CheckHeaderText(h.supportAddress, "the support address", diag, asErrors);
    for (int p = 1; p <= kParagraphRows; p++)
        if (book.paragraphs[p].declared) CheckParagraph(book.paragraphs[p], p, diag, asErrors);
}
