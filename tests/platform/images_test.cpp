// Bitmap decoding: BMP of every depth the reader's pictures use, PNG through libpng, the
// run-length form of the renderings, broken files refused with a reason, and the cache
// of decoded bitmap resources.
#include <unistd.h>

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/images.h"
#include "platform/resources.h"

namespace {

typedef std::vector<uint8_t> Bytes;

void Put16(Bytes* b, uint32_t v) { b->insert(b->end(), {uint8_t(v), uint8_t(v >> 8)}); }
void Put32(Bytes* b, uint32_t v) { b->insert(b->end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}); }

// A BMP file; rows are given top first, already packed, and padded here. A negative
// height stores them top first, a positive one bottom first as most files do.
Bytes MakeBmp(int width, int height, int bits, const std::vector<uint32_t>& palette,
              const std::vector<Bytes>& rowsTopFirst, bool fileHeader = true, uint32_t compression = 0) {
    int stride = (width * bits + 31) / 32 * 4;
    int rows = height < 0 ? -height : height;
    Bytes pixels;
    for (int i = 0; i < rows; ++i) {
        Bytes row = rowsTopFirst[height < 0 ? i : rows - 1 - i];
        row.resize(stride, 0);
        pixels.insert(pixels.end(), row.begin(), row.end());
    }
    Bytes b;
    uint32_t offset = 14 + 40 + 4 * uint32_t(palette.size());
    if (fileHeader) {
        b = {'B', 'M'};
        Put32(&b, offset + uint32_t(pixels.size()));
        Put32(&b, 0);
        Put32(&b, offset);
    }
    Put32(&b, 40), Put32(&b, width), Put32(&b, uint32_t(height)), Put16(&b, 1), Put16(&b, bits);
    Put32(&b, compression), Put32(&b, uint32_t(pixels.size())), Put32(&b, 2835), Put32(&b, 2835);
    Put32(&b, uint32_t(palette.size())), Put32(&b, 0);
    for (uint32_t colour : palette) Put32(&b, colour);   // 0x00RRGGBB is B, G, R, 0 in the file
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

struct Decoded {
    bool ok;
    DecodedImage image;
    std::vector<uint32_t> pixels;
    std::string error;
};

Decoded Decode(const Bytes& file, int32_t capacity = 4096) {
    Decoded d{false, {}, std::vector<uint32_t>(capacity), ""};
    char error[128] = "";
    d.ok = DecodeImage(file.data(), uint32_t(file.size()), d.pixels.data(), capacity, &d.image, error, sizeof error);
    d.error = error;
    return d;
}

uint32_t At(const Decoded& d, int x, int y) { return d.image.pixels[y * d.image.width + x]; }

TEST(BmpDecoding, OneBitRowsCrossByteBoundariesWithTheirPalette) {
    // 10 pixels wide: the row spills into a second byte. Palette: 0 dark blue, 1 yellow.
    Bytes top = {0b10000000, 0b01000000};      // pixels 0 and 9 set
    Bytes bottom = {0b01111111, 0b10000000};   // pixels 1..8 set
    Decoded d = Decode(MakeBmp(10, 2, 1, {0x000020, 0xFFFF00}, {top, bottom}));
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.image.width, 10);
    EXPECT_EQ(d.image.height, 2);
    EXPECT_EQ(At(d, 0, 0), 0xFFFF00u);
    EXPECT_EQ(At(d, 1, 0), 0x000020u);
    EXPECT_EQ(At(d, 9, 0), 0xFFFF00u);
    EXPECT_EQ(At(d, 0, 1), 0x000020u);
    EXPECT_EQ(At(d, 8, 1), 0xFFFF00u);
    EXPECT_EQ(At(d, 9, 1), 0x000020u);
}

TEST(BmpDecoding, EightBitIndexesItsPaletteAndTopDownRowsStayInOrder) {
    std::vector<uint32_t> palette = {0x000000, 0x112233, 0xA0B0C0};
    std::vector<Bytes> rows = {{2, 1, 0}, {0, 0, 2}};
    for (int height : {2, -2}) {
        Decoded d = Decode(MakeBmp(3, height, 8, palette, rows));
        ASSERT_TRUE(d.ok) << d.error;
        EXPECT_EQ(At(d, 0, 0), 0xA0B0C0u) << height;
        EXPECT_EQ(At(d, 1, 0), 0x112233u) << height;
        EXPECT_EQ(At(d, 2, 1), 0xA0B0C0u) << height;
        EXPECT_EQ(At(d, 0, 1), 0x000000u) << height;
    }
}

TEST(BmpDecoding, TwentyFourBitRowsArePaddedAndStoredBlueFirst) {
    // 3 pixels make 9 bytes a row, padded to 12.
    std::vector<Bytes> rows = {{0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00},
                               {0x10, 0x20, 0x30, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00}};
    Decoded withHeader = Decode(MakeBmp(3, 2, 24, {}, rows));
    Decoded bareDib = Decode(MakeBmp(3, 2, 24, {}, rows, false));   // as resources store them
    for (const Decoded* d : {&withHeader, &bareDib}) {
        ASSERT_TRUE(d->ok) << d->error;
        EXPECT_EQ(At(*d, 0, 0), 0xFF0000u);
        EXPECT_EQ(At(*d, 1, 0), 0x00FF00u);
        EXPECT_EQ(At(*d, 2, 0), 0x0000FFu);
        EXPECT_EQ(At(*d, 0, 1), 0x302010u);
        EXPECT_EQ(At(*d, 1, 1), 0xFFFFFFu);
    }
}

TEST(BmpDecoding, BrokenOrUnsupportedFilesAreRefusedWithAReason) {
    std::vector<Bytes> rows = {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {1, 2, 3, 4, 5, 6, 7, 8, 9}};
    Bytes good = MakeBmp(3, 2, 24, {}, rows);

    Bytes cut(good.begin(), good.end() - 5);
    Decoded d = Decode(cut);
    EXPECT_FALSE(d.ok);
    EXPECT_NE(d.error.find("cut short"), std::string::npos) << d.error;

    EXPECT_FALSE(Decode(Bytes(good.begin(), good.begin() + 30)).ok);   // header cut
    EXPECT_FALSE(Decode(MakeBmp(3, 2, 24, {}, rows, true, 1)).ok);    // run-length compressed
    d = Decode(MakeBmp(1, 2, 32, {}, {{1, 2, 3, 4}, {1, 2, 3, 4}}));
    EXPECT_FALSE(d.ok);
    EXPECT_NE(d.error.find("32 bits"), std::string::npos) << d.error;
    EXPECT_FALSE(Decode(MakeBmp(0, 2, 24, {}, rows)).ok);
    EXPECT_FALSE(Decode(MakeBmp(3, 2, 24, {}, rows), 5).ok);          // no room for 6 pixels

    Bytes palette300 = MakeBmp(1, 1, 8, {}, {{0}});
    palette300[14 + 32] = 0x2C, palette300[14 + 33] = 0x01;            // 300 colours claimed
    EXPECT_FALSE(Decode(palette300).ok);
    EXPECT_FALSE(Decode(Bytes{'h', 'e', 'l', 'l', 'o'}).ok);
}

// ============================================================================
// PNG, written with libpng into memory
// ============================================================================

void Append(png_structp png, png_bytep data, size_t length) {
    Bytes* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

Bytes MakePng(int width, int height, int colourType, int depth, const std::vector<Bytes>& rows,
              bool interlaced = false, const std::vector<png_color>& palette = {}) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, Append, nullptr);
    png_set_IHDR(png, info, width, height, depth, colourType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty()) png_set_PLTE(png, info, palette.data(), int(palette.size()));
    png_write_info(png, info);
    std::vector<png_bytep> pointers;
    for (const Bytes& row : rows) pointers.push_back(const_cast<png_bytep>(row.data()));
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

TEST(PngDecoding, ColourAndPaletteAndInterlacedPicturesDecode) {
    Decoded rgb = Decode(MakePng(2, 1, PNG_COLOR_TYPE_RGB, 8, {{255, 0, 0, 1, 2, 3}}));
    ASSERT_TRUE(rgb.ok) << rgb.error;
    EXPECT_EQ(At(rgb, 0, 0), 0xFF0000u);
    EXPECT_EQ(At(rgb, 1, 0), 0x010203u);

    std::vector<png_color> palette = {{0, 0, 0}, {10, 20, 30}, {200, 100, 50}};
    std::vector<Bytes> rows;
    for (int y = 0; y < 9; ++y) rows.push_back(Bytes(9, uint8_t((y + 1) % 3)));
    Decoded indexed = Decode(MakePng(9, 9, PNG_COLOR_TYPE_PALETTE, 8, rows, true, palette));
    ASSERT_TRUE(indexed.ok) << indexed.error;
    EXPECT_EQ(indexed.image.width, 9);
    EXPECT_EQ(At(indexed, 4, 0), 0x0A141Eu);
    EXPECT_EQ(At(indexed, 8, 1), 0xC86432u);
    EXPECT_EQ(At(indexed, 0, 2), 0x000000u);

    Decoded grey = Decode(MakePng(1, 1, PNG_COLOR_TYPE_GRAY, 16, {{0x80, 0x00}}));
    ASSERT_TRUE(grey.ok) << grey.error;
    EXPECT_EQ(At(grey, 0, 0), 0x808080u);
}

TEST(PngDecoding, TransparencyIsBlendedOverWhite) {
    Decoded d = Decode(MakePng(3, 1, PNG_COLOR_TYPE_RGBA, 8, {{0, 0, 0, 0, 0, 0, 0, 255, 0, 0, 0, 128}}));
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(At(d, 0, 0), 0xFFFFFFu);   // fully transparent: the page shows
    EXPECT_EQ(At(d, 1, 0), 0x000000u);
    EXPECT_EQ(At(d, 2, 0), 0x7F7F7Fu);
}

TEST(PngDecoding, BrokenFilesAreRefusedWithAReason) {
    std::vector<Bytes> rows(16, Bytes(16 * 3, 0x55));
    Bytes good = MakePng(16, 16, PNG_COLOR_TYPE_RGB, 8, rows);
    ASSERT_TRUE(Decode(good).ok);

    Decoded cut = Decode(Bytes(good.begin(), good.end() - 20));
    EXPECT_FALSE(cut.ok);
    EXPECT_NE(cut.error.find("PNG"), std::string::npos) << cut.error;

    Bytes badCrc = good;
    badCrc[29] ^= 0xFF;   // the last byte of the header chunk's checksum
    EXPECT_FALSE(Decode(badCrc).ok);

    EXPECT_FALSE(Decode(good, 255).ok);   // 256 pixels do not fit
    EXPECT_FALSE(Decode(Bytes(good.begin(), good.begin() + 12)).ok);
}

// ============================================================================
// The run-length form of the renderings above scale 1
// ============================================================================

Bytes RunLengthHeader(int width, int height) {
    Bytes b = {'Q', 'H', 'R', 'L'};
    Put16(&b, uint32_t(width)), Put16(&b, uint32_t(height));
    return b;
}

void PutOp(Bytes* b, int kind, int count, const Bytes& colours = {}) {
    Put16(b, uint32_t(kind << 14 | count));
    b->insert(b->end(), colours.begin(), colours.end());
}

TEST(RunLengthDecoding, RunsRowsAboveAndLiteralsFillThePicture) {
    Bytes b = RunLengthHeader(3, 3);
    PutOp(&b, 0, 2, {0x10, 0x20, 0x30});                   // two of one colour
    PutOp(&b, 2, 2, {0xFF, 0, 0, 0, 0xFF, 0});             // two given (across the row's end)
    PutOp(&b, 1, 3);                                       // the three above,
    PutOp(&b, 1, 1);                                       // and one more from the row above
    PutOp(&b, 2, 1, {0, 0, 0xFF});
    Decoded d = Decode(b);
    ASSERT_TRUE(d.ok) << d.error;
    EXPECT_EQ(d.image.width, 3);
    EXPECT_EQ(d.image.height, 3);
    EXPECT_FALSE(d.image.pixelArt);
    std::vector<uint32_t> expected = {0x102030, 0x102030, 0xFF0000, 0x00FF00, 0x102030, 0xFF0000,
                                      0x00FF00, 0x102030, 0x0000FF};
    EXPECT_EQ(std::vector<uint32_t>(d.image.pixels, d.image.pixels + 9), expected);
}

TEST(RunLengthDecoding, BrokenFilesAreRefusedBeforeAnythingIsWrittenPastThePicture) {
    auto refused = [](const Bytes& b, int32_t capacity = 4096) {
        Decoded d = Decode(b, capacity);
        return !d.ok && !d.error.empty();
    };
    Bytes good = RunLengthHeader(2, 2);
    PutOp(&good, 0, 4, {1, 2, 3});
    ASSERT_TRUE(Decode(good).ok);
    EXPECT_TRUE(refused(good, 3));                                 // no room for 4 pixels
    EXPECT_TRUE(refused(Bytes(good.begin(), good.end() - 1)));     // colour cut short
    EXPECT_TRUE(refused(Bytes(good.begin(), good.begin() + 9)));   // operation cut short
    Bytes tooMany = RunLengthHeader(2, 2);
    PutOp(&tooMany, 0, 5, {1, 2, 3});                             // past the last pixel
    EXPECT_TRUE(refused(tooMany));
    Bytes aboveTheTop = RunLengthHeader(2, 2);
    PutOp(&aboveTheTop, 1, 1);                                    // no row above the first
    EXPECT_TRUE(refused(aboveTheTop));
    Bytes longerThanARow = RunLengthHeader(2, 3);
    PutOp(&longerThanARow, 0, 2, {1, 2, 3});
    PutOp(&longerThanARow, 1, 4);                                 // would copy what it writes
    EXPECT_TRUE(refused(longerThanARow));
    Bytes emptyOrUnknown = RunLengthHeader(2, 2);
    PutOp(&emptyOrUnknown, 0, 0, {1, 2, 3});
    EXPECT_TRUE(refused(emptyOrUnknown));
    emptyOrUnknown = RunLengthHeader(2, 2);
    PutOp(&emptyOrUnknown, 3, 4);
    EXPECT_TRUE(refused(emptyOrUnknown));
    EXPECT_TRUE(refused(RunLengthHeader(0, 2)));
    Bytes literalCut = RunLengthHeader(2, 2);
    PutOp(&literalCut, 2, 4, {1, 2, 3, 4, 5, 6});                 // four promised, two given
    EXPECT_TRUE(refused(literalCut));
}

// ============================================================================
// Bitmap resources (1701 is packed for this test program: 2 x 2, 24-bit)
// ============================================================================

std::string WriteFile(const char* stem, const Bytes& content) {
    // Test processes run side by side: each writes its own files.
    std::string path = testing::TempDir() + std::to_string(getpid()) + "-" + stem;
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);
    return path;
}

TEST(BitmapResources, DecodeOnceAndAnswerFromTheCache) {
    DecodedImage first{}, again{};
    ASSERT_TRUE(LoadBitmapResource(1701, &first));
    EXPECT_EQ(first.width, 2);
    EXPECT_EQ(first.height, 2);
    EXPECT_EQ(first.pixels[0], 0xFF0000u);
    EXPECT_EQ(first.pixels[1], 0x0000FFu);
    EXPECT_EQ(first.pixels[2], 0x00FF00u);
    ASSERT_TRUE(LoadBitmapResource(1701, &again));
    EXPECT_EQ(again.pixels, first.pixels);

    EXPECT_FALSE(LoadBitmapResource(1799, &again));
    EXPECT_FALSE(LoadBitmapResource(1799, &again));   // reported once, refused every time
}

TEST(BitmapResources, ARegisteredPictureReplacesThePackedOne) {
    DecodedImage packed{};
    ASSERT_TRUE(LoadBitmapResource(1701, &packed));
    std::string path = WriteFile("picture.png", MakePng(4, 3, PNG_COLOR_TYPE_RGB, 8, std::vector<Bytes>(3, Bytes(12, 0x40))));
    char error[160] = "";
    ASSERT_TRUE(RegisterResourceFile(ResourceType::Bitmap, 1701, nullptr, path.c_str(), error, sizeof error)) << error;
    DecodedImage image{};
    ASSERT_TRUE(LoadBitmapResource(1701, &image));
    EXPECT_EQ(image.width, 4);
    EXPECT_EQ(image.height, 3);
    EXPECT_EQ(image.pixels[11], 0x404040u);
    EXPECT_EQ(packed.pixels[0], 0xFF0000u);   // a bitmap made before keeps its pixels

    std::string broken = WriteFile("broken.png", Bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0});
    ASSERT_TRUE(RegisterResourceFile(ResourceType::Bitmap, 1702, nullptr, broken.c_str(), error, sizeof error));
    EXPECT_FALSE(LoadBitmapResource(1702, &image));
    ClearRegisteredResources();
    ASSERT_TRUE(LoadBitmapResource(1701, &image));
    EXPECT_EQ(image.width, 2);
}

}  // namespace
