// Bitmap decoding and the cache of decoded bitmap resources. BMP is read here; PNG goes
// through libpng, whose memory comes from a fixed scratch area, so decoding a picture
// never touches the heap.
//
// Sections: byte helpers / BMP / PNG / dispatch / the resource cache
#include "platform/images.h"

#ifndef QH_NO_LIBPNG
#include <png.h>
#endif

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "platform/resources.h"

// ============================================================================
// Byte helpers
// ============================================================================

static uint32_t Little16(const uint8_t* p) { return p[0] | (p[1] << 8); }
static uint32_t Little32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }

static uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return (r << 16) | (g << 8) | b; }

static bool Fail(char* error, int errorSize, const char* message) {
    std::snprintf(error, errorSize, "%s", message);
    return false;
}

static bool SizeAcceptable(int64_t width, int64_t height, int32_t capacity, char* error, int errorSize) {
    if (width < 1 || height < 1 || width > kImageSideLimit || height > kImageSideLimit) {
        std::snprintf(error, errorSize, "a picture of %lld x %lld pixels is not accepted",
                      (long long)width, (long long)height);
        return false;
    }
    if (width * height > capacity) {
        std::snprintf(error, errorSize, "no room for a picture of %lld x %lld pixels",
                      (long long)width, (long long)height);
        return false;
    }
    return true;
}

// ============================================================================
// BMP: an optional 14-byte file header, a BITMAPINFOHEADER (or a later, longer version),
// a palette for up to 8 bits per pixel, then rows padded to 4 bytes, bottom row first
// unless the height is negative.
// ============================================================================

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;

struct BmpLayout {
    int32_t width, height;
    bool topDown;
    uint32_t bits;
    uint32_t paletteAt, colours;
    uint32_t pixelsAt, stride;
};

static bool HasFileHeader(const uint8_t* data, uint32_t size) {
    return size >= 2 && data[0] == 'B' && data[1] == 'M';
}

static bool IsDib(const uint8_t* data, uint32_t size) {
    uint32_t at = HasFileHeader(data, size) ? kFileHeaderSize : 0;
    return size >= at + 4 && Little32(data + at) >= kInfoHeaderSize && Little32(data + at) <= 124;
}

// Reads and checks the headers; every offset in the layout lies inside the data.
static bool ReadBmpLayout(const uint8_t* data, uint32_t size, BmpLayout* b, char* error, int errorSize) {
    uint32_t at = HasFileHeader(data, size) ? kFileHeaderSize : 0;
    if (size < at + kInfoHeaderSize) return Fail(error, errorSize, "the bitmap header is cut short");
    const uint8_t* info = data + at;
    uint32_t headerSize = Little32(info);
    int32_t height = int32_t(Little32(info + 8));
    b->width = int32_t(Little32(info + 4));
    b->topDown = height < 0;
    b->height = height == INT32_MIN ? 0 : height < 0 ? -height : height;
    b->bits = Little16(info + 14);
    if (Little32(info + 16) != 0) return Fail(error, errorSize, "compressed bitmaps are not supported");
    if (b->bits != 1 && b->bits != 4 && b->bits != 8 && b->bits != 24) {
        std::snprintf(error, errorSize, "bitmaps of %u bits per pixel are not supported", b->bits);
        return false;
    }
    uint32_t used = Little32(info + 32);
    b->colours = b->bits > 8 ? 0 : used ? used : 1u << b->bits;
    if (b->colours > 256) return Fail(error, errorSize, "the bitmap's palette has more than 256 colours");
    b->paletteAt = at + headerSize;
    uint64_t paletteEnd = uint64_t(b->paletteAt) + 4ull * b->colours;
    if (paletteEnd > size) return Fail(error, errorSize, "the bitmap's palette is cut short");
    b->pixelsAt = at ? Little32(data + 10) : uint32_t(paletteEnd);
    b->stride = uint32_t((uint64_t(b->width > 0 ? b->width : 0) * b->bits + 31) / 32 * 4);
    return true;
}

static bool RowsFit(const BmpLayout& b, uint32_t size, char* error, int errorSize) {
    if (uint64_t(b.pixelsAt) + uint64_t(b.stride) * uint64_t(b.height) > size)
        return Fail(error, errorSize, "the bitmap's pixels are cut short");
    return true;
}

static void DecodeBmpRow(const BmpLayout& b, const uint8_t* row, const uint32_t* palette, uint32_t* out) {
    if (b.bits == 24) {
        for (int32_t x = 0; x < b.width; ++x, row += 3) out[x] = Rgb(row[2], row[1], row[0]);
        return;
    }
    uint32_t mask = (1u << b.bits) - 1;
    for (int32_t x = 0; x < b.width; ++x) {
        uint32_t bit = uint32_t(x) * b.bits;
        uint32_t index = (row[bit / 8] >> (8 - b.bits - bit % 8)) & mask;
        out[x] = palette[index];   // an index past the palette reads a zero (black) entry
    }
}

static bool DecodeBmp(const uint8_t* data, uint32_t size, uint32_t* pixels, int32_t capacity,
                      DecodedImage* out, char* error, int errorSize) {
    BmpLayout b;
    if (!ReadBmpLayout(data, size, &b, error, errorSize) ||
        !SizeAcceptable(b.width, b.height, capacity, error, errorSize) || !RowsFit(b, size, error, errorSize))
        return false;
    uint32_t palette[256] = {};
    for (uint32_t i = 0; i < b.colours; ++i) {
        const uint8_t* entry = data + b.paletteAt + 4 * i;
        palette[i] = Rgb(entry[2], entry[1], entry[0]);
    }
    for (int32_t y = 0; y < b.height; ++y) {
        int32_t stored = b.topDown ? y : b.height - 1 - y;
        DecodeBmpRow(b, data + b.pixelsAt + uint64_t(stored) * b.stride, palette, pixels + int64_t(y) * b.width);
    }
    *out = {pixels, b.width, b.height, b.bits <= 8};
    return true;
}

#ifndef QH_NO_LIBPNG
// ============================================================================
// PNG through libpng, reading from memory. libpng's allocations come from a scratch
// area that is emptied before every picture; its errors come back through longjmp.
// ============================================================================

constexpr uint32_t kPngScratchBytes = 512 * 1024;
alignas(16) static uint8_t pngScratch[kPngScratchBytes];
static uint32_t pngScratchUsed;

static png_voidp ScratchAlloc(png_structp, png_alloc_size_t size) {
    png_alloc_size_t rounded = (size + 15) & ~png_alloc_size_t(15);
    if (rounded < size || rounded > kPngScratchBytes - pngScratchUsed) return nullptr;
    png_voidp block = pngScratch + pngScratchUsed;
    pngScratchUsed += uint32_t(rounded);
    return block;
}

static void ScratchFree(png_structp, png_voidp) {}   // the whole area is emptied at once

struct PngSource {
    const uint8_t* data;
    uint32_t size, at;
    char* error;
    int errorSize;
};

static void PngRead(png_structp png, png_bytep to, size_t length) {
    PngSource* s = static_cast<PngSource*>(png_get_io_ptr(png));
    if (length > s->size - s->at) png_error(png, "the PNG data is cut short");
    std::memcpy(to, s->data + s->at, length);
    s->at += uint32_t(length);
}

static void PngError(png_structp png, png_const_charp message) {
    PngSource* s = static_cast<PngSource*>(png_get_error_ptr(png));
    std::snprintf(s->error, s->errorSize, "broken PNG: %s", message);
    png_longjmp(png, 1);
}

static void PngWarning(png_structp, png_const_charp) {}

static bool IsPng(const uint8_t* data, uint32_t size) {
    return size >= 8 && png_sig_cmp(data, 0, 8) == 0;
}

// Whatever the PNG holds, libpng hands over 8-bit RGBA rows.
static void AskForRgba(png_structp png, png_infop info) {
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
}

// Turns RGBA bytes, read in place, into 0x00RRGGBB blended over white.
static void RgbaToPixels(uint32_t* pixels, int64_t count) {
    uint8_t* bytes = reinterpret_cast<uint8_t*>(pixels);
    for (int64_t i = 0; i < count; ++i) {
        const uint8_t* p = bytes + 4 * i;
        uint32_t a = p[3], over = 255 * (255 - a);
        pixels[i] = Rgb((p[0] * a + over + 127) / 255, (p[1] * a + over + 127) / 255, (p[2] * a + over + 127) / 255);
    }
}

// The part that libpng may leave by longjmp: nothing here needs cleaning up.
static bool ReadPng(png_structp png, png_infop info, uint32_t* pixels, int32_t capacity,
                    DecodedImage* out, PngSource* source) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, source, PngRead);
    png_read_info(png, info);
    bool palette = png_get_color_type(png, info) == PNG_COLOR_TYPE_PALETTE;
    int64_t width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    if (!SizeAcceptable(width, height, capacity, source->error, source->errorSize)) return false;
    AskForRgba(png, info);
    png_bytepp rows = static_cast<png_bytepp>(png_malloc(png, sizeof(png_bytep) * height));
    for (int64_t y = 0; y < height; ++y) rows[y] = reinterpret_cast<png_bytep>(pixels + y * width);
    png_read_image(png, rows);
    RgbaToPixels(pixels, width * height);
    *out = {pixels, int32_t(width), int32_t(height), palette};
    return true;
}

static bool DecodePng(const uint8_t* data, uint32_t size, uint32_t* pixels, int32_t capacity,
                      DecodedImage* out, char* error, int errorSize) {
    PngSource source{data, size, 0, error, errorSize};
    pngScratchUsed = 0;
    png_structp png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &source, PngError, PngWarning,
                                               nullptr, ScratchAlloc, ScratchFree);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) return Fail(error, errorSize, "no memory to read a PNG");
    bool ok = ReadPng(png, info, pixels, capacity, out, &source);
    png_destroy_read_struct(&png, &info, nullptr);
    return ok;
}

#else
// A build without libpng (the web edition) gets its pictures packed decoded.
static bool IsPng(const uint8_t* data, uint32_t size) { return size >= 4 && data[0] == 0x89 && data[1] == 'P'; }
static bool DecodePng(const uint8_t*, uint32_t, uint32_t*, int32_t, DecodedImage*, char* error, int errorSize) {
    return Fail(error, errorSize, "a PNG picture, which this build cannot decode");
}
#endif
// ============================================================================
// The run-length form (images.h). Every operation is checked against the data left and
// the pixels left before it writes.
// ============================================================================

static bool IsRunLength(const uint8_t* data, uint32_t size) { return size >= 8 && !std::memcmp(data, "QHRL", 4); }

static bool DecodeRunLength(const uint8_t* data, uint32_t size, uint32_t* pixels, int32_t capacity,
                            DecodedImage* out, char* error, int errorSize) {
    int32_t width = int32_t(Little16(data + 4)), height = int32_t(Little16(data + 6));
    if (!SizeAcceptable(width, height, capacity, error, errorSize)) return false;
    int64_t total = int64_t(width) * height, at = 0;
    uint32_t read = 8;
    while (at < total) {
        if (size - read < 2) return Fail(error, errorSize, "the run-length picture is cut short");
        uint32_t word = Little16(data + read), kind = word >> 14, count = word & 0x3FFF;
        read += 2;
        uint32_t bytes = kind == 0 ? 3 : kind == 2 ? 3 * count : 0;
        if (count == 0 || count > total - at || kind == 3 || (kind == 1 && (at < width || int32_t(count) > width)))
            return Fail(error, errorSize, "the run-length picture is broken");
        if (size - read < bytes) return Fail(error, errorSize, "the run-length picture is cut short");
        const uint8_t* p = data + read;
        uint32_t* to = pixels + at;
        if (kind == 0) std::fill_n(to, count, Rgb(p[0], p[1], p[2]));
        else if (kind == 1) std::memcpy(to, to - width, count * sizeof(uint32_t));
        else
            for (uint32_t i = 0; i < count; ++i, p += 3) to[i] = Rgb(p[0], p[1], p[2]);
        read += bytes;
        at += count;
    }
    *out = {pixels, width, height, false};
    return true;
}

// ============================================================================
// Dispatch
// ============================================================================

bool DecodeImage(const uint8_t* data, uint32_t size, uint32_t* pixels, int32_t capacity,
                 DecodedImage* out, char* error, int errorSize) {
    if (IsRunLength(data, size)) return DecodeRunLength(data, size, pixels, capacity, out, error, errorSize);
    if (IsPng(data, size)) return DecodePng(data, size, pixels, capacity, out, error, errorSize);
    if (IsDib(data, size)) return DecodeBmp(data, size, pixels, capacity, out, error, errorSize);
    return Fail(error, errorSize, "neither a BMP nor a PNG picture");
}

// ============================================================================
// The resource cache: one row per bitmap id tried, failures included, so that a broken
// picture is reported once and not decoded again on every page.
// ============================================================================

struct CachedImage {
    uint16_t id;
    bool decoded;
    DecodedImage image;
};

static uint32_t pixelPool[kImagePixelPool];
static int32_t poolUsed;
static CachedImage cache[kDecodedImages];
static int cacheCount;
static uint32_t cacheGeneration;

// Registered files may now answer for ids decoded before, so every id is looked up
// again. The pool only grows: pixels handed out earlier stay as they were, for bitmaps
// that still hold them.
static void ForgetRowsIfResourcesChanged() {
    if (cacheGeneration == ResourceGeneration()) return;
    cacheGeneration = ResourceGeneration();
    cacheCount = 0;
}

static const CachedImage* CachedRow(uint16_t id) {
    for (int i = 0; i < cacheCount; ++i)
        if (cache[i].id == id) return &cache[i];
    return nullptr;
}

static bool DecodeResource(uint16_t id, DecodedImage* image) {
    char error[128];
    ResourceBlob blob;
    if (!LookUpResource(ResourceType::Bitmap, id, &blob)) {
        std::snprintf(error, sizeof error, "there is no such resource");
    } else if (DecodeImage(blob.data, blob.size, pixelPool + poolUsed, kImagePixelPool - poolUsed, image,
                           error, sizeof error)) {
        poolUsed += image->width * image->height;
        return true;
    }
    std::fprintf(stderr, "bitmap %u: %s\n", id, error);
    return false;
}

bool LoadBitmapResource(uint16_t id, DecodedImage* out) {
    ForgetRowsIfResourcesChanged();
    if (const CachedImage* row = CachedRow(id)) {
        *out = row->image;
        return row->decoded;
    }
    if (cacheCount == kDecodedImages) {
        std::fprintf(stderr, "bitmap %u: more than %d bitmaps loaded\n", id, kDecodedImages);
        return false;
    }
    CachedImage& row = cache[cacheCount++];
    row = {id, false, {nullptr, 0, 0, false}};
    row.decoded = DecodeResource(id, &row.image);
    *out = row.image;
    return row.decoded;
}

// ============================================================================
// Copies at the device scale. One pool, one scale at a time: a change of scale or a
// full pool starts it again, which is safe because a copy is only read while a bitmap
// is copied to the screen.
// ============================================================================

struct ScaledImage {
    uint16_t id;
    bool made;
    DecodedImage image;
};

static uint32_t scaledPool[kScaledPixelPool];
static int32_t scaledUsed;
static ScaledImage scaledCache[kScaledImages];
static int scaledCount;
static int scaledFor;
static uint32_t scaledGeneration;

void ForgetScaledBitmaps() {
    scaledCount = 0;
    scaledUsed = 0;
}

static void GrowByWholePixels(const DecodedImage& from, int s, uint32_t* to) {
    int width = from.width * s;
    for (int y = 0; y < from.height * s; ++y) {
        const uint32_t* source = from.pixels + (y / s) * from.width;
        uint32_t* row = to + y * width;
        for (int x = 0; x < width; ++x) row[x] = source[x / s];
    }
}

// Bilinear, sampling the picture at the centre of each device pixel; the edges repeat.
static uint32_t Lerp(uint32_t a, uint32_t b, int t, int whole) {
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        int x = int((a >> shift) & 0xFF), y = int((b >> shift) & 0xFF);
        out |= uint32_t((x * (whole - t) + y * t + whole / 2) / whole) << shift;
    }
    return out;
}

static void GrowSmoothly(const DecodedImage& from, int s, uint32_t* to) {
    int width = from.width * s, whole = 2 * s;
    for (int y = 0; y < from.height * s; ++y) {
        int fy = 2 * y + 1 - s;   // source y in units of 1 / (2 s), less half a pixel
        int y0 = fy < 0 ? 0 : fy / whole, ty = fy < 0 ? 0 : fy % whole;
        int y1 = y0 + 1 < from.height ? y0 + 1 : y0;
        const uint32_t* r0 = from.pixels + y0 * from.width;
        const uint32_t* r1 = from.pixels + y1 * from.width;
        for (int x = 0; x < width; ++x) {
            int fx = 2 * x + 1 - s;
            int x0 = fx < 0 ? 0 : fx / whole, tx = fx < 0 ? 0 : fx % whole;
            int x1 = x0 + 1 < from.width ? x0 + 1 : x0;
            to[y * width + x] = Lerp(Lerp(r0[x0], r0[x1], tx, whole), Lerp(r1[x0], r1[x1], tx, whole), ty, whole);
        }
    }
}

static RenderingSource renderingSource = nullptr;

void SetRenderingSource(RenderingSource source) {
    renderingSource = source;
    ForgetScaledBitmaps();
}

static ResourceType RenderingAt(int scale) {
    return scale == 2 ? ResourceType::BitmapAt2 : scale == 3 ? ResourceType::BitmapAt3 : ResourceType::BitmapAt4;
}

static bool MakeScaled(uint16_t id, int s, DecodedImage* out) {
    DecodedImage base;
    if (!LoadBitmapResource(id, &base)) return false;
    int64_t pixels = int64_t(base.width) * s * base.height * s;
    if (scaledCount == kScaledImages || pixels > kScaledPixelPool - scaledUsed) ForgetScaledBitmaps();
    if (pixels > kScaledPixelPool) {
        std::fprintf(stderr, "bitmap %u: too large to show at scale %d\n", id, s);
        return false;
    }
    uint32_t* to = scaledPool + scaledUsed;
    int32_t width = 0, height = 0;
    if (renderingSource && renderingSource(id, s, to, int32_t(pixels), &width, &height)) {
        if (width == base.width * s && height == base.height * s) {
            *out = {to, width, height, base.pixelArt};
            scaledUsed += int32_t(pixels);
            return true;
        }
        std::fprintf(stderr, "bitmap %u: its rendering at scale %d does not fit the picture; grown instead\n", id, s);
    }
    ResourceBlob blob;
    char error[128];
    if (LookUpResource(RenderingAt(s), id, &blob)) {
        if (DecodeImage(blob.data, blob.size, to, int32_t(pixels), out, error, sizeof error) &&
            out->width == base.width * s && out->height == base.height * s) {
            scaledUsed += int32_t(pixels);
            return true;
        }
        std::fprintf(stderr, "bitmap %u: its rendering at scale %d does not fit the picture; grown instead\n", id, s);
    }
    if (base.pixelArt) GrowByWholePixels(base, s, to);
    else GrowSmoothly(base, s, to);
    *out = {to, base.width * s, base.height * s, base.pixelArt};
    scaledUsed += int32_t(pixels);
    return true;
}

bool LoadScaledBitmap(uint16_t id, int scale, DecodedImage* out) {
    if (scale <= 1) return LoadBitmapResource(id, out);
    if (scale > 4) return false;
    if (scaledFor != scale || scaledGeneration != ResourceGeneration()) {
        ForgetScaledBitmaps();
        scaledFor = scale;
        scaledGeneration = ResourceGeneration();
    }
    for (int i = 0; i < scaledCount; ++i)
        if (scaledCache[i].id == id) {
            *out = scaledCache[i].image;
            return scaledCache[i].made;
        }
    ScaledImage row = {id, false, {nullptr, 0, 0, false}};
    row.made = MakeScaled(id, scale, &row.image);
    scaledCache[scaledCount++] = row;
    *out = row.image;
    return row.made;
}
