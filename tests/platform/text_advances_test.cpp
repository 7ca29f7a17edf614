// The page fonts' advances measured at build time stand in for FreeType's while a line
// is measured, so they must be exactly what FreeType gives the faces the program carries
// (another font folder at build time, or another FreeType, would move every word).
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "platform/resources.h"
#include "platform/text_advances.h"

TEST(TextAdvances, AreWhatFreeTypeGivesTheEmbeddedFacesHinted) {
    FT_Library library;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    for (int bold = 0; bold < 2; ++bold) {
        ResourceBlob blob;
        ASSERT_TRUE(LookUpResource(ResourceType::Font, bold ? kFontBold : kFontRegular, &blob));
        FT_Face face;
        ASSERT_EQ(FT_New_Memory_Face(library, blob.data, FT_Long(blob.size), 0, &face), 0);
        FT_Set_Pixel_Sizes(face, 0, FT_UInt(gTextAdvances.pixels));
        for (unsigned c = 0; c < 256; ++c) {
            bool loaded = FT_Load_Char(face, c, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) == 0;
            long advance = loaded ? (face->glyph->advance.x + 32) >> 6 : 0;
            EXPECT_EQ(gTextAdvances.advance[bold][c], advance) << "character " << c << (bold ? " bold" : "");
        }
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    EXPECT_EQ(gTextAdvances.pixels, 13);   // the system font's size, which the pages use
}
