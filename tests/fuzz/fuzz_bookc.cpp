// Fuzz target: the book compiler on arbitrary book sources. The input is written to a
// book file and compiled in memory as qh-play --book does; the same text then goes
// through the passes only qh-bookc runs (lint, the generated tables, graph, stats).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <unistd.h>

#include "tools/bookc/artwork.h"
#include "tools/bookc/codegen.h"
#include "tools/bookc/graph.h"
#include "tools/bookc/in_memory.h"
#include "tools/bookc/lint.h"
#include "tools/bookc/source_reader.h"
#include "tools/bookc/word_pools.h"

static std::string bookPath;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char folder[] = "/tmp/qh-fuzz-bookc-XXXXXX";
    if (!mkdtemp(folder)) std::abort();
    bookPath = std::string(folder) + "/fuzz.book";
    // The seeds name their pictures and sounds as art/...: let them find the test book's.
    symlink(QH_TEST_BOOKS "/art", (std::string(folder) + "/art").c_str());
    return 0;
}

static void WriteBook(const std::string& text) {
    std::FILE* file = std::fopen(bookPath.c_str(), "wb");
    if (!file) std::abort();
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), file) != text.size()) std::abort();
    std::fclose(file);
}

static void CompilerOnlyPasses(const std::string& text) {
    Diagnostics diag;
    diag.echo = nullptr;
    auto book = std::make_unique<BookModel>();
    if (!ReadBookText(text, bookPath, diag, *book) || !FinishBook(*book, diag)) return;
    CheckBook(*book, diag);
    PoolLayout layout;
    if (!LayOutWordPools(*book, kPoolStringLimit, diag, layout) || HasFailed(diag)) return;
    GenerateTables(*book, layout);
    ArtworkManifest(*book);
    ParagraphGraphDot(*book);
    PoolStatistics(*book, layout);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    WriteBook(text);
    Diagnostics diag;
    diag.echo = nullptr;
    std::unique_ptr<InMemoryBook> compiled = CompileBookInMemory(bookPath, diag);
    // A book is either compiled or refused with at least one message saying why.
    if (!compiled && diag.lines.empty()) __builtin_trap();
    CompilerOnlyPasses(text);
    return 0;
}
