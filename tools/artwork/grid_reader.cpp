// Reads a .grid file: one-bit images drawn as text, so that a 16 x 16 tool-bar image can
// be edited with any editor. A "cell W H" line, then per image an "image N label" line
// followed by H rows of W characters, '#' for ink and '.' for paper. Images are numbered
// from 0 in order and laid side by side; '#' lines between images are comments.
#include <cstdlib>

#include "tools/artwork/tokens.h"

namespace {

struct GridReader {
    const std::string& file;
    Grid* grid;
    ArtworkErrors* errors;
    int row = -1;          // the row of the current image being read, -1 between images
    int lastLine = 0;
    bool ok = true;

    void Fail(int line, int column, const std::string& message) {
        AddError(errors, file, line, column, message);
        ok = false;
    }
};

// "cell W H" or "image N ...": the two numbers after the keyword, or false.
bool TwoNumbers(const std::string& line, size_t pos, int* a, int* b, int count) {
    char* end = nullptr;
    long first = std::strtol(line.c_str() + pos, &end, 10);
    if (end == line.c_str() + pos) return false;
    *a = static_cast<int>(first);
    if (count == 1) return true;
    const char* next = end;
    long second = std::strtol(next, &end, 10);
    if (end == next) return false;
    *b = static_cast<int>(second);
    return true;
}

void ReadCell(GridReader& r, const std::string& line, int number) {
    int w = 0, h = 0;
    if (r.grid->cellWidth) return r.Fail(number, 1, "the cell size is already given");
    if (!TwoNumbers(line, 4, &w, &h, 2) || w < 1 || h < 1 || w > 256 || h > 256)
        return r.Fail(number, 1, "the cell line is: cell width height (1 to 256)");
    r.grid->cellWidth = w;
    r.grid->cellHeight = h;
}

void StartImage(GridReader& r, const std::string& line, int number) {
    int index = -1, unused = 0;
    if (!r.grid->cellWidth) return r.Fail(number, 1, "the first line must be: cell width height");
    if (r.row >= 0) return r.Fail(number, 1, "image " + std::to_string(r.grid->cells - 1) + " has only " + std::to_string(r.row) + " rows");
    if (!TwoNumbers(line, 5, &index, &unused, 1) || index != r.grid->cells)
        return r.Fail(number, 7, "the next image is number " + std::to_string(r.grid->cells));
    r.grid->cells += 1;
    r.grid->ink.resize(static_cast<size_t>(r.grid->cells) * r.grid->cellWidth * r.grid->cellHeight, 0);
    r.row = 0;
}

// The ink array is (cells * cellWidth) wide, so a new image widens every row: rows are
// stored image by image and rearranged once the whole file is read.
void ReadRow(GridReader& r, const std::string& line, int number) {
    if (r.row < 0) return r.Fail(number, 1, "a row outside an image (missing 'image N' line?)");
    if (static_cast<int>(line.size()) != r.grid->cellWidth)
        return r.Fail(number, 1, "a row has " + std::to_string(r.grid->cellWidth) + " characters, this one " + std::to_string(line.size()));
    size_t base = (static_cast<size_t>(r.grid->cells - 1) * r.grid->cellHeight + r.row) * r.grid->cellWidth;
    for (int x = 0; x < r.grid->cellWidth; ++x) {
        if (line[x] != '#' && line[x] != '.') return r.Fail(number, x + 1, "a grid holds only '#' and '.'");
        r.grid->ink[base + x] = line[x] == '#';
    }
    if (++r.row == r.grid->cellHeight) r.row = -1;
}

// From image-by-image order to one strip, images side by side.
void LayOutSideBySide(Grid* g) {
    std::vector<uint8_t> strip(g->ink.size());
    int width = GridWidth(*g);
    for (int cell = 0; cell < g->cells; ++cell)
        for (int y = 0; y < g->cellHeight; ++y)
            for (int x = 0; x < g->cellWidth; ++x)
                strip[static_cast<size_t>(y) * width + cell * g->cellWidth + x] =
                    g->ink[(static_cast<size_t>(cell) * g->cellHeight + y) * g->cellWidth + x];
    g->ink.swap(strip);
}

}  // namespace

bool ParseGrid(const std::string& text, const std::string& fileName, Grid* out,
               ArtworkErrors* errors) {
    *out = Grid{};
    GridReader r{fileName, out, errors};
    std::vector<std::string> lines;
    SplitLines(text, &lines);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        int number = static_cast<int>(i) + 1;
        // Between images a '#' line is a comment; inside one every line is a row.
        if (r.row < 0 && (line.empty() || line[0] == '#')) continue;
        if (line.compare(0, 5, "cell ") == 0) ReadCell(r, line, number);
        else if (line.compare(0, 6, "image ") == 0) StartImage(r, line, number);
        else ReadRow(r, line, number);
        r.lastLine = number;
    }
    if (r.ok && r.row >= 0) r.Fail(r.lastLine, 1, "the last image is missing rows");
    if (r.ok && out->cells == 0) r.Fail(1, 1, "the grid holds no image");
    if (r.ok) LayOutSideBySide(out);
    return r.ok;
}

bool ReadGridFile(const std::string& path, Grid* out, ArtworkErrors* errors) {
    std::string text, problem;
    if (!ReadWholeFile(path, &text, &problem)) {
        errors->messages.push_back(path + ": error: " + problem);
        return false;
    }
    return ParseGrid(text, path, out, errors);
}
