// Bitmap decoding: BMP (1-, 4-, 8- and 24-bit, with or without the file header), PNG
// and the run-length form below into 32-bit 0x00RRGGBB pixels. A library of its own, so
// that the tools check every picture of a book with the decoder the reader shows it with.
#pragma once

#include <cstdint>

constexpr int kImageSideLimit = 4096;   // widest or tallest picture accepted

// Rows top to bottom, width pixels each, no padding. PNG transparency is blended over
// white, the page's colour.
struct DecodedImage {
    const uint32_t* pixels;
    int32_t width;
    int32_t height;
    bool pixelArt;        // a palette picture (1 to 8 bits a pixel): grows by whole pixels
};

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
