// Glyphs rendered at build time (tools/glyphs) for a build that carries no FreeType:
// the web edition. The table is reached through the few FreeType calls that text.cpp
// makes, spelled as FreeType spells them (web_freetype/ft2build.h points the include
// there), so text.cpp is the same code in every build and draws the same pixels.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- the table qh-glyphs writes
struct TableGlyph {
    uint32_t code;
    int32_t advanceX, advanceY;     // 26.6 fixed point, as FreeType gives them
    int16_t left, top;
    uint16_t width, rows;
    uint8_t loaded;                 // 0: FreeType could not load this character
    int32_t offset;                 // into bits; width x rows bytes of coverage
};

struct TableFace {
    uint8_t weight;                 // 0 regular, 1 bold
    uint16_t pixels;                // the em size in pixels
    uint16_t unitsPerEm;
    int16_t ascender, descender, maxAdvanceWidth;
    uint8_t hasOs2;
    uint16_t winAscent, winDescent;
    int16_t averageWidth;
    uint32_t firstGlyph, glyphCount;   // a run of glyphs, codes ascending
};

struct GlyphTable {
    const TableFace* faces;
    int faceCount;
    const TableGlyph* glyphs;
    const uint8_t* bits;
    size_t bitCount;
    int32_t loadFlags;              // the only flags the table answers
};

extern const GlyphTable gGlyphTable;

// The font resource of a table face: its bytes name the weight, so that the packed
// fonts of other builds and these stand-ins are looked up the same way.
constexpr char kTableFaceTag[] = "glyph-table-face:";

// ---- the FreeType subset text.cpp uses
typedef int FT_Error;
typedef int32_t FT_Int32;
typedef long FT_Long;
typedef long FT_Pos;
typedef unsigned FT_UInt;
typedef unsigned long FT_ULong;
typedef unsigned char FT_Byte;

struct FT_Vector { FT_Pos x, y; };
struct FT_Bitmap {
    unsigned rows, width;
    int pitch;
    const unsigned char* buffer;
};
struct FT_GlyphSlotRec {
    FT_Vector advance;
    FT_Bitmap bitmap;
    int bitmap_left, bitmap_top;
};
typedef FT_GlyphSlotRec* FT_GlyphSlot;

struct TT_OS2 {
    unsigned short usWinAscent, usWinDescent;
    short xAvgCharWidth;
};

struct FT_FaceRec {
    unsigned short units_per_EM;
    short ascender, descender, max_advance_width;
    FT_GlyphSlot glyph;
    // the table's side
    int weight;
    const TableFace* size;          // the table face of the size set; null before
    FT_GlyphSlotRec slot;
    TT_OS2 os2;
    bool hasOs2;
};
typedef FT_FaceRec* FT_Face;
struct FT_LibraryRec { int unused; };
typedef FT_LibraryRec* FT_Library;

enum FT_Sfnt_Tag { FT_SFNT_HEAD = 0, FT_SFNT_MAXP = 1, FT_SFNT_OS2 = 2 };

#define FT_LOAD_RENDER (1L << 2)
#define FT_LOAD_TARGET_NORMAL 0

FT_Error FT_Init_FreeType(FT_Library* library);
FT_Error FT_New_Memory_Face(FT_Library library, const FT_Byte* data, FT_Long size, FT_Long index, FT_Face* face);
FT_Error FT_Set_Pixel_Sizes(FT_Face face, FT_UInt width, FT_UInt height);
FT_Error FT_Load_Char(FT_Face face, FT_ULong code, FT_Int32 flags);
void* FT_Get_Sfnt_Table(FT_Face face, FT_Sfnt_Tag tag);
