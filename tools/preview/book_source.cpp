// The compiler as the live preview reaches it: a source file compiled in memory, its
// artwork registered, the first errors gathered for the reader's message box. Every
// book handed out stays alive until the reader releases it.
#include <cstdio>
#include <cstring>
#include <filesystem>
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

// A message for the box: the book's path shortened to its file name (the box is
// narrow, and the author knows which book is open), an error without its severity.
static std::string ForTheBox(const std::string& line, const std::string& bookPath) {
    std::string shown = line;
    if (shown.compare(0, bookPath.size(), bookPath) == 0)
        shown = std::filesystem::path(bookPath).filename().string() + shown.substr(bookPath.size());
    size_t at = shown.find(": error: ");
    return at == std::string::npos ? shown : shown.substr(0, at + 2) + shown.substr(at + 9);
}

// The errors, then the warnings, one a line.
static void CollectReport(const Diagnostics& diag, const std::string& bookPath, char* report, int size) {
    std::string text;
    for (const char* severity : {": error: ", ": warning: "})
        for (const std::string& line : diag.lines)
            if (line.find(severity) != std::string::npos) text += ForTheBox(line, bookPath) + "\n";
    if (text.empty() && diag.errors > 0) text = "The book could not be compiled.\n";
    std::snprintf(report, size_t(size), "%s", text.c_str());
}

static BookTables* CompileSource(const char* path, char* errors, int size) {
    Diagnostics diag;
    diag.file = path;
    diag.echo = stderr;   // the whole report for the terminal, and for the box what fits
    std::unique_ptr<InMemoryBook> book = CompileBookInMemory(path, diag, kPoolStringLimit, true);
    CollectReport(diag, path, errors, size);
    if (!book) return nullptr;
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
