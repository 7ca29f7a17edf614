// Builds the book's tables in memory from the same model and pool layout that the
// generated file is written from, so both hold the same rows.
#include "tools/bookc/in_memory.h"

#include <cstring>

#include "tools/bookc/lint.h"
#include "tools/bookc/source_reader.h"

static const char* Keep(InMemoryBook& out, const std::string& text) {
    out.texts.push_back(text);
    return out.texts.back().c_str();
}

static void BuildPools(InMemoryBook& out, const PoolLayout& layout) {
    out.poolImages = layout.pools;
    for (const PoolImage& pool : out.poolImages)
        out.pools.push_back({pool.offsets.data(), pool.strings.data(),
                             static_cast<int32_t>(pool.offsets.size()),
                             static_cast<int32_t>(pool.strings.size())});
    out.paragraphs = layout.rows;
}

static void BuildHeader(InMemoryBook& out, const HeaderSource& h) {
    out.header = {Keep(out, h.title.text),       Keep(out, h.copyrightHolder.text),
                  Keep(out, h.author.text),      h.logoPicture,
                  Keep(out, h.closingLine.text), h.titlePicture,
                  Keep(out, h.webSite.text),     Keep(out, h.contactAddress.text),
                  Keep(out, h.supportAddress.text)};
}

static void BuildVariables(InMemoryBook& out, const BookModel& book) {
    for (int v = 0; v < kStoryVariables; v++) {
        const VariableSource& var = book.variables[v];
        for (const std::string& item : var.textItems) out.textItems[v].push_back(Keep(out, item));
        out.pictureItems[v] = var.pictureItems;
        out.variables[v] = {Keep(out, var.name), var.kind, {0, 0}, var.limit, var.minimum,
                            var.inventoryParagraph,
                            var.textItems.empty() ? nullptr : out.textItems[v].data(),
                            var.pictureItems.empty() ? nullptr : out.pictureItems[v].data()};
    }
}

static void BuildRestartsAndArtwork(InMemoryBook& out, const BookModel& book) {
    for (int r = 0; r < kRestartPoints; r++)
        out.restartPoints[r] = {Keep(out, book.restarts[r].label), 0, book.restarts[r].paragraph};
    std::memset(out.snapshots, 0, sizeof out.snapshots);
    for (int i = 0; i < kPictures; i++) {
        const PictureSource& picture = book.pictures[i];
        out.pictures[i] = {picture.bitmapId, picture.width, picture.height, Keep(out, picture.description)};
        out.pictureFiles[i] = picture.declared ? Keep(out, picture.path) : nullptr;
    }
    for (int i = 0; i < kSounds; i++) {
        const SoundSource& sound = book.sounds[i];
        out.soundNameTexts[i] = std::u16string(sound.name.begin(), sound.name.end());
        out.soundNames[i] = out.soundNameTexts[i].c_str();
        out.soundFiles[i] = sound.declared ? Keep(out, sound.path) : nullptr;
    }
}

std::unique_ptr<InMemoryBook> BuildInMemoryBook(const BookModel& book, const PoolLayout& layout) {
    auto out = std::make_unique<InMemoryBook>();
    for (int p = 1; p <= kParagraphRows; p++) out->paragraphNames[size_t(p)] = book.paragraphs[p].name;
    BuildPools(*out, layout);
    BuildHeader(*out, book.header);
    BuildVariables(*out, book);
    BuildRestartsAndArtwork(*out, book);
    out->tables = {out->pools.empty() ? nullptr : out->pools.data(),
                   static_cast<int16_t>(out->pools.size()),
                   out->paragraphs.data(), &out->header, out->variables.data(),
                   out->restartPoints.data(), out->snapshots, out->pictures.data(),
                   out->soundNames.data(),
                   {out->pictureFiles.data(), out->soundFiles.data()}};
    return out;
}

std::unique_ptr<InMemoryBook> CompileBookInMemory(const std::string& path, Diagnostics& diag,
                                                  int poolLimit, bool lint) {
    auto book = std::make_unique<BookModel>();
    PoolLayout layout;
    if (!ReadBookSource(path, diag, *book) || !FinishBook(*book, diag)) return nullptr;
    if (lint) CheckBook(*book, diag);
    if (!LayOutWordPools(*book, poolLimit, diag, layout) || HasFailed(diag))
        return nullptr;
    return BuildInMemoryBook(*book, layout);
}
