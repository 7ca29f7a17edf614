// qh-art: turns an artwork source into the file the build packs (a .pic into a 24-bit
// BMP, a .grid into a one-bit BMP, a .words into its binary words) and, for a look at a
// picture, into a PNG.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/artwork/artwork.h"

namespace {

const char kUsage[] =
    "usage: qh-art SOURCE [OUTPUT] [--png PREVIEW.png]\n"
    "  SOURCE   a .pic picture, a .grid of one-bit images or a .words list\n"
    "  OUTPUT   the resource file: a 24-bit BMP, a one-bit BMP or the binary words\n"
    "  --png    also write the picture (or grid) as a PNG to look at\n";

struct Options {
    std::string source, output, png;
};

bool ParseOptions(int argc, char** argv, Options* o) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--png" && i + 1 < argc) o->png = argv[++i];
        else if (!arg.empty() && arg[0] == '-') return false;
        else if (o->source.empty()) o->source = arg;
        else if (o->output.empty()) o->output = arg;
        else return false;
    }
    return !o->source.empty() && (!o->output.empty() || !o->png.empty());
}

// The preview: the picture itself, or a grid's strip in black on white.
bool PreviewPixels(const std::string& source, Pixels* pixels, ArtworkErrors* errors) {
    if (source.size() > 5 && source.compare(source.size() - 5, 5, ".grid") == 0) {
        Grid grid;
        if (!ReadGridFile(source, &grid, errors)) return false;
        pixels->width = GridWidth(grid);
        pixels->height = grid.cellHeight;
        for (uint8_t ink : grid.ink) pixels->rgb.push_back(ink ? 0x000000 : 0xFFFFFF);
        return true;
    }
    Picture picture;
    return ReadPictureFile(source, &picture, errors) && RenderPicture(picture, pixels, errors);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseOptions(argc, argv, &o)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    ArtworkErrors errors;
    std::string problem;
    bool ok = true;
    if (!o.output.empty()) {
        std::vector<uint8_t> bytes;
        std::vector<std::string> inputs;
        ok = BuildArtworkResource(o.source, &bytes, &inputs, &errors) && WriteWholeFile(o.output, bytes, &problem);
    }
    if (ok && !o.png.empty()) {
        Pixels pixels;
        ok = PreviewPixels(o.source, &pixels, &errors) && WritePng(pixels, o.png, &problem);
    }
    std::fputs(JoinErrors(errors).c_str(), stderr);
    if (!problem.empty()) std::fprintf(stderr, "qh-art: %s\n", problem.c_str());
    return ok ? 0 : 1;
}
