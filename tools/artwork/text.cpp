// Text in pictures, drawn with FreeType from the DejaVu faces: hinted and antialiased at
// the size asked for, so small captions stay crisp. Faces are opened once per run.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <map>

#include "platform/text_codec.h"
#include "tools/artwork/tokens.h"

#ifndef QH_ARTWORK_FONT_DIR
#define QH_ARTWORK_FONT_DIR "/usr/share/fonts/truetype/dejavu"
#endif

namespace {

struct FontName {
    const char* name;
    const char* file;
};

const FontName kFonts[] = {
    {"sans", "DejaVuSans.ttf"},           {"sans-bold", "DejaVuSans-Bold.ttf"},
    {"sans-oblique", "DejaVuSans-Oblique.ttf"}, {"serif", "DejaVuSerif.ttf"},
    {"serif-bold", "DejaVuSerif-Bold.ttf"}, {"serif-italic", "DejaVuSerif-Italic.ttf"},
    {"mono", "DejaVuSansMono.ttf"},       {"mono-bold", "DejaVuSansMono-Bold.ttf"},
};

FT_Library gLibrary = nullptr;
std::map<std::string, FT_Face> gFaces;

FT_Face OpenFace(const std::string& font, std::string* error) {
    auto found = gFaces.find(font);
    if (found != gFaces.end()) return found->second;
    std::string file = FontFile(font);
    if (file.empty()) return *error = "unknown font '" + font + "'", nullptr;
    if (!gLibrary && FT_Init_FreeType(&gLibrary)) return *error = "FreeType cannot start", nullptr;
    FT_Face face = nullptr;
    if (FT_New_Face(gLibrary, file.c_str(), 0, &face)) return *error = "cannot open the font " + file, nullptr;
    gFaces[font] = face;
    return face;
}

// Next code point of UTF-8 text; malformed bytes stand for themselves (Latin-1).
static uint32_t NextCodePoint(const std::string& s, size_t* i) {
    char32_t code = static_cast<unsigned char>(s[*i]);
    int bytes = DecodeUtf8Char(s.data() + *i, s.size() - *i, &code);
    *i += bytes ? size_t(bytes) : 1;
    return code;
}

// Lays the text out glyph by glyph, calling draw (may be null) for each rendered glyph;
// returns the advance in pixels.
template <typename Draw>
bool Walk(FT_Face face, double size, const std::string& text, Draw draw, double* advance, std::string* error) {
    if (FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(size * 64)), 72, 72)) {
        *error = "the font cannot be set to size " + std::to_string(size);
        return false;
    }
    long pen = 0;   // 26.6 fixed point
    FT_UInt previous = 0;
    for (size_t i = 0; i < text.size();) {
        FT_UInt glyph = FT_Get_Char_Index(face, NextCodePoint(text, &i));
        if (previous && glyph && FT_HAS_KERNING(face)) {
            FT_Vector kern;
            if (!FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &kern)) pen += kern.x;
        }
        if (FT_Load_Glyph(face, glyph, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL)) continue;
        draw(face->glyph, static_cast<int>((pen + 32) >> 6));
        pen += face->glyph->advance.x;
        previous = glyph;
    }
    *advance = pen / 64.0;
    return true;
}

void BlendCoverage(Pixels* p, int x, int y, uint32_t argb, int coverage) {
    if (x < 0 || y < 0 || x >= p->width || y >= p->height || coverage == 0) return;
    double a = ((argb >> 24) & 0xFF) / 255.0 * coverage / 255.0;
    uint32_t& dst = p->rgb[static_cast<size_t>(y) * p->width + x];
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        double d = (dst >> shift) & 0xFF, s = (argb >> shift) & 0xFF;
        out |= static_cast<uint32_t>(std::lround(d + (s - d) * a)) << shift;
    }
    dst = out;
}

}  // namespace

std::string FontFile(const std::string& font) {
    for (const FontName& f : kFonts)
        if (font == f.name) return std::string(QH_ARTWORK_FONT_DIR) + "/" + f.file;
    return "";
}

bool MeasureText(double size, const std::string& font, const std::string& utf8, double* width,
                 std::string* error) {
    FT_Face face = OpenFace(font, error);
    return face && Walk(face, size, utf8, [](FT_GlyphSlot, int) {}, width, error);
}

bool DrawText(Pixels* target, double x, double baseline, double size, uint32_t argb,
              const std::string& font, const std::string& utf8, std::string* error) {
    FT_Face face = OpenFace(font, error);
    if (!face) return false;
    int left = static_cast<int>(std::lround(x)), base = static_cast<int>(std::lround(baseline));
    auto draw = [&](FT_GlyphSlot slot, int pen) {
        const FT_Bitmap& b = slot->bitmap;
        for (unsigned row = 0; row < b.rows; ++row)
            for (unsigned col = 0; col < b.width; ++col)
                BlendCoverage(target, left + pen + slot->bitmap_left + int(col), base - slot->bitmap_top + int(row),
                              argb, b.buffer[int(row) * b.pitch + int(col)]);
    };
    double advance = 0;
    return Walk(face, size, utf8, draw, &advance, error);
}
