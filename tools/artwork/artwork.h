// Editable artwork sources and the bitmaps made from them at build time: `.pic` vector
// pictures (rendered to 24-bit pixels), `.grid` character grids of one-bit images (the
// tool-bar strip) and `.words` lists of 16-bit words (binary resources written as text).
// A build tool and an author tool: it allocates freely and stops at nothing but errors.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// ============================================================================
// Diagnostics: every problem names file:line:col, as compilers do.
// ============================================================================
struct ArtworkErrors {
    std::vector<std::string> messages;   // "file:line:col: error: text"
};

// All messages, one per line.
std::string JoinErrors(const ArtworkErrors& errors);

// ============================================================================
// Pixels.
// ============================================================================
constexpr int kArtworkSideLimit = 4096;   // widest or tallest canvas accepted

// Rows top to bottom, 0x00RRGGBB.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> rgb;
};

// ============================================================================
// Character grids (.grid): cells of '#' (ink) and '.' (paper), laid side by side.
// ============================================================================
struct Grid {
    int cellWidth = 0;
    int cellHeight = 0;
    int cells = 0;
    std::vector<uint8_t> ink;   // (cells * cellWidth) x cellHeight, 1 where '#'
};

bool ParseGrid(const std::string& text, const std::string& fileName, Grid* out,
               ArtworkErrors* errors);
bool ReadGridFile(const std::string& path, Grid* out, ArtworkErrors* errors);
inline int GridWidth(const Grid& g) { return g.cells * g.cellWidth; }

// ============================================================================
// Pictures (.pic): parsed into a list of drawing commands, then rendered.
// ============================================================================
enum class Shape : uint8_t {
    FillRect, Rect, FillRoundRect, RoundRect, Line, Polyline, Polygon,
    FillCircle, Circle, FillEllipse, Ellipse, Arc, Gradient, FloodFill, Text, Strip, Grain,
};

struct Command {
    Shape shape;
    std::vector<double> numbers;   // coordinates and sizes, in the order the command lists them
    uint32_t colour = 0;           // 0xAARRGGBB, alpha 255 when the source gives #rrggbb
    uint32_t colour2 = 0;          // the gradient's bottom colour
    double width = 1;              // stroke width of outlines and lines
    std::string text;              // Text: the words; Strip: the grid file (absolute)
    std::string font = "sans";     // Text: sans, sans-bold, serif, serif-bold, mono, mono-bold
    int align = -1;                // Text: -1 left, 0 centre, 1 right
    int scale = 1;                 // Strip: each grid pixel becomes scale x scale pixels
    uint32_t seed = 1;             // Grain: the noise pattern
    std::string where;             // "file:line:col", for errors found while rendering
};

struct Picture {
    int width = 0;
    int height = 0;
    uint32_t background = 0xFFFFFF;
    std::vector<Command> commands;
    std::vector<std::string> inputs;   // files the picture reads besides itself
    std::string description;           // UTF-8, "" when the picture gives none
};

// fileName is used for messages and to resolve the paths a picture names.
bool ParsePicture(const std::string& text, const std::string& fileName, Picture* out,
                  ArtworkErrors* errors);
bool ReadPictureFile(const std::string& path, Picture* out, ArtworkErrors* errors);

// A picture's own description, `description "one sentence"` on a line of its own, which
// screen readers say for it. ReadDescriptionLine: false when the line is no description
// line; else the text, or a problem and its column. PicDescription: the description of a
// .pic text, "" when it has none. ReadPicDescriptionFile: false when path is not a
// readable .pic file.
bool ReadDescriptionLine(const std::string& line, std::string* text, std::string* problem,
                         int* column);
std::string PicDescription(const std::string& text);
bool ReadPicDescriptionFile(const std::string& path, std::string* description);

// Shapes are antialiased (16 samples a pixel); text goes through FreeType.
bool RenderPicture(const Picture& picture, Pixels* out, ArtworkErrors* errors);

// The same picture drawn scale times as wide and as tall from its vectors: every
// coordinate, size and stroke width grows, angles and colours do not, so shapes and text
// are as sharp as at 1 and stand in the same places (times scale).
Picture ScaledPicture(const Picture& picture, int scale);

// A .pic file rendered at scale (1 to 4) into pixels.
bool RenderPictureFile(const std::string& path, int scale, Pixels* out, ArtworkErrors* errors);

// The DejaVu file of a font name ("" when the name is unknown); fonts live in the folder
// the build was configured with.
std::string FontFile(const std::string& font);

// Text drawing, also used to measure captions: the advance width in pixels.
bool DrawText(Pixels* target, double x, double baseline, double size, uint32_t argb,
              const std::string& font, const std::string& utf8, std::string* error);
bool MeasureText(double size, const std::string& font, const std::string& utf8,
                 double* width, std::string* error);

// ============================================================================
// Word lists (.words): numbers (decimal or 0x hex) and "strings" (UTF-16 units and a
// zero unit), written out as little-endian 16-bit words.
// ============================================================================
bool ParseWords(const std::string& text, const std::string& fileName,
                std::vector<uint16_t>* out, ArtworkErrors* errors);

// ============================================================================
// File formats.
// ============================================================================
std::vector<uint8_t> EncodeBmp24(const Pixels& pixels);
std::vector<uint8_t> EncodeBmp1(const Grid& grid);   // palette: 0 black ink, 1 white paper
bool WritePng(const Pixels& pixels, const std::string& path, std::string* error);
// The run-length form the reader decodes cheaply (platform/images.h); at most 65535
// pixels a side.
std::vector<uint8_t> EncodeRunLength(const Pixels& pixels);
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error);
bool ReadWholeFile(const std::string& path, std::string* out, std::string* error);
// UTF-8 to UTF-16 code units, appended to out; false on a malformed sequence.
bool DecodeUtf8(const std::string& in, std::u16string* out);

// True for the file names this library builds resources from (.pic, .grid, .words).
bool IsArtworkSource(const std::string& path);

// The resource bytes of an artwork source: a 24-bit BMP for .pic, a one-bit BMP for
// .grid, the words for .words. inputs receives every file read (the source first), so a
// build can track them.
bool BuildArtworkResource(const std::string& path, std::vector<uint8_t>* bytes,
                          std::vector<std::string>* inputs, ArtworkErrors* errors);
