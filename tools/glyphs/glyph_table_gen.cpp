// qh-glyphs: renders the two DejaVu Sans faces with FreeType, exactly as the platform's
// text code asks for them, into a C++ table for builds that carry no FreeType (the web
// edition). The table answers the same questions FreeType would, so such a build draws
// the same pixels as the desktop and headless builds.
//
// usage: qh-glyphs --regular FILE --bold FILE --pixels 13,26,... [--extra 2190,21B5]
//                  --output FILE.cpp
//        qh-glyphs --regular FILE --bold FILE --pixels 13 --advances yes --output FILE.cpp
//
// With --advances, only the advances of Latin-1 at the one size, for the desktop build:
// measuring a line there needs no FreeType call, which hints every glyph it loads.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/tool_files.h"

// The load flags of the platform's text code; the table records them so that a reader
// asking with other flags is refused rather than served different pixels.
constexpr FT_Int32 kLoadFlags = FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL;
constexpr int kMaxPixels = 200;

struct Options {
    bool advances = false;
    std::string regular, bold, output;
    std::vector<int> pixels;
    std::vector<unsigned> extra;
};

static bool ParseList(const char* text, int base, std::vector<unsigned>* out) {
    std::string s(text);
    size_t at = 0;
    while (at <= s.size()) {
        size_t comma = s.find(',', at);
        std::string word = s.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
        char* end = nullptr;
        unsigned long value = std::strtoul(word.c_str(), &end, base);
        if (word.empty() || *end != 0 || value > 0xFFFF) return false;
        out->push_back(unsigned(value));
        if (comma == std::string::npos) break;
        at = comma + 1;
    }
    return true;
}

static bool ParseOptions(int argc, char** argv, Options* o) {
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string arg = argv[i];
        std::vector<unsigned> list;
        if (arg == "--regular") o->regular = argv[i + 1];
        else if (arg == "--bold") o->bold = argv[i + 1];
        else if (arg == "--output") o->output = argv[i + 1];
        else if (arg == "--advances" && std::string(argv[i + 1]) == "yes") o->advances = true;
        else if (arg == "--extra" && ParseList(argv[i + 1], 16, &o->extra)) {}
        else if (arg == "--pixels" && ParseList(argv[i + 1], 10, &list)) {
            for (unsigned p : list) {
                if (p < 1 || p > kMaxPixels) return false;
                o->pixels.push_back(int(p));
            }
        } else return false;
    }
    return argc % 2 == 1 && !o->regular.empty() && !o->bold.empty() && !o->output.empty() && !o->pixels.empty() &&
           (!o->advances || o->pixels.size() == 1);
}

struct Writer {
    std::string faces, glyphs, bits;
    size_t bitCount = 0, glyphCount = 0;
    int bitsOnLine = 0;

    void Byte(unsigned char b) {
        bits += std::to_string(b) + ",";
        if (++bitsOnLine == 40) bits += "\n", bitsOnLine = 0;
        ++bitCount;
    }
};

// One face at one pixel size: every Latin-1 character and the extra code points.
static void RenderSize(FT_Face face, int weight, int pixels, const std::vector<unsigned>& codes, Writer* w) {
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixels));
    size_t first = w->glyphCount;
    for (unsigned code : codes) {
        char line[160];
        if (FT_Load_Char(face, code, kLoadFlags) != 0) {
            std::snprintf(line, sizeof line, "{%u,0,0,0,0,0,0,0,-1},\n", code);
        } else {
            FT_GlyphSlot s = face->glyph;
            std::snprintf(line, sizeof line, "{%u,%ld,%ld,%d,%d,%u,%u,%d,%zu},\n", code, long(s->advance.x),
                          long(s->advance.y), s->bitmap_left, s->bitmap_top, s->bitmap.width, s->bitmap.rows, 1,
                          w->bitCount);
            for (unsigned r = 0; r < s->bitmap.rows; ++r)
                for (unsigned c = 0; c < s->bitmap.width; ++c) w->Byte(s->bitmap.buffer[r * s->bitmap.pitch + c]);
        }
        w->glyphs += line;
        ++w->glyphCount;
    }
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    char line[200];
    std::snprintf(line, sizeof line, "{%d,%d,%u,%d,%d,%d,%d,%u,%u,%d,%zu,%zu},\n", weight, pixels,
                  unsigned(face->units_per_EM), int(face->ascender), int(face->descender),
                  int(face->max_advance_width), os2 ? 1 : 0, os2 ? unsigned(os2->usWinAscent) : 0u,
                  os2 ? unsigned(os2->usWinDescent) : 0u, os2 ? int(os2->xAvgCharWidth) : 0, first,
                  w->glyphCount - first);
    w->faces += line;
}

// The advances (whole pixels, rounded as the platform rounds them) of Latin-1 at one
// size, both weights: 0 where FreeType cannot load a character, as the platform's cache
// then holds.
static std::string AdvanceTable(FT_Face faces[2], int pixels) {
    std::string rows;
    for (int weight = 0; weight < 2; ++weight) {
        FT_Set_Pixel_Sizes(faces[weight], 0, FT_UInt(pixels));
        rows += "{";
        for (unsigned code = 0; code < 256; ++code) {
            long advance = FT_Load_Char(faces[weight], code, kLoadFlags) == 0 ? (faces[weight]->glyph->advance.x + 32) >> 6 : 0;
            rows += std::to_string(advance) + (code % 32 == 31 ? ",\n" : ",");
        }
        rows += "},\n";
    }
    return "// Generated by qh-glyphs from the DejaVu Sans faces: do not edit.\n"
           "#include \"platform/text_advances.h\"\n\n"
           "extern const TextAdvances gTextAdvances = {" + std::to_string(pixels) + ", {\n" + rows + "}};\n";
}

int main(int argc, char** argv) {
    Options o;
    if (!ParseOptions(argc, argv, &o)) {
        std::fprintf(stderr, "usage: qh-glyphs --regular FILE --bold FILE --pixels N,N,... [--extra HEX,...] "
                             "[--advances yes (one size)] --output FILE.cpp\n");
        return 2;
    }
    std::vector<unsigned> codes;
    for (unsigned c = 0; c < 256; ++c) codes.push_back(c);
    for (unsigned c : o.extra)
        if (c >= 256) codes.push_back(c);

    FT_Library library;
    if (FT_Init_FreeType(&library) != 0) {
        std::fprintf(stderr, "qh-glyphs: FreeType could not be started\n");
        return 1;
    }
    Writer w;
    const std::string* files[2] = {&o.regular, &o.bold};
    FT_Face faces[2];
    for (int weight = 0; weight < 2; ++weight) {
        if (FT_New_Face(library, files[weight]->c_str(), 0, &faces[weight]) != 0) {
            std::fprintf(stderr, "qh-glyphs: cannot open the face %s\n", files[weight]->c_str());
            return 1;
        }
        if (!o.advances)
            for (int pixels : o.pixels) RenderSize(faces[weight], weight, pixels, codes, &w);
    }
    std::string advances = o.advances ? AdvanceTable(faces, o.pixels[0]) : "";
    for (FT_Face face : faces) FT_Done_Face(face);
    FT_Done_FreeType(library);
    char why[kToolReasonBytes];
    if (o.advances && WriteToolOutput(o.output.c_str(), advances.data(), advances.size(), why, sizeof why)) return 0;
    if (o.advances) return std::fprintf(stderr, "qh-glyphs: %s\n", why), 1;

    std::string out = "// Generated by qh-glyphs from the DejaVu Sans faces: do not edit.\n"
                      "#include \"platform/glyph_table.h\"\n\n"
                      "static const uint8_t kBits[] = {\n" + w.bits + "0};\n\n"
                      "static const TableGlyph kGlyphs[] = {\n" + w.glyphs + "};\n\n"
                      "static const TableFace kFaces[] = {\n" + w.faces + "};\n\n"
                      "extern const GlyphTable gGlyphTable = {kFaces, int(sizeof kFaces / sizeof kFaces[0]), kGlyphs, "
                      "kBits, sizeof kBits, " + std::to_string(kLoadFlags) + "};\n";
    if (WriteToolOutput(o.output.c_str(), out.data(), out.size(), why, sizeof why)) return 0;
    std::fprintf(stderr, "qh-glyphs: %s\n", why);
    return 1;
}
