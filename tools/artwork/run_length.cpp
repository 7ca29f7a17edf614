// The run-length form of a picture (platform/images.h describes it): what the reader
// carries for its renderings above device scale 1, because filling and copying rows
// decodes them at a fraction of what inflating a PNG costs.
#include <cstddef>

#include "tools/artwork/artwork.h"

namespace {

constexpr size_t kMaxCount = 0x3FFF;
enum Kind : uint16_t { kRun = 0, kAbove = 1, kLiteral = 2 };

void PutOperation(std::vector<uint8_t>* out, Kind kind, size_t count) {
    uint16_t word = uint16_t((kind << 14) | count);
    out->push_back(uint8_t(word));
    out->push_back(uint8_t(word >> 8));
}

void PutColour(std::vector<uint8_t>* out, uint32_t c) {
    out->push_back(uint8_t(c >> 16));
    out->push_back(uint8_t(c >> 8));
    out->push_back(uint8_t(c));
}

void PutLiteral(std::vector<uint8_t>* out, const uint32_t* pixels, size_t count) {
    while (count > 0) {
        size_t n = count < kMaxCount ? count : kMaxCount;
        PutOperation(out, kLiteral, n);
        for (size_t i = 0; i < n; ++i) PutColour(out, pixels[i]);
        pixels += n;
        count -= n;
    }
}

// How many pixels from at repeat pixel at, and how many repeat the row above (never
// more than a row, so that the copy never overlaps what it writes).
size_t RunAt(const std::vector<uint32_t>& p, size_t at, size_t limit) {
    size_t n = 1;
    while (at + n < p.size() && n < limit && p[at + n] == p[at]) ++n;
    return n;
}

size_t AboveAt(const std::vector<uint32_t>& p, size_t at, size_t width, size_t limit) {
    if (at < width) return 0;
    size_t n = 0;
    while (at + n < p.size() && n < limit && n < width && p[at + n] == p[at + n - width]) ++n;
    return n;
}

}  // namespace

std::vector<uint8_t> EncodeRunLength(const Pixels& pixels) {
    std::vector<uint8_t> out = {'Q', 'H', 'R', 'L', uint8_t(pixels.width), uint8_t(pixels.width >> 8),
                                uint8_t(pixels.height), uint8_t(pixels.height >> 8)};
    const std::vector<uint32_t>& p = pixels.rgb;
    size_t width = size_t(pixels.width), literalFrom = 0, at = 0;
    while (at < p.size()) {
        size_t run = RunAt(p, at, kMaxCount), above = AboveAt(p, at, width, kMaxCount);
        // Two equal pixels in a literal cost six bytes; a run of them costs five.
        if (run < 2 && above < 3) {
            ++at;
            continue;
        }
        PutLiteral(&out, p.data() + literalFrom, at - literalFrom);
        if (above >= run) {
            PutOperation(&out, kAbove, above);
            at += above;
        } else {
            PutOperation(&out, kRun, run);
            PutColour(&out, p[at]);
            at += run;
        }
        literalFrom = at;
    }
    PutLiteral(&out, p.data() + literalFrom, at - literalFrom);
    return out;
}
