// The FreeType calls of text.cpp answered from the glyph table rendered at build time.
// A face, size or character the table lacks is an error, as it would be for FreeType,
// and text.cpp then leaves the text out.
#include "platform/glyph_table.h"

#include <cstring>

constexpr int kTableFaces = 16;   // text.cpp opens one face per font instance (12)

static FT_LibraryRec theLibrary;
static FT_FaceRec faces[kTableFaces];
static int facesUsed = 0;

FT_Error FT_Init_FreeType(FT_Library* library) {
    *library = &theLibrary;
    return 0;
}

// The stand-in font resources hold the tag and the weight's digit.
FT_Error FT_New_Memory_Face(FT_Library, const FT_Byte* data, FT_Long size, FT_Long, FT_Face* face) {
    size_t tag = sizeof kTableFaceTag - 1;
    if (!data || size < FT_Long(tag + 1) || std::memcmp(data, kTableFaceTag, tag) != 0) return 2;
    int weight = data[tag] - '0';
    if ((weight != 0 && weight != 1) || facesUsed == kTableFaces) return 2;
    FT_FaceRec& f = faces[facesUsed++];
    f = FT_FaceRec{};
    f.weight = weight;
    f.glyph = &f.slot;
    for (int i = 0; i < gGlyphTable.faceCount; ++i) {
        const TableFace& t = gGlyphTable.faces[i];
        if (t.weight != weight) continue;
        f.units_per_EM = t.unitsPerEm;
        f.ascender = t.ascender;
        f.descender = t.descender;
        f.max_advance_width = t.maxAdvanceWidth;
        f.hasOs2 = t.hasOs2 != 0;
        f.os2 = TT_OS2{t.winAscent, t.winDescent, t.averageWidth};
        break;
    }
    *face = &f;
    return 0;
}

FT_Error FT_Set_Pixel_Sizes(FT_Face face, FT_UInt, FT_UInt height) {
    face->size = nullptr;
    for (int i = 0; i < gGlyphTable.faceCount; ++i) {
        const TableFace& t = gGlyphTable.faces[i];
        if (t.weight == face->weight && t.pixels == height) face->size = &t;
    }
    return face->size ? 0 : 0x17;   // FreeType's "invalid pixel size"
}

static const TableGlyph* Find(const TableFace& t, FT_ULong code) {
    const TableGlyph* run = gGlyphTable.glyphs + t.firstGlyph;
    if (code < 256 && code < t.glyphCount) return run[code].code == code ? &run[code] : nullptr;
    for (uint32_t i = 256; i < t.glyphCount; ++i)
        if (run[i].code == code) return &run[i];
    return nullptr;
}

FT_Error FT_Load_Char(FT_Face face, FT_ULong code, FT_Int32 flags) {
    // A load without FT_LOAD_RENDER gives the same advance; the bitmap is then not looked at.
    if (!face->size || (flags | FT_LOAD_RENDER) != gGlyphTable.loadFlags) return 0x24;
    const TableGlyph* g = Find(*face->size, code);
    if (!g || !g->loaded) return 0x10;
    if (g->offset < 0 || size_t(g->offset) + size_t(g->width) * g->rows > gGlyphTable.bitCount) return 0x10;
    FT_GlyphSlotRec& s = face->slot;
    s.advance = FT_Vector{g->advanceX, g->advanceY};
    s.bitmap = FT_Bitmap{g->rows, g->width, int(g->width), gGlyphTable.bits + g->offset};
    s.bitmap_left = g->left;
    s.bitmap_top = g->top;
    return 0;
}

void* FT_Get_Sfnt_Table(FT_Face face, FT_Sfnt_Tag tag) {
    if (tag != FT_SFNT_OS2 || !face->hasOs2) return nullptr;
    return &face->os2;
}

// The layer's font resources in a build with the glyph table: stand-ins that name the
// weight, looked up by text.cpp exactly as the packed DejaVu faces are elsewhere.
#include "platform/resources.h"

static const uint8_t kRegularTag[] = "glyph-table-face:0";
static const uint8_t kBoldTag[] = "glyph-table-face:1";
static const PackedResource kFaceResources[] = {
    {ResourceType::Font, kFontRegular, nullptr, kRegularTag, kRegularTag + sizeof kRegularTag - 1},
    {ResourceType::Font, kFontBold, nullptr, kBoldTag, kBoldTag + sizeof kBoldTag - 1},
};
extern const PackedResourceTable gPlatformResources = {kFaceResources, 2};
