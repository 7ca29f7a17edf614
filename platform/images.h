// Bitmap decoding: BMP (1-, 4-, 8- and 24-bit, with or without the file header), PNG
// and the run-length form below into 32-bit 0x00RRGGBB pixels. Bitmap resources are decoded on first use into one fixed
// pixel pool and kept there, so a picture loaded again while a page is built costs a
// table lookup and never allocates.
#pragma once

#include <cstdint>

constexpr int kDecodedImages = 64;                   // bitmap resources a run may load
constexpr int kImagePixelPool = 4 * 1024 * 1024;     // pixels shared by all of them (16 MB)
constexpr int kImageSideLimit = 4096;                // widest or tallest picture accepted
constexpr int kScaledImages = 64;                    // copies at the device scale held at once
constexpr int kScaledPixelPool = 4 * 1024 * 1024;    // pixels they share (touched only above scale 1)

// Rows top to bottom, width pixels each, no padding. PNG transparency is blended over
// white, the page's colour.
struct DecodedImage {
    const uint32_t* pixels;
    int32_t width;
    int32_t height;
    bool pixelArt;        // a palette picture (1 to 8 bits a pixel): grows by whole pixels
};

// The decoded pixels of bitmap resource id (resources.h), decoded on the first call and
// shared by every later one. The pixels stay valid for the whole run; after the
// registered resources change, the next call decodes the id again. A missing or broken
// bitmap, or one that no longer fits the pool, gives false and one line on stderr.
bool LoadBitmapResource(uint16_t id, DecodedImage* out);

// Bitmap resource id at device scale 2 to 4: scale times as wide and as tall as the
// picture itself. A picture drawn from vectors comes with its own rendering at each
// scale (tools/respack packs them); any other is grown from its pixels: palette
// pictures (pixel-grid art such as the tool-bar strip) by whole pixels, true-colour
// pictures (photographs) smoothly. Made on first use into a fixed pool that holds
// copies at one scale; false (and one line on stderr) when the picture cannot be had.
bool LoadScaledBitmap(uint16_t id, int scale, DecodedImage* out);
// Lets the copies at the previous scale go; the device scale has changed.
void ForgetScaledBitmaps();

// Where renderings at scales 2 to 4 come from in a program that carries them outside
// its packed resources (the web edition, whose browser decodes them): the source fills
// pixels (room for capacity) with bitmap id as drawn at scale and sets its size, or
// returns false when it has none, and the picture is grown as any other. Null: none.
using RenderingSource = bool (*)(uint16_t id, int scale, uint32_t* pixels, int32_t capacity, int32_t* width,
                                 int32_t* height);
void SetRenderingSource(RenderingSource source);

// The run-length form, which tools/respack packs the renderings at device scales 2 to 4
// in: a picture drawn at such a scale on a page is decoded then, and decoding it is
// filling and copying rows, many times cheaper than inflating a PNG.
//   "QHRL", width and height (16 bits each, little-endian), then operations until the
//   width x height pixels are filled, rows top to bottom: a 16-bit little-endian word
//   whose top two bits are the kind and the rest a count n from 1 to 16383:
//     0  n pixels of one colour, whose bytes R, G, B follow
//     1  n pixels the same as the n above them (n at most the width)
//     2  n pixels, each of them three bytes R, G, B, follow

// Decodes a whole BMP, PNG or run-length file into pixels (room for capacity pixels). On failure
// writes why into error (errorSize bytes) and returns false; the pixels may then hold
// part of the picture.
bool DecodeImage(const uint8_t* data, uint32_t size, uint32_t* pixels, int32_t capacity,
                 DecodedImage* out, char* error, int errorSize);
