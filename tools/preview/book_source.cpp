// The compiler as the live preview reaches it: a source file compiled in memory, its
// artwork registered, the first errors gathered for the reader's message box. Every
// book handed out stays alive until the reader releases it.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/window_system.h"
#include "shell/live_preview.h"
#include "tools/bookc/in_memory.h"
#include "tools/preview/book_artwork.h"
#include "tools/preview/route_play.h"

// The books handed out and not yet released: the one shown and, during a swap, the next.
static std::vector<std::unique_ptr<InMemoryBook>> liveBooks;

// "file:line:col: error: message" without its severity, as the box shows it.
static std::string WithoutSeverity(const std::string& line) {
    size_t at = line.find(": error: ");
    return at == std::string::npos ? line : line.substr(0, at + 2) + line.substr(at + 9);
}

static void CollectErrors(const Diagnostics& diag, char* errors, int size) {
    std::string text;
    int shown = 0;
    for (const std::string& line : diag.lines) {
        if (line.find(": error: ") == std::string::npos) continue;
        if (shown == kPreviewErrorLines) break;
        text += WithoutSeverity(line) + "\n";
        ++shown;
    }
    if (shown == 0) text = "The book could not be compiled.\n";
    std::snprintf(errors, size_t(size), "%s", text.c_str());
}

static BookTables* CompileSource(const char* path, char* errors, int size) {
    Diagnostics diag;
    diag.file = path;
    diag.echo = stderr;   // the whole report for the terminal, the first errors for the box
    std::unique_ptr<InMemoryBook> book = CompileBookInMemory(path, diag);
    if (!book) {
        CollectErrors(diag, errors, size);
        return nullptr;
    }
    char problem[256] = "";
    // Renderings at the window's present scale only: all three would take seconds a reload.
    if (!RegisterBookArtwork(book->tables, gDeviceScale, problem, sizeof problem)) {
        std::fprintf(stderr, "quietharbour: %s\n", problem);
        std::snprintf(errors, size_t(size), "%s\n", problem);
        return nullptr;
    }
    liveBooks.push_back(std::move(book));
    return &liveBooks.back()->tables;
}

static void ReleaseBook(BookTables* tables) {
    for (size_t i = 0; i < liveBooks.size(); ++i)
        if (&liveBooks[i]->tables == tables) {
            liveBooks.erase(liveBooks.begin() + long(i));
            return;
        }
}

const BookSource& BookSourceCompiler() {
    static const BookSource source = {CompileSource, ReleaseBook, PlayRouteToParagraph};
    return source;
}
