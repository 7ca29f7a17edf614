// Shared helpers of the book compiler's tests: finding the tree's test books from
// wherever the test runs, and reading a book given as text with messages kept.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "tools/bookc/book_model.h"
#include "tools/bookc/diagnostics.h"
#include "tools/bookc/source_reader.h"

// The path of a file of the source tree, given relative to its root; found from the
// working folder or one of its parents (CTest runs the tests at the root).
inline std::string TreePath(const std::string& relative) {
    std::filesystem::path folder = std::filesystem::current_path();
    for (int up = 0; up < 6; up++, folder = folder.parent_path())
        if (std::filesystem::exists(folder / "tests/books/test.book")) return (folder / relative).string();
    return relative;
}

inline Diagnostics QuietDiagnostics(const std::string& file = "mem.book") {
    Diagnostics diag;
    diag.file = file;
    diag.echo = nullptr;
    return diag;
}

// Reads and finishes a book given as text; its artwork paths are taken relative to
// tests/books/.
inline std::unique_ptr<BookModel> BookFromText(const std::string& text, Diagnostics& diag) {
    auto book = std::make_unique<BookModel>();
    if (ReadBookText(text, TreePath("tests/books/mem.book"), diag, *book)) FinishBook(*book, diag);
    return book;
}

// The smallest text that a book needs to be complete around the case a test adds.
inline std::string WithStart(const std::string& more) {
    return "title: T\nparagraph 2:\n<H>Start<J><F> <G>\n" + more;
}
