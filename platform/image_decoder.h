// Bitmap decoding: BMP (1-, 4-, 8- and 24-bit, with or without the file header) and PNG
// into 32-bit 0x00RRGGBB pixels. A library of its own, so that the tools check every
// picture of a book with the decoder the reader will show it with.
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

// Decodes a whole BMP or PNG file into pixels (room for capacity pixels). On failure
// writes why into error (errorSize bytes) and returns false; the pixels may then hold
// part of the picture.
bool DecodeImage(const uint8_t* data, uint32_t size, uint32_t* pixels, int32_t capacity,
                 DecodedImage* out, char* error, int errorSize);
