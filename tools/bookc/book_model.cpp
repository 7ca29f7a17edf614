// The steps between reading a book and laying it out that need every paragraph:
// restart paragraphs taken from the markup, and the length limits of the reader.
#include "tools/bookc/book_model.h"

#include "tools/bookc/limits.h"
#include "tools/bookc/markup_walk.h"
#include "tools/bookc/paragraph_names.h"

bool ParagraphExists(const BookModel& book, int paragraph) {
    return paragraph >= 1 && paragraph <= kParagraphRows && book.paragraphs[paragraph].declared;
}

// The first paragraph, by number, whose markup holds "<s *r>"; 0 when none does.
static int ParagraphSaving(const BookModel& book, int restart) {
    for (int p = 1; p <= kParagraphRows; p++) {
        if (!book.paragraphs[p].declared) continue;
        for (const MarkupCommand& command : CommandsOf(JoinParagraph(book.paragraphs[p])))
            if (SavedRestart(command) == restart) return p;
    }
    return 0;
}

static void ResolveRestarts(BookModel& book, Diagnostics& diag) {
    for (int r = 0; r < kRestartPoints; r++) {
        RestartSource& restart = book.restarts[r];
        if (restart.paragraphGiven) continue;
        int saving = ParagraphSaving(book, r);
        if (saving > 0) {
            restart.paragraph = static_cast<int16_t>(saving - 1);
        } else if (restart.declared) {
            ReportError(diag, restart.pos,
                        "restart %d has no paragraph= and no paragraph holds <s *%d> to give it one", r, r);
        }
    }
}

bool FinishBook(BookModel& book, Diagnostics& diag) {
    int errorsBefore = diag.errors;
    ResolveParagraphNames(book, diag);
    ResolveRestarts(book, diag);
    CheckReaderLimits(book, diag, diag.limitsAreErrors);
    return diag.errors == errorsBefore;
}
