// The files the artwork tools write: BMP (24-bit and one-bit, bottom-up rows padded to
// four bytes, as the reader's decoder expects), PNG previews, and the dispatch from a
// source file's name to the resource bytes made from it.
#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/text_codec.h"
#include "platform/tool_files.h"
#include "tools/artwork/tokens.h"

namespace {

void Put16(std::vector<uint8_t>* out, uint32_t v) {
    out->push_back(v & 0xFF);
    out->push_back((v >> 8) & 0xFF);
}

void Put32(std::vector<uint8_t>* out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// File header and BITMAPINFOHEADER; the pixel data follows the palette.
std::vector<uint8_t> BmpHeaders(int width, int height, int bits, uint32_t rowBytes, int paletteEntries) {
    uint32_t offset = 14 + 40 + 4 * paletteEntries;
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(&out, offset + rowBytes * height);
    Put32(&out, 0);
    Put32(&out, offset);
    Put32(&out, 40);
    Put32(&out, width);
    Put32(&out, height);   // positive: rows bottom-up
    Put16(&out, 1);
    Put16(&out, bits);
    Put32(&out, 0);        // BI_RGB
    Put32(&out, rowBytes * height);
    Put32(&out, 3780);     // 96 dots per inch
    Put32(&out, 3780);
    Put32(&out, paletteEntries);
    Put32(&out, 0);
    return out;
}

bool EndsWith(const std::string& s, const char* suffix) {
    size_t n = std::strlen(suffix);
    return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

bool BuildPicture(const std::string& path, std::vector<uint8_t>* bytes, std::vector<std::string>* inputs,
                  ArtworkErrors* errors) {
    Picture picture;
    Pixels pixels;
    if (!ReadPictureFile(path, &picture, errors) || !RenderPicture(picture, &pixels, errors)) return false;
    std::vector<std::string> read = picture.inputs;
    for (const Command& c : picture.commands)
        if (c.shape == Shape::Text) read.push_back(FontFile(c.font));
    for (const std::string& file : read)
        if (std::find(inputs->begin(), inputs->end(), file) == inputs->end()) inputs->push_back(file);
    *bytes = EncodeBmp24(pixels);
    return true;
}

bool BuildWords(const std::string& path, std::vector<uint8_t>* bytes, ArtworkErrors* errors) {
    std::string text, problem;
    std::vector<uint16_t> words;
    if (!ReadWholeFile(path, &text, &problem)) {
        errors->messages.push_back(path + ": error: " + problem);
        return false;
    }
    if (!ParseWords(text, path, &words, errors)) return false;
    bytes->clear();
    for (uint16_t w : words) Put16(bytes, w);
    return true;
}

}  // namespace

std::vector<uint8_t> EncodeBmp24(const Pixels& p) {
    uint32_t rowBytes = (static_cast<uint32_t>(p.width) * 3 + 3) & ~3u;
    std::vector<uint8_t> out = BmpHeaders(p.width, p.height, 24, rowBytes, 0);
    for (int y = p.height - 1; y >= 0; --y) {
        size_t rowStart = out.size();
        for (int x = 0; x < p.width; ++x) {
            uint32_t c = p.rgb[static_cast<size_t>(y) * p.width + x];
            out.push_back(c & 0xFF);           // blue
            out.push_back((c >> 8) & 0xFF);    // green
            out.push_back((c >> 16) & 0xFF);   // red
        }
        out.resize(rowStart + rowBytes, 0);
    }
    return out;
}

std::vector<uint8_t> EncodeBmp1(const Grid& g) {
    int width = GridWidth(g);
    uint32_t rowBytes = ((static_cast<uint32_t>(width) + 31) / 32) * 4;
    std::vector<uint8_t> out = BmpHeaders(width, g.cellHeight, 1, rowBytes, 2);
    Put32(&out, 0x000000);   // index 0: black ink
    Put32(&out, 0xFFFFFF);   // index 1: white paper
    for (int y = g.cellHeight - 1; y >= 0; --y) {
        std::vector<uint8_t> row(rowBytes, 0);
        for (int x = 0; x < width; ++x)
            if (!g.ink[static_cast<size_t>(y) * width + x]) row[x / 8] |= 0x80 >> (x % 8);
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

bool WritePng(const Pixels& p, const std::string& path, std::string* error) {
    char why[kToolReasonBytes];
    ToolOutput output;
    if (!BeginToolOutput(path.c_str(), &output, why, sizeof why)) return *error = why, false;
    FILE* f = output.stream;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<uint8_t> row(static_cast<size_t>(p.width) * 3);
    bool ok = png && info && !setjmp(png_jmpbuf(png));
    if (ok) {
        png_init_io(png, f);
        png_set_IHDR(png, info, p.width, p.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < p.height; ++y) {
            for (int x = 0; x < p.width; ++x) {
                uint32_t c = p.rgb[static_cast<size_t>(y) * p.width + x];
                row[x * 3] = (c >> 16) & 0xFF, row[x * 3 + 1] = (c >> 8) & 0xFF, row[x * 3 + 2] = c & 0xFF;
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
    }
    png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
    if (!ok) {
        AbandonToolOutput(&output);
        return *error = "cannot write the PNG " + path, false;
    }
    if (!FinishToolOutput(&output, why, sizeof why)) return *error = why, false;
    return true;
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error) {
    char why[kToolReasonBytes];
    if (WriteToolOutput(path.c_str(), bytes.data(), bytes.size(), why, sizeof why)) return true;
    *error = why;
    return false;
}

bool ReadWholeFile(const std::string& path, std::string* out, std::string* error) {
    char why[kToolReasonBytes];
    if (ReadToolInput(path.c_str(), kToolFileLimit, out, why, sizeof why)) return true;
    *error = why;
    return false;
}

bool IsArtworkSource(const std::string& path) {
    return EndsWith(path, ".pic") || EndsWith(path, ".grid") || EndsWith(path, ".words");
}

bool BuildArtworkResource(const std::string& path, std::vector<uint8_t>* bytes,
                          std::vector<std::string>* inputs, ArtworkErrors* errors) {
    inputs->push_back(path);
    if (EndsWith(path, ".pic")) return BuildPicture(path, bytes, inputs, errors);
    if (EndsWith(path, ".words")) return BuildWords(path, bytes, errors);
    Grid grid;
    if (!EndsWith(path, ".grid")) {
        errors->messages.push_back(path + ": error: not an artwork source (.pic, .grid or .words)");
        return false;
    }
    if (!ReadGridFile(path, &grid, errors)) return false;
    *bytes = EncodeBmp1(grid);
    return true;
}

bool DecodeUtf8(const std::string& in, std::u16string* out) {
    for (size_t at = 0; at < in.size();) {
        char32_t code;
        char16_t units[2];
        int bytes = DecodeUtf8Char(in.data() + at, in.size() - at, &code);
        if (bytes == 0) return false;
        out->append(units, size_t(EncodeUtf16Char(code, units, 2)));
        at += size_t(bytes);
    }
    return true;
}
