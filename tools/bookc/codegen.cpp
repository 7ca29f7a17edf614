// Writes the book's tables as C++ source. Texts are written byte for byte in Latin-1
// with octal escapes, so the generated file is plain ASCII and the compiler's own
// source character set never touches the book's text.
#include "tools/bookc/codegen.h"

#include <cstdio>

static std::string CString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F && c != '?') {
            out += static_cast<char>(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\%03o", c);
            out += escape;
        }
    }
    return out + "\"";
}

static std::string Number(long value) { return std::to_string(value); }

// The string area as one array: each word a literal of its own ending in \000, a
// few to a line; the array's own terminating zero is not counted in stringBytes.
static std::string PoolStrings(size_t index, const PoolImage& pool) {
    std::string out = "const char kPool" + Number(static_cast<long>(index)) + "Strings[] =";
    size_t start = 0, onLine = 0;
    if (pool.strings.empty()) out += " \"\"";
    while (start < pool.strings.size()) {
        size_t end = pool.strings.find('\0', start);
        out += (onLine++ % 8 == 0) ? "\n    " : " ";
        std::string literal = CString(pool.strings.substr(start, end - start));
        literal.insert(literal.size() - 1, "\\000");
        out += literal;
        start = end + 1;
    }
    return out + ";\n";
}

static std::string PoolOffsets(size_t index, const PoolImage& pool) {
    std::string out = "const uint16_t kPool" + Number(static_cast<long>(index)) + "Offsets[" +
                      Number(pool.offsets.empty() ? 1 : static_cast<long>(pool.offsets.size())) + "] = {";
    if (pool.offsets.empty()) out += "0";
    for (size_t i = 0; i < pool.offsets.size(); i++)
        out += (i % 16 == 0 ? "\n    " : " ") + Number(pool.offsets[i]) + ",";
    return out + "\n};\n";
}

static std::string Pools(const PoolLayout& layout) {
    std::string out;
    for (size_t i = 0; i < layout.pools.size(); i++)
        out += PoolStrings(i, layout.pools[i]) + PoolOffsets(i, layout.pools[i]) + "\n";
    out += "const WordPool kWordPools[] = {\n";
    for (size_t i = 0; i < layout.pools.size(); i++) {
        std::string n = Number(static_cast<long>(i));
        out += "    {kPool" + n + "Offsets, kPool" + n + "Strings, " +
               Number(static_cast<long>(layout.pools[i].offsets.size())) + ", " +
               Number(static_cast<long>(layout.pools[i].strings.size())) + "},\n";
    }
    if (layout.pools.empty()) out += "    {nullptr, nullptr, 0, 0},\n";
    return out + "};\n\n";
}

static std::string Paragraphs(const PoolLayout& layout) {
    std::string out = "const ParagraphEntry kParagraphTable[kParagraphRows + 1] = {\n";
    for (int p = 0; p <= kParagraphRows; p++) {
        const ParagraphEntry& row = layout.rows[p];
        out += "    {" + Number(row.pool) + ", " + Number(row.firstWord) + ", " + Number(row.endWord) +
               "},  // " + Number(p) + "\n";
    }
    return out + "};\n\n";
}

static std::string Header(const HeaderSource& h) {
    return "const BookHeader kHeader = {\n    " + CString(h.title.text) + ",\n    " +
           CString(h.copyrightHolder.text) + ",\n    " + CString(h.author.text) + ",\n    " +
           Number(h.logoPicture) + ",\n    " + CString(h.closingLine.text) + ",\n    " +
           Number(h.titlePicture) + ",\n    " + CString(h.webSite.text) + ",\n    " +
           CString(h.contactAddress.text) + ",\n    " + CString(h.supportAddress.text) + ",\n};\n\n";
}

static std::string ItemLists(const BookModel& book) {
    std::string out;
    for (int v = 0; v < kStoryVariables; v++) {
        const VariableSource& var = book.variables[v];
        if (!var.textItems.empty()) {
            out += "const char* const kVariable" + Number(v) + "Items[] = {";
            for (const std::string& item : var.textItems) out += "\n    " + CString(item) + ",";
            out += "\n};\n";
        }
        if (!var.pictureItems.empty()) {
            out += "const int16_t kVariable" + Number(v) + "Pictures[] = {";
            for (int16_t item : var.pictureItems) out += Number(item) + ", ";
            out += "};\n";
        }
    }
    return out.empty() ? out : out + "\n";
}

static std::string Variables(const BookModel& book) {
    std::string out = "StoryVariable gVariables[kStoryVariables] = {\n";
    for (int v = 0; v < kStoryVariables; v++) {
        const VariableSource& var = book.variables[v];
        std::string n = Number(v);
        out += "    {" + CString(var.name) + ", " + Number(var.kind) + ", {0, 0}, " + Number(var.limit) +
               ", " + Number(var.minimum) + ", " + Number(var.inventoryParagraph) + ", " +
               (var.textItems.empty() ? "nullptr" : "kVariable" + n + "Items") + ", " +
               (var.pictureItems.empty() ? "nullptr" : "kVariable" + n + "Pictures") + "},  // %" + n + "\n";
    }
    return out + "};\n\n";
}

static std::string RestartsAndSnapshots(const BookModel& book) {
    std::string out = "RestartPoint gRestartPoints[kRestartPoints] = {\n";
    for (int r = 0; r < kRestartPoints; r++)
        out += "    {" + CString(book.restarts[r].label) + ", 0, " + Number(book.restarts[r].paragraph) +
               "},  // *" + Number(r) + "\n";
    return out + "};\n\nSnapshot gSnapshots[kRestartPoints] = {};\n\n";
}

static std::string PicturesAndSounds(const BookModel& book) {
    std::string out = "const PictureEntry kPictureTable[kPictures] = {\n";
    for (const PictureSource& picture : book.pictures)
        out += "    {" + Number(picture.bitmapId) + ", " + Number(picture.width) + ", " +
               Number(picture.height) + ", " + CString(picture.description) + "},\n";
    out += "};\n\nconst char16_t* const kSoundNames[kSounds] = {\n";
    for (const SoundSource& sound : book.sounds) out += "    u\"" + sound.name + "\",\n";
    return out + "};\n\n";
}

std::string GenerateTables(const BookModel& book, const PoolLayout& layout) {
    std::string out = "// The book's tables, generated by qh-bookc from " + book.sourcePath +
                      ".\n// Do not edit: change the book source and build again.\n"
                      "#include \"book/book_tables.h\"\n\nnamespace {\n\n";
    out += Pools(layout) + Paragraphs(layout) + Header(book.header) + ItemLists(book) +
           Variables(book) + RestartsAndSnapshots(book) + PicturesAndSounds(book);
    out += "BookTables gTables = {\n    kWordPools, " + Number(static_cast<long>(layout.pools.size())) +
           ", kParagraphTable, &kHeader, gVariables, gRestartPoints, gSnapshots,\n"
           "    kPictureTable, kSoundNames, {nullptr, nullptr},\n};\n\n}  // namespace\n\n"
           "BookTables* CompiledBook() { return &gTables; }\n";
    return out;
}
