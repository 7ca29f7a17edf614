// Fuzz target: the book compiler on arbitrary book sources. The input is written to a
// book file and compiled in memory as qh-play --book does; the same text then goes
// through the passes only qh-bookc runs (lint, the generated tables, graph, stats).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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
static std::string scratchFolder;

// The scratch folder goes when the fuzzer exits (with the art links, not what they point at).
static void RemoveScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(scratchFolder, ignored);
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char folder[] = "/tmp/qh-fuzz-bookc-XXXXXX";
    if (!mkdtemp(folder)) std::abort();
    scratchFolder = folder;
    std::atexit(RemoveScratchFolder);
    bookPath = std::string(folder) + "/fuzz.book";
    // The seeds name their artwork as the test book does (art/...) or as the sample
    // book does with a prefix (sample-art/..., sample-cues/...): let them find it.
    std::string here(folder);
    symlink(QH_SOURCE_DIR "/tests/books/art", (here + "/art").c_str());
    symlink(QH_SOURCE_DIR "/books/quiet_harbour/art", (here + "/sample-art").c_str());
    symlink(QH_SOURCE_DIR "/books/quiet_harbour/cues", (here + "/sample-cues").c_str());
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
