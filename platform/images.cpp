// The cache of decoded bitmap resources and their copies at the device scale.
//
// Sections: the resource cache / copies at the device scale
#include "platform/images.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/resources.h"

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
