// The faces the program carries are cut down at build time to the characters the reader
// can draw. Each of those must come out of FreeType exactly as from the full DejaVu face
// it was cut from, at every device scale: the same advance, the same place and the same
// coverage, hinting included. The control characters, which only the missing glyph's
// box stands for, are among them.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

#include "platform/resources.h"

namespace {

struct Rendered {
    FT_Error error;
    long advance;
    int left, top;
    unsigned width, rows;
    std::string coverage;
};

Rendered Render(FT_Face face, unsigned code) {
    Rendered r{FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL), 0, 0, 0, 0, 0, {}};
    if (r.error) return r;
    const FT_GlyphSlot g = face->glyph;
    r.advance = g->advance.x;
    r.left = g->bitmap_left;
    r.top = g->bitmap_top;
    r.width = g->bitmap.width;
    r.rows = g->bitmap.rows;
    for (unsigned y = 0; y < r.rows; ++y)
        r.coverage.append(reinterpret_cast<const char*>(g->bitmap.buffer + y * g->bitmap.pitch), r.width);
    return r;
}

TEST(EmbeddedFaces, DrawWhatTheFullFacesDrawAtEveryScale) {
    FT_Library library;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    const char* files[2] = {QH_FONT_DIR "/DejaVuSans.ttf", QH_FONT_DIR "/DejaVuSans-Bold.ttf"};
    for (int bold = 0; bold < 2; ++bold) {
        ResourceBlob blob;
        ASSERT_TRUE(LookUpResource(ResourceType::Font, bold ? kFontBold : kFontRegular, &blob));
        FT_Face embedded, full;
        ASSERT_EQ(FT_New_Memory_Face(library, blob.data, FT_Long(blob.size), 0, &embedded), 0);
        ASSERT_EQ(FT_New_Face(library, files[bold], 0, &full), 0);
        EXPECT_EQ(embedded->ascender, full->ascender);
        EXPECT_EQ(embedded->descender, full->descender);
        EXPECT_EQ(embedded->max_advance_width, full->max_advance_width);
        for (int pixels = 13; pixels <= 52; pixels += 13) {
            FT_Set_Pixel_Sizes(embedded, 0, FT_UInt(pixels));
            FT_Set_Pixel_Sizes(full, 0, FT_UInt(pixels));
            for (unsigned code = 0; code < 0x21B6; code = code == 0xFF ? 0x2190 : code == 0x2190 ? 0x21B5 : code + 1) {
                Rendered a = Render(embedded, code), b = Render(full, code);
                EXPECT_TRUE(a.error == b.error && a.advance == b.advance && a.left == b.left && a.top == b.top &&
                            a.width == b.width && a.rows == b.rows && a.coverage == b.coverage)
                    << "character " << std::hex << code << std::dec << " at " << pixels << " pixels"
                    << (bold ? ", bold" : "");
            }
        }
        FT_Done_Face(embedded);
        FT_Done_Face(full);
    }
    FT_Done_FreeType(library);
}

}  // namespace
