// The artwork tools: reading .pic, .grid and .words sources, rendering pictures, the BMP
// files made from them, and the program's and the book's own artwork sources.
#include <gtest/gtest.h>

#include <dirent.h>

#include <cstring>

#include "tools/artwork/artwork.h"

namespace {

uint32_t PixelAt(const Pixels& p, int x, int y) { return p.rgb[static_cast<size_t>(y) * p.width + x]; }

uint32_t Read32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

uint16_t Read16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b[at] | (b[at + 1] << 8)); }

bool Render(const std::string& text, Pixels* out, ArtworkErrors* errors) {
    Picture picture;
    return ParsePicture(text, "t.pic", &picture, errors) && RenderPicture(picture, out, errors);
}

// The first error of a picture that must not parse.
std::string FirstError(const std::string& text) {
    Picture picture;
    ArtworkErrors errors;
    EXPECT_FALSE(ParsePicture(text, "bad.pic", &picture, &errors));
    return errors.messages.empty() ? "" : errors.messages[0];
}

TEST(PicReader, ReadsCommandsArgumentsAndSettings) {
    Picture p;
    ArtworkErrors errors;
    ASSERT_TRUE(ParsePicture("# a comment\ncanvas 30 20 #102030\n\nline 1 2 3 4 #ff000080 width=2.5\n"
                             "polygon #00ff00 0 0 5 0 5 5\ntext 15 10 9 #000000 \"Say \\\"hi\\\"\" font=serif align=center\n",
                             "t.pic", &p, &errors))
        << JoinErrors(errors);
    EXPECT_EQ(30, p.width);
    EXPECT_EQ(20, p.height);
    EXPECT_EQ(0x102030u, p.background);
    ASSERT_EQ(3u, p.commands.size());
    EXPECT_EQ(Shape::Line, p.commands[0].shape);
    EXPECT_EQ(0x80FF0000u, p.commands[0].colour);
    EXPECT_DOUBLE_EQ(2.5, p.commands[0].width);
    EXPECT_EQ((std::vector<double>{0, 0, 5, 0, 5, 5}), p.commands[1].numbers);
    EXPECT_EQ("Say \"hi\"", p.commands[2].text);
    EXPECT_EQ("serif", p.commands[2].font);
    EXPECT_EQ(0, p.commands[2].align);
    EXPECT_EQ("t.pic:6:1", p.commands[2].where);
}

TEST(PicReader, ReportsEachMistakeWithFileLineAndColumn) {
    EXPECT_EQ("bad.pic:2:1: error: unknown command 'blob'", FirstError("canvas 4 4\nblob 1 2\n"));
    EXPECT_EQ("bad.pic:1:1: error: the first command must be: canvas width height", FirstError("fill-rect 0 0 1 1 #000000\n"));
    EXPECT_EQ("bad.pic:2:19: error: a colour is #rrggbb or #rrggbbaa, not '#12345'", FirstError("canvas 4 4\nfill-rect 0 0 1 1 #12345\n"));
    EXPECT_EQ("bad.pic:2:17: error: expected a number", FirstError("canvas 4 4\nfill-rect 0 0 1 #000000\n"));
    EXPECT_EQ("bad.pic:2:1: error: circle needs a colour (#rrggbb) more", FirstError("canvas 4 4\ncircle 1 1 1\n"));
    EXPECT_EQ("bad.pic:2:27: error: too many arguments for fill-circle", FirstError("canvas 4 4\nfill-circle 1 1 1 #000000 7\n"));
    EXPECT_EQ("bad.pic:2:27: error: fill-rect has no setting 'width'", FirstError("canvas 4 4\nfill-rect 0 0 1 1 #000000 width=2\n"));
    EXPECT_EQ("bad.pic:2:24: error: unknown font 'comic'", FirstError("canvas 4 4\ntext 0 0 9 #000000 \"a\" font=comic\n"));
    EXPECT_EQ("bad.pic:2:20: error: the string has no closing quote", FirstError("canvas 4 4\ntext 0 0 9 #000000 \"open\n"));
    EXPECT_EQ("bad.pic:2:1: error: polygon needs at least 3 points, each an x and a y", FirstError("canvas 4 4\npolygon #000000 0 0 1 1\n"));
    EXPECT_EQ("bad.pic:1:1: error: the canvas needs a whole width and height from 1 to 4096", FirstError("canvas 0 10\n"));
    EXPECT_EQ("bad.pic:1:1: error: the picture has no canvas line", FirstError("# nothing\n"));
    EXPECT_EQ("bad.pic:2:1: error: a size or radius may not be negative", FirstError("canvas 4 4\nfill-circle 1 1 -2 #000000\n"));
}

TEST(PicReader, GoesOnAfterAnErrorSoOneRunShowsThemAll) {
    Picture p;
    ArtworkErrors errors;
    EXPECT_FALSE(ParsePicture("canvas 4 4\nblob\nfill-rect 0 0 1 1 #000000\nline 0 0 #000000\n", "t.pic", &p, &errors));
    ASSERT_EQ(2u, errors.messages.size());
    EXPECT_EQ(0u, errors.messages[1].find("t.pic:4:"));
}

TEST(PicReader, ADescriptionLineIsReadOnceAndOnItsOwn) {
    Picture p;
    ArtworkErrors errors;
    const char* text = "canvas 4 4\n# the harbour\ndescription \"A \\\"quiet\\\" harbour.\"\nfill-rect 0 0 1 1 #000000\n";
    ASSERT_TRUE(ParsePicture(text, "t.pic", &p, &errors)) << JoinErrors(errors);
    EXPECT_EQ("A \"quiet\" harbour.", p.description);
    EXPECT_EQ(1u, p.commands.size());
    EXPECT_EQ(p.description, PicDescription(text));
    EXPECT_EQ("", PicDescription("canvas 4 4\nfill-rect 0 0 1 1 #000000\n"));
    EXPECT_EQ("bad.pic:3:1: error: the description is already given",
              FirstError("canvas 4 4\ndescription \"a\"\ndescription \"b\"\n"));
    EXPECT_EQ("bad.pic:2:1: error: description is: description \"one sentence\"", FirstError("canvas 4 4\ndescription 12\n"));
    EXPECT_EQ("bad.pic:2:17: error: nothing may follow the description's closing quote",
              FirstError("canvas 4 4\ndescription \"a\" b\n"));
    EXPECT_EQ("bad.pic:2:1: error: the description is empty", FirstError("canvas 4 4\ndescription \"\"\n"));
}

TEST(PicReader, AStripNeedsAnExistingGridAndImage) {
    Picture p;
    ArtworkErrors errors;
    EXPECT_FALSE(ParsePicture("canvas 20 20\nstrip 0 0 #000000 \"no-such.grid\" 0\n", "t.pic", &p, &errors));
    ASSERT_FALSE(errors.messages.empty());
    EXPECT_EQ(0u, errors.messages[0].find("t.pic:2:1: error: the strip's grid no-such.grid cannot be used"));
    ArtworkErrors more;
    EXPECT_FALSE(ParsePicture("canvas 20 20\nstrip 0 0 #000000 \"toolbar.grid\" 7\n", "resources/x.pic", &p, &more));
    ASSERT_FALSE(more.messages.empty());
    EXPECT_EQ("resources/x.pic:2:1: error: the grid has images 0 to 6", more.messages[0]);
}

TEST(Raster, FillsARectangleExactlyOnWholeCoordinates) {
    Pixels p;
    ArtworkErrors errors;
    ASSERT_TRUE(Render("canvas 10 8 #ffffff\nfill-rect 2 3 4 2 #ff0000\n", &p, &errors)) << JoinErrors(errors);
    ASSERT_EQ(80u, p.rgb.size());
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x) {
            bool inside = x >= 2 && x < 6 && y >= 3 && y < 5;
            EXPECT_EQ(inside ? 0xFF0000u : 0xFFFFFFu, PixelAt(p, x, y)) << x << "," << y;
        }
}

TEST(Raster, SmoothsEdgesAndBlendsTranslucentColours) {
    Pixels p;
    ArtworkErrors errors;
    ASSERT_TRUE(Render("canvas 4 2 #ffffff\nfill-rect 0 0 2.5 1 #000000\nfill-rect 0 1 4 1 #0000ff80\n", &p, &errors));
    EXPECT_EQ(0x000000u, PixelAt(p, 1, 0));
    EXPECT_EQ(0x808080u, PixelAt(p, 2, 0));   // half of the pixel's samples are inside
    EXPECT_EQ(0xFFFFFFu, PixelAt(p, 3, 0));
    EXPECT_EQ(0x7F7FFFu, PixelAt(p, 0, 1));   // half-opaque blue over white
}

TEST(Raster, DrawsOutlinesInsideRectanglesAndFloodFillsRegions) {
    Pixels p;
    ArtworkErrors errors;
    ASSERT_TRUE(Render("canvas 8 8 #ffffff\nrect 1 1 6 6 #000000\nfill 4 4 #00ff00\n", &p, &errors));
    EXPECT_EQ(0x000000u, PixelAt(p, 1, 1));
    EXPECT_EQ(0x000000u, PixelAt(p, 6, 4));
    EXPECT_EQ(0x00FF00u, PixelAt(p, 2, 2));
    EXPECT_EQ(0x00FF00u, PixelAt(p, 5, 5));
    EXPECT_EQ(0xFFFFFFu, PixelAt(p, 0, 0));   // the fill stops at the outline
    EXPECT_EQ(0xFFFFFFu, PixelAt(p, 7, 3));
}

// Arcs run anticlockwise from the start angle, 0 pointing right and 90 up.
TEST(Raster, DrawsArcsOnTheirSideAndGradientsFromTopToBottom) {
    Pixels p;
    ArtworkErrors errors;
    ASSERT_TRUE(Render("canvas 21 21 #ffffff\narc 10.5 10.5 8 8 0 180 #000000 width=2\n", &p, &errors));
    EXPECT_EQ(0x000000u, PixelAt(p, 10, 2));    // top of the circle
    EXPECT_EQ(0xFFFFFFu, PixelAt(p, 10, 18));   // bottom: not on this arc
    ASSERT_TRUE(Render("canvas 21 21 #ffffff\narc 10.5 10.5 8 8 270 90 #000000 width=2\n", &p, &errors));
    EXPECT_EQ(0x000000u, PixelAt(p, 18, 10));   // the sweep through 0 keeps the right side
    EXPECT_EQ(0xFFFFFFu, PixelAt(p, 2, 10));
    ASSERT_TRUE(Render("canvas 1 4 #ffffff\ngradient 0 0 1 4 #000000 #ffffff\n", &p, &errors));
    EXPECT_LT(PixelAt(p, 0, 0) & 0xFF, 0x30u);
    EXPECT_GT(PixelAt(p, 0, 3) & 0xFF, 0xD0u);
    EXPECT_LT(PixelAt(p, 0, 1) & 0xFF, PixelAt(p, 0, 2) & 0xFF);
}

TEST(Raster, GrainRepeatsForTheSameSeedAndStaysInItsBox) {
    Pixels a, b, c;
    ArtworkErrors errors;
    const char* kGrain = "canvas 12 6 #808080\ngrain 2 1 8 4 40 seed=3\n";
    ASSERT_TRUE(Render(kGrain, &a, &errors) && Render(kGrain, &b, &errors));
    ASSERT_TRUE(Render("canvas 12 6 #808080\ngrain 2 1 8 4 40 seed=4\n", &c, &errors));
    EXPECT_EQ(a.rgb, b.rgb);
    EXPECT_NE(a.rgb, c.rgb);
    EXPECT_EQ(0x808080u, PixelAt(a, 1, 2));
    EXPECT_EQ(0x808080u, PixelAt(a, 5, 0));
    int changed = 0;
    for (int y = 1; y < 5; ++y)
        for (int x = 2; x < 10; ++x) changed += PixelAt(a, x, y) != 0x808080u;
    EXPECT_GT(changed, 20);
}

TEST(Raster, DrawsTextInsideItsBox) {
    Pixels p;
    ArtworkErrors errors;
    ASSERT_TRUE(Render("canvas 60 20 #ffffff\ntext 2 15 13 #000000 \"Harbour\"\n", &p, &errors)) << JoinErrors(errors);
    int inked = 0, left = 60, right = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x)
            if (PixelAt(p, x, y) != 0xFFFFFFu) ++inked, left = std::min(left, x), right = std::max(right, x);
    EXPECT_GT(inked, 40);
    EXPECT_GE(left, 2);
    EXPECT_LT(left, 5);
    double width = 0;
    std::string problem;
    ASSERT_TRUE(MeasureText(13, "sans", "Harbour", &width, &problem));
    EXPECT_NEAR(2 + width, right, 3);
}

TEST(GridReader, ReadsCellsSideBySide) {
    Grid g;
    ArtworkErrors errors;
    ASSERT_TRUE(ParseGrid("# two images\ncell 3 2\nimage 0 a\n#..\n...\n\nimage 1 b\n..#\n.#.\n", "g.grid", &g, &errors))
        << JoinErrors(errors);
    EXPECT_EQ(2, g.cells);
    EXPECT_EQ(6, GridWidth(g));
    EXPECT_EQ((std::vector<uint8_t>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0}), g.ink);
}

TEST(GridReader, ReportsBadRowsAndNumbering) {
    Grid g;
    ArtworkErrors e1, e2, e3;
    EXPECT_FALSE(ParseGrid("cell 3 2\nimage 0\n#.\n", "g.grid", &g, &e1));
    EXPECT_EQ("g.grid:3:1: error: a row has 3 characters, this one 2", e1.messages.at(0));
    EXPECT_FALSE(ParseGrid("cell 3 1\nimage 0\n#x.\n", "g.grid", &g, &e2));
    EXPECT_EQ("g.grid:3:2: error: a grid holds only '#' and '.'", e2.messages.at(0));
    EXPECT_FALSE(ParseGrid("cell 3 1\nimage 1\n###\n", "g.grid", &g, &e3));
    EXPECT_EQ("g.grid:2:7: error: the next image is number 0", e3.messages.at(0));
}

TEST(Words, TurnsNumbersAndStringsIntoWords) {
    std::vector<uint16_t> words;
    ArtworkErrors errors;
    ASSERT_TRUE(ParseWords("1 0x0090 # note\n\"A#\\\"\xC3\xA9\" 65535\n", "w.words", &words, &errors));
    EXPECT_EQ((std::vector<uint16_t>{1, 0x90, 'A', '#', '"', 0xE9, 0, 65535}), words);
    ArtworkErrors bad;
    EXPECT_FALSE(ParseWords("1\n65536\n", "w.words", &words, &bad));
    EXPECT_EQ(0u, bad.messages.at(0).find("w.words:2:1: error: expected a whole number"));
}

TEST(BmpFiles, WritesBottomUpRowsPaddedToFourBytes) {
    Pixels p{3, 2, {0x112233, 0x445566, 0x778899, 0xAABBCC, 0xDDEEFF, 0x010203}};
    std::vector<uint8_t> b = EncodeBmp24(p);
    ASSERT_EQ(54u + 2 * 12, b.size());
    EXPECT_EQ(b.size(), Read32(b, 2));
    EXPECT_EQ(54u, Read32(b, 10));
    EXPECT_EQ(24, Read16(b, 28));
    EXPECT_EQ((std::vector<uint8_t>{0xCC, 0xBB, 0xAA}), std::vector<uint8_t>(b.begin() + 54, b.begin() + 57));   // bottom row first, BGR
    EXPECT_EQ((std::vector<uint8_t>{0x33, 0x22, 0x11}), std::vector<uint8_t>(b.begin() + 66, b.begin() + 69));
}

// ---- the program's resources ------------------------------------------------------

TEST(ProgramResources, ToolBarStripIs112By16OneBit) {
    std::vector<uint8_t> bmp;
    std::vector<std::string> inputs;
    ArtworkErrors errors;
    ASSERT_TRUE(BuildArtworkResource("resources/toolbar.grid", &bmp, &inputs, &errors)) << JoinErrors(errors);
    EXPECT_EQ(112u, Read32(bmp, 18));
    EXPECT_EQ(16u, Read32(bmp, 22));
    EXPECT_EQ(1, Read16(bmp, 28));
    EXPECT_EQ(14u + 40 + 8 + 16 * 16, bmp.size());
    Grid g;
    ASSERT_TRUE(ReadGridFile("resources/toolbar.grid", &g, &errors));
    for (int x = 96; x < 112; ++x)   // image 6 is blank
        for (int y = 0; y < 16; ++y) EXPECT_FALSE(g.ink[y * 112 + x]);
    for (int cell = 0; cell < 6; ++cell) {
        int ink = 0;
        for (int x = cell * 16; x < cell * 16 + 16; ++x)
            for (int y = 0; y < 16; ++y) ink += g.ink[y * 112 + x];
        EXPECT_GT(ink, 20) << "image " << cell;
    }
}

struct InstructionsPicture {
    int id, width, height, image;
};

TEST(ProgramResources, InstructionsPicturesHaveTheirSizesAndToolImages) {
    const InstructionsPicture kPictures[] = {{1101, 191, 21, 0}, {1102, 276, 21, 1}, {1103, 250, 23, 2},
                                             {1104, 223, 40, 3}, {1105, 227, 21, 4}, {1106, 211, 22, 5}};
    Grid strip;
    ArtworkErrors errors;
    ASSERT_TRUE(ReadGridFile("resources/toolbar.grid", &strip, &errors));
    for (const InstructionsPicture& want : kPictures) {
        std::string path = "resources/instructions-" + std::to_string(want.id) + ".pic";
        Picture picture;
        Pixels pixels;
        ASSERT_TRUE(ReadPictureFile(path, &picture, &errors) && RenderPicture(picture, &pixels, &errors)) << JoinErrors(errors);
        EXPECT_EQ(want.width, pixels.width) << path;
        EXPECT_EQ(want.height, pixels.height) << path;
        const Command* image = nullptr;
        for (const Command& c : picture.commands)
            if (c.shape == Shape::Strip) image = &c;
        ASSERT_NE(nullptr, image) << path;
        EXPECT_EQ(want.image, image->numbers[2]) << path;
        int x0 = int(image->numbers[0]), y0 = int(image->numbers[1]), mismatches = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                mismatches += strip.ink[y * 112 + want.image * 16 + x] != (PixelAt(pixels, x0 + x, y0 + y) == 0);
        EXPECT_EQ(0, mismatches) << path;
        std::vector<uint8_t> bmp;
        std::vector<std::string> inputs;
        ASSERT_TRUE(BuildArtworkResource(path, &bmp, &inputs, &errors));
        EXPECT_EQ(24, Read16(bmp, 28));
        EXPECT_EQ(path, inputs.at(0));
        EXPECT_NE(inputs.end(), std::find(inputs.begin(), inputs.end(), "resources/toolbar.grid"));
    }
}

TEST(ProgramResources, MenuBarDescriptionHasElevenButtonsOfSevenWords) {
    std::vector<uint8_t> bytes;
    std::vector<std::string> inputs;
    ArtworkErrors errors;
    ASSERT_TRUE(BuildArtworkResource("resources/menubar-102.words", &bytes, &inputs, &errors)) << JoinErrors(errors);
    ASSERT_EQ(2u * (2 + 11 * 7), bytes.size());
    EXPECT_EQ(102, Read16(bytes, 0));
    EXPECT_EQ(11, Read16(bytes, 2));
    const uint16_t kCommands[] = {401, 513, 502, 501, 516, 516, 510, 514, 512, 515, 511};
    const uint16_t kImages[] = {0xFFFE, 0, 1, 2, 6, 6, 3, 6, 4, 6, 5};
    for (int b = 0; b < 11; ++b) {
        size_t at = 4 + 14 * b;
        EXPECT_EQ(kImages[b], Read16(bytes, at)) << b;
        EXPECT_EQ(kCommands[b], Read16(bytes, at + 2)) << b;
        EXPECT_EQ(4, Read16(bytes, at + 4)) << b;
        EXPECT_EQ(b == 0 ? 0x18 : 0x10, Read16(bytes, at + 6)) << b;
        EXPECT_EQ(b == 0 ? 411 : 0, Read16(bytes, at + 8)) << b;
    }
}

// Walks the menu template: the header, one pop-up, its items up to the one marked last.
TEST(ProgramResources, MenuTemplateHoldsThePopUpAndItsNineItems) {
    std::vector<uint8_t> b;
    std::vector<std::string> inputs;
    ArtworkErrors errors;
    ASSERT_TRUE(BuildArtworkResource("resources/menu-102.words", &b, &inputs, &errors)) << JoinErrors(errors);
    auto text = [&](size_t* at) {
        std::string s;
        for (; Read16(b, *at); *at += 2) s += char(Read16(b, *at));
        *at += 2;
        return s;
    };
    size_t at = 4;
    EXPECT_EQ(0u, Read32(b, 0));
    EXPECT_EQ(0x90, Read16(b, at));
    at += 2;
    EXPECT_EQ("&Menu", text(&at));
    std::vector<int> ids;
    uint16_t flags = 0;
    while (!(flags & 0x80) && at < b.size()) {
        flags = Read16(b, at);
        ids.push_back(Read16(b, at + 2));
        at += 4;
        text(&at);
    }
    EXPECT_EQ((std::vector<int>{500, 501, 502, 503, 504, 506, 507, 508, 509}), ids);
    EXPECT_EQ(b.size(), at);
}

// ---- the book's pictures ----------------------------------------------------------

TEST(BookArtwork, EveryPictureRendersAndFitsTheScreen) {
    DIR* folder = opendir("books/quiet_harbour/art");
    ASSERT_NE(nullptr, folder);
    int pictures = 0;
    while (dirent* entry = readdir(folder)) {
        std::string name = entry->d_name;
        if (name.size() < 5 || name.compare(name.size() - 4, 4, ".pic") != 0) continue;
        Picture picture;
        Pixels pixels;
        ArtworkErrors errors;
        EXPECT_TRUE(ReadPictureFile("books/quiet_harbour/art/" + name, &picture, &errors) &&
                    RenderPicture(picture, &pixels, &errors))
            << JoinErrors(errors);
        EXPECT_LE(pixels.width, 220) << name;
        ++pictures;
    }
    closedir(folder);
    EXPECT_EQ(21, pictures);
}

}  // namespace

// The run-length form gives back every pixel: flat areas and rows like the one above
// (runs and copies longer than one operation holds), gradients and noise (literals).
#include "platform/images.h"

namespace {

std::vector<uint32_t> RoundTrip(const Pixels& p) {
    std::vector<uint8_t> bytes = EncodeRunLength(p);
    std::vector<uint32_t> out(size_t(p.width) * p.height);
    DecodedImage image;
    char error[128] = "";
    EXPECT_TRUE(DecodeImage(bytes.data(), uint32_t(bytes.size()), out.data(), int32_t(out.size()), &image, error,
                            sizeof error))
        << error;
    EXPECT_EQ(image.width, p.width);
    EXPECT_EQ(image.height, p.height);
    return out;
}

TEST(RunLength, EveryPixelComesBack) {
    Pixels flat{200, 150, std::vector<uint32_t>(200 * 150, 0x336699)};   // one run past 16383
    EXPECT_EQ(RoundTrip(flat), flat.rgb);
    EXPECT_LT(EncodeRunLength(flat).size(), 32u);

    Pixels mixed{300, 90, {}};
    uint32_t noise = 12345;
    for (int y = 0; y < mixed.height; ++y)
        for (int x = 0; x < mixed.width; ++x) {
            noise = noise * 1103515245u + 12345u;
            uint32_t c = y < 30 ? uint32_t(x % 256) * 0x010101u      // a gradient: literals
                       : y < 60 ? ((x / 7 + y / 5) % 2 ? 0xFFFFFF : 0)  // stripes repeated row on row
                                : (noise >> 8) & 0xFFFFFF;             // noise: literals past 16383
            mixed.rgb.push_back(c);
        }
    EXPECT_EQ(RoundTrip(mixed), mixed.rgb);

    Pixels picture;
    ArtworkErrors errors;
    ASSERT_TRUE(Render("canvas 120 80 #ffffff\nfill-circle 60 40 30 #2266aa\nline 0 0 120 80 #aa2200 width=3\n",
                       &picture, &errors))
        << JoinErrors(errors);
    EXPECT_EQ(RoundTrip(picture), picture.rgb);
}

}  // namespace
