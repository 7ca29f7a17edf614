// Text through FreeType with the two embedded DejaVu Sans faces. Each size and weight in
// use is one font instance with its own cache of advances and rendered glyphs, because
// the page layout measures every word prefix again at every paint.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cstdio>
#include <cstring>

#include "platform/resources.h"
#include "platform/window_system.h"

// ============================================================================
// State
// ============================================================================

constexpr int kFontInstances = 12;
constexpr int kCachedChars = 256;            // Latin-1: everything the book can hold
constexpr int kGlyphPoolBytes = 4 << 20;
constexpr int kDrawTextChars = 512;

struct CachedGlyph {
    bool loaded;
    int16_t advance;
    int16_t left, top;           // bitmap offset from the pen, top measured up from the baseline
    uint16_t width, rows;
    int32_t offset;              // into glyphPool; -1 when the pool was full
};

// Text is measured at the logical size always; above device scale 1 it is drawn from
// a second face set to that size times the scale, with glyphs of its own.
struct FontInstance {
    bool used;
    bool bold;
    int pixels;                  // em size
    FT_Face face;
    TEXTMETRICW metrics;
    CachedGlyph glyphs[kCachedChars];
    FT_Face scaledFace;          // opened at the first scale above 1, resized at each change
    int scaledFor;               // the device scale scaledGlyphs hold; 0 for none
    CachedGlyph scaledGlyphs[kCachedChars];
};

static FT_Library library = nullptr;
static bool libraryFailed = false;
static FontInstance instances[kFontInstances];
static uint8_t glyphPool[kGlyphPoolBytes];
static int glyphPoolUsed = 0;
static uint8_t scaledPool[kGlyphPoolBytes];   // the glyphs at the device scale; emptied when it changes
static int scaledPoolUsed = 0;
static GdiObject systemFont;
static GdiObject boldSystemFont;

// ============================================================================
// Faces
// ============================================================================

static bool StartFreeType() {
    if (library) return true;
    if (libraryFailed) return false;
    if (FT_Init_FreeType(&library) != 0) {
        fprintf(stderr, "qh: FreeType could not be started; text is not drawn\n");
        libraryFailed = true;
        library = nullptr;
    }
    return library != nullptr;
}

// The embedded faces; a missing one is reported once and its text is left out.
static FT_Face OpenFace(bool bold, int pixels) {
    ResourceBlob blob;
    FT_Face face = nullptr;
    if (!StartFreeType()) return nullptr;
    if (!LookUpResource(ResourceType::Font, bold ? kFontBold : kFontRegular, &blob) ||
        FT_New_Memory_Face(library, blob.data, FT_Long(blob.size), 0, &face) != 0) {
        fprintf(stderr, "qh: the %s DejaVu Sans face is missing from the program\n", bold ? "bold" : "regular");
        return nullptr;
    }
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixels));
    return face;
}

static int Scaled(int units, int pixels, int unitsPerEm) {
    return (units * pixels * 2 + unitsPerEm) / (2 * unitsPerEm);
}

static void MeasureFace(FontInstance& f) {
    TEXTMETRICW& m = f.metrics;
    m = TEXTMETRICW{};
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(f.face, FT_SFNT_OS2));
    int upem = f.face->units_per_EM ? f.face->units_per_EM : 2048;
    int ascent = os2 ? os2->usWinAscent : f.face->ascender;
    int descent = os2 ? os2->usWinDescent : -f.face->descender;
    m.tmAscent = Scaled(ascent, f.pixels, upem);
    m.tmDescent = Scaled(descent, f.pixels, upem);
    m.tmHeight = m.tmAscent + m.tmDescent;
    m.tmInternalLeading = m.tmHeight - f.pixels;
    m.tmAveCharWidth = Scaled(os2 ? os2->xAvgCharWidth : upem / 2, f.pixels, upem);
    m.tmMaxCharWidth = Scaled(f.face->max_advance_width, f.pixels, upem);
    m.tmWeight = f.bold ? FW_BOLD : FW_NORMAL;
    m.tmDigitizedAspectX = m.tmDigitizedAspectY = 96;
    m.tmFirstChar = 0x20;
    m.tmLastChar = 0xFFFC;
    m.tmDefaultChar = '?';
    m.tmBreakChar = ' ';
}

static int EmPixels(const LOGFONTW& font) {
    if (font.lfHeight < 0) return -font.lfHeight;
    if (font.lfHeight == 0) return 13;
    return (font.lfHeight * 2048 + 1192) / 2384;   // a cell height: DejaVu's cell is 2384/2048 em
}

int FontInstanceFor(const LOGFONTW& font) {
    bool bold = font.lfWeight > FW_MEDIUM;
    int pixels = EmPixels(font);
    if (pixels > 200) pixels = 200;
    for (int i = 0; i < kFontInstances; ++i)
        if (instances[i].used && instances[i].bold == bold && instances[i].pixels == pixels) return i;
    for (int i = 0; i < kFontInstances; ++i) {
        if (instances[i].used) continue;
        FontInstance& f = instances[i];
        f = FontInstance{};
        f.used = true;
        f.bold = bold;
        f.pixels = pixels;
        f.face = OpenFace(bold, pixels);
        if (f.face) MeasureFace(f);
        else f.metrics.tmHeight = f.metrics.tmAscent = pixels, f.metrics.tmAveCharWidth = pixels / 2;
        return i;
    }
    return 0;
}

static void InitStockFont(GdiObject& o, int weight) {
    if (o.kind == ObjectKind::Font) return;
    o.kind = ObjectKind::Font;
    o.stock = true;
    o.font = LOGFONTW{};
    o.font.lfHeight = -13;
    o.font.lfWeight = weight;
    const char16_t name[] = u"DejaVu Sans";
    memcpy(o.font.lfFaceName, name, sizeof(name));
    o.fontInstance = FontInstanceFor(o.font);
}

HFONT SystemFont() {
    InitStockFont(systemFont, FW_NORMAL);
    return &systemFont;
}

HFONT BoldSystemFont() {
    InitStockFont(boldSystemFont, FW_BOLD);
    return &boldSystemFont;
}

void FontMetrics(int instance, TEXTMETRICW* metrics) { *metrics = instances[instance].metrics; }

// ============================================================================
// Glyphs
// ============================================================================

static bool RenderGlyph(FontInstance& f, WCHAR c) {
    return f.face && FT_Load_Char(f.face, c, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) == 0;
}

static void FillCache(FT_Face face, CachedGlyph& g, WCHAR c, uint8_t* pool, int* poolUsed) {
    g.loaded = true;
    g.offset = -1;
    if (!face || FT_Load_Char(face, c, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0) return;
    FT_GlyphSlot slot = face->glyph;
    g.advance = int16_t((slot->advance.x + 32) >> 6);
    g.left = int16_t(slot->bitmap_left);
    g.top = int16_t(slot->bitmap_top);
    g.width = uint16_t(slot->bitmap.width);
    g.rows = uint16_t(slot->bitmap.rows);
    int bytes = g.width * g.rows;
    if (*poolUsed + bytes > kGlyphPoolBytes) return;
    for (int r = 0; r < g.rows; ++r)
        memcpy(&pool[*poolUsed + r * g.width], slot->bitmap.buffer + r * slot->bitmap.pitch, g.width);
    g.offset = *poolUsed;
    *poolUsed += bytes;
}

static const CachedGlyph* Glyph(FontInstance& f, WCHAR c) {
    if (c >= kCachedChars) return nullptr;
    CachedGlyph& g = f.glyphs[c];
    if (!g.loaded) FillCache(f.face, g, c, glyphPool, &glyphPoolUsed);
    return &g;
}

void ForgetScaledGlyphs() {
    scaledPoolUsed = 0;
    for (FontInstance& f : instances) f.scaledFor = 0;
}

// The face at the device scale, its glyph table emptied when the scale has changed
// since it was last used.
static FT_Face ScaledFace(FontInstance& f, int scale) {
    if (f.scaledFor == scale) return f.scaledFace;
    if (!f.scaledFace) f.scaledFace = OpenFace(f.bold, f.pixels * scale);
    else FT_Set_Pixel_Sizes(f.scaledFace, 0, FT_UInt(f.pixels * scale));
    for (CachedGlyph& g : f.scaledGlyphs) g.loaded = false;
    f.scaledFor = scale;
    return f.scaledFace;
}

static const CachedGlyph* ScaledGlyph(FontInstance& f, int scale, WCHAR c) {
    FT_Face face = ScaledFace(f, scale);
    if (c >= kCachedChars || !face) return nullptr;
    CachedGlyph& g = f.scaledGlyphs[c];
    if (!g.loaded) FillCache(face, g, c, scaledPool, &scaledPoolUsed);
    return &g;
}

static int UncachedAdvance(FontInstance& f, WCHAR c) {
    if (const CachedGlyph* g = Glyph(f, c)) return g->advance;
    return RenderGlyph(f, c) ? int((f.face->glyph->advance.x + 32) >> 6) : 0;
}

// Every measurement of a line runs through here once a character: the cached case
// stays inline, the first sight of a character goes to FreeType.
static inline int Advance(FontInstance& f, WCHAR c) {
    if (c < kCachedChars && f.glyphs[c].loaded) return f.glyphs[c].advance;
    return UncachedAdvance(f, c);
}

int TextWidth(int instance, const WCHAR* text, int count) {
    FontInstance& f = instances[instance];
    int width = 0;
    for (int i = 0; i < count; ++i) width += Advance(f, text[i]);
    return width;
}

// One colour channel of `under` covered by `color` to the extent alpha / 255.
static inline uint32_t BlendChannel(uint32_t under, uint32_t color, uint32_t alpha, int shift) {
    uint32_t a = (under >> shift) & 0xFF, b = (color >> shift) & 0xFF;
    return ((a * (255u - alpha) + b * alpha + 127) / 255) << shift;
}

// Text is nearly always drawn on white: the colour a coverage value gives there is
// looked up instead of blended, and the table is made again only when the colour changes.
static uint32_t onWhite[256];
static uint32_t onWhiteColor = 0xFFFFFFFFu;

static void PrepareOnWhite(uint32_t color) {
    if (color == onWhiteColor) return;
    onWhiteColor = color;
    for (uint32_t alpha = 0; alpha < 256; ++alpha)
        onWhite[alpha] = BlendChannel(0xFFFFFF, color, alpha, 0) | BlendChannel(0xFFFFFF, color, alpha, 8) |
                         BlendChannel(0xFFFFFF, color, alpha, 16);
}

// One coverage value onto one pixel: nothing where the glyph is empty, a lookup where
// the page is white, a blend elsewhere.
static inline void CoverPixel(uint32_t* pixel, uint32_t alpha, uint32_t color) {
    if (alpha == 0) return;
    uint32_t under = *pixel;
    if (under == 0x00FFFFFF) {
        *pixel = onWhite[alpha];
        return;
    }
    *pixel = alpha == 255 ? color
                          : BlendChannel(under, color, alpha, 0) | BlendChannel(under, color, alpha, 8) |
                                BlendChannel(under, color, alpha, 16);
}

// Glyph coverage onto the framebuffer, row by row: most glyph pixels are empty or
// fully covered, so only the edges pay for a blend. Eight coverage bytes are looked at
// together, and eight empty ones (the gaps between strokes, wide above scale 1) are
// passed over at once. Position and clip are in device pixels.
static void DrawBitmap(const uint8_t* bits, int width, int rows, int pitch, int x, int y, RECT clip, uint32_t color) {
    RECT r = Intersect(RECT{x, y, x + width, y + rows}, clip);
    int count = r.right - r.left;
    const int stride = gDeviceScale == 1 ? kScreenWidth : DeviceStride();
    PrepareOnWhite(color);
    for (int py = r.top; py < r.bottom && count > 0; ++py) {
        const uint8_t* coverage = bits + (py - y) * pitch + (r.left - x);
        uint32_t* row = &gFramebuffer[py * stride + r.left];
        int i = 0;
        for (; i + 8 <= count; i += 8) {
            uint64_t eight;
            std::memcpy(&eight, coverage + i, 8);
            if (eight == 0) continue;
#pragma GCC unroll 8
            for (int k = 0; k < 8; ++k) CoverPixel(row + i + k, coverage[i + k], color);
        }
        for (; i < count; ++i) CoverPixel(row + i, coverage[i], color);
    }
}

// Above scale 1 the pen still moves by the logical advances, so every glyph stands
// where it stands at scale 1; it is drawn from the scaled face at the pen times S.
static void DrawScaledRun(FontInstance& f, const WCHAR* text, int count, int x, int y, RECT clip, uint32_t color) {
    int s = gDeviceScale;
    int baseline = (y + f.metrics.tmAscent) * s;
    RECT device = {clip.left * s, clip.top * s, clip.right * s, clip.bottom * s};
    for (int i = 0; i < count; ++i) {
        const CachedGlyph* logical = Glyph(f, text[i]);
        const CachedGlyph* g = ScaledGlyph(f, s, text[i]);
        if (g && g->offset >= 0)
            DrawBitmap(&scaledPool[g->offset], g->width, g->rows, g->width, x * s + g->left, baseline - g->top, device, color);
        else if (ScaledFace(f, s) && FT_Load_Char(f.scaledFace, text[i], FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) == 0) {
            // Beyond Latin-1 (the input panel's arrows) or with the pool full: drawn uncached.
            FT_GlyphSlot slot = f.scaledFace->glyph;
            DrawBitmap(slot->bitmap.buffer, int(slot->bitmap.width), int(slot->bitmap.rows), slot->bitmap.pitch,
                       x * s + slot->bitmap_left, baseline - slot->bitmap_top, device, color);
        }
        x += logical ? logical->advance : Advance(f, text[i]);
    }
}

void DrawGlyphRun(int instance, const WCHAR* text, int count, int x, int y, RECT clip, uint32_t color) {
    FontInstance& f = instances[instance];
    int baseline = y + f.metrics.tmAscent;
    clip = Intersect(clip, RECT{0, 0, kScreenWidth, kScreenHeight});
    // A scroll step paints a strip, but the layout draws every line of the page through
    // it: a line whose cell, with an em to spare above and below (no glyph reaches
    // further), misses the strip is passed over whole.
    if (clip.bottom <= y - f.pixels || clip.top >= y + f.metrics.tmHeight + f.pixels) return;
    if (gDeviceScale > 1) {
        DrawScaledRun(f, text, count, x, y, clip, color);
        gFramebufferChanged = true;
        return;
    }
    for (int i = 0; i < count; ++i) {
        const CachedGlyph* g = Glyph(f, text[i]);
        if (g && g->offset >= 0) {
            DrawBitmap(&glyphPool[g->offset], g->width, g->rows, g->width, x + g->left, baseline - g->top, clip, color);
            x += g->advance;
        } else if (RenderGlyph(f, text[i])) {
            FT_GlyphSlot s = f.face->glyph;
            DrawBitmap(s->bitmap.buffer, int(s->bitmap.width), int(s->bitmap.rows), s->bitmap.pitch,
                       x + s->bitmap_left, baseline - s->bitmap_top, clip, color);
            x += int((s->advance.x + 32) >> 6);
        }
    }
    gFramebufferChanged = true;
}

// ============================================================================
// The platform's text calls
// ============================================================================

static int InstanceOf(HDC hdc) {
    HFONT font = hdc && hdc->font ? hdc->font : SystemFont();
    return font->fontInstance;
}

BOOL GetTextMetricsW(HDC hdc, TEXTMETRICW* metrics) {
    if (!hdc || !metrics) return FALSE;
    FontMetrics(InstanceOf(hdc), metrics);
    return TRUE;
}

BOOL GetTextExtentExPointW(HDC hdc, LPCWSTR text, int count, int maxExtent, int* fit, int* dx, SIZE* size) {
    if (!hdc || (!text && count > 0) || count < 0) return FALSE;
    FontInstance& f = instances[InstanceOf(hdc)];
    int width = 0, fitted = 0;
    for (int i = 0; i < count; ++i) {
        width += Advance(f, text[i]);
        if (dx) dx[i] = width;
        if (width <= maxExtent) fitted = i + 1;
    }
    if (fit) *fit = fitted;
    if (size) *size = SIZE{width, f.metrics.tmHeight};
    return TRUE;
}

BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int count, SIZE* size) {
    return GetTextExtentExPointW(hdc, text, count, 0, nullptr, nullptr, size);
}

// ============================================================================
// DrawTextW
// ============================================================================

struct TextLine {
    int start, count, width;
};

// Removes '&' markers ("&&" stands for one '&'); underline gets the index of the
// character that followed the first single marker, or -1.
static int StripPrefixes(const WCHAR* in, int count, WCHAR* out, int* underline) {
    int n = 0;
    *underline = -1;
    for (int i = 0; i < count && n < kDrawTextChars; ++i) {
        if (in[i] == '&' && i + 1 < count) {
            ++i;
            if (in[i] != '&' && *underline < 0) *underline = n;
        }
        out[n++] = in[i];
    }
    return n;
}

// Breaks text into lines at line feeds and, with DT_WORDBREAK, before a word that would
// pass the width.
static int BreakLines(int instance, const WCHAR* text, int count, int width, bool wrap, TextLine* lines, int capacity) {
    int n = 0, start = 0;
    while (start <= count && n < capacity) {
        int end = start, lastSpace = -1;
        while (end < count && text[end] != '\n') {
            if (wrap && text[end] == ' ') lastSpace = end;
            if (wrap && lastSpace > start && TextWidth(instance, text + start, end - start + 1) > width) break;
            ++end;
        }
        bool broke = end < count && text[end] != '\n';
        int stop = broke ? lastSpace : end;
        lines[n++] = TextLine{start, stop - start, TextWidth(instance, text + start, stop - start)};
        start = stop + 1;
        if (!broke && end >= count) break;
    }
    return n;
}

static int LineX(const RECT& r, int width, UINT format) {
    if (format & DT_CENTER) return r.left + (r.right - r.left - width) / 2;
    if (format & DT_RIGHT) return r.right - width;
    return r.left;
}

static void DrawLine(HDC hdc, int instance, const WCHAR* text, const TextLine& line, int x, int y, RECT clip,
                     int underline) {
    int height = instances[instance].metrics.tmHeight;
    RECT cell = Intersect(RECT{x, y, x + line.width, y + height}, clip);
    if (hdc->backMode == OPAQUE) FillScreenRect(cell, ColorToPixel(hdc->backColor));
    uint32_t color = ColorToPixel(hdc->textColor);
    DrawGlyphRun(instance, text + line.start, line.count, x, y, clip, color);
    if (underline >= line.start && underline < line.start + line.count) {
        int ux = x + TextWidth(instance, text + line.start, underline - line.start);
        int uw = TextWidth(instance, text + underline, 1);
        int uy = y + instances[instance].metrics.tmAscent + 1;
        FillScreenRect(Intersect(RECT{ux, uy, ux + uw, uy + 1}, clip), color);
    }
}

int DrawTextW(HDC hdc, LPCWSTR text, int count, RECT* rect, UINT format) {
    if (!hdc || !text || !rect) return 0;
    if (count < 0)
        for (count = 0; text[count]; ++count) {}
    WCHAR buffer[kDrawTextChars];
    int underline = -1;
    if (!(format & DT_NOPREFIX)) {
        count = StripPrefixes(text, count, buffer, &underline);
        text = buffer;
    }
    int instance = InstanceOf(hdc);
    int height = instances[instance].metrics.tmHeight;
    TextLine lines[64];
    bool single = (format & DT_SINGLELINE) != 0;
    int n = single ? 1 : BreakLines(instance, text, count, rect->right - rect->left, (format & DT_WORDBREAK) != 0, lines, 64);
    if (single) lines[0] = TextLine{0, count, TextWidth(instance, text, count)};
    int total = n * height;
    if (format & DT_CALCRECT) {
        int widest = 0;
        for (int i = 0; i < n; ++i) widest = lines[i].width > widest ? lines[i].width : widest;
        rect->right = rect->left + widest;
        rect->bottom = rect->top + total;
        return total;
    }
    int y = rect->top;
    if (single && (format & DT_VCENTER)) y = rect->top + (rect->bottom - rect->top - height) / 2;
    else if (single && (format & DT_BOTTOM)) y = rect->bottom - height;
    if (hdc->memory) return total;
    RECT clip = Intersect(Offset(*rect, hdc->originX, hdc->originY), hdc->clip);
    for (int i = 0; i < n; ++i, y += height)
        DrawLine(hdc, instance, text, lines[i], LineX(*rect, lines[i].width, format) + hdc->originX, y + hdc->originY,
                 clip, underline);
    return total;
}
