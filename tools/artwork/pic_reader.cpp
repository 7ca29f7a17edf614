// Reads a .pic picture: a canvas line, then one drawing command a line. Each command is
// a name, its arguments in a fixed order (numbers, #colours, "text", points) and then
// optional key=value settings. Every mistake is reported with its line and column, and
// reading goes on so that one run shows them all.
#include <cmath>
#include <cstdlib>

#include "tools/artwork/tokens.h"

namespace {

// Argument letters: n number, c colour, s string, p the rest as x y pairs.
struct CommandSpec {
    const char* name;
    Shape shape;
    const char* arguments;
    const char* options;   // the key=value settings the command accepts, blank-separated
    int minimumPoints;
};

const CommandSpec kCommands[] = {
    {"fill-rect", Shape::FillRect, "nnnnc", "", 0},
    {"rect", Shape::Rect, "nnnnc", "width", 0},
    {"fill-round-rect", Shape::FillRoundRect, "nnnnnc", "", 0},
    {"round-rect", Shape::RoundRect, "nnnnnc", "width", 0},
    {"line", Shape::Line, "nnnnc", "width", 0},
    {"polyline", Shape::Polyline, "cp", "width", 2},
    {"polygon", Shape::Polygon, "cp", "", 3},
    {"fill-circle", Shape::FillCircle, "nnnc", "", 0},
    {"circle", Shape::Circle, "nnnc", "width", 0},
    {"fill-ellipse", Shape::FillEllipse, "nnnnc", "", 0},
    {"ellipse", Shape::Ellipse, "nnnnc", "width", 0},
    {"arc", Shape::Arc, "nnnnnnc", "width", 0},
    {"gradient", Shape::Gradient, "nnnncc", "", 0},
    {"fill", Shape::FloodFill, "nnc", "", 0},
    {"text", Shape::Text, "nnncs", "font align", 0},
    {"strip", Shape::Strip, "nncsn", "scale", 0},
    {"grain", Shape::Grain, "nnnnn", "seed", 0},
};

struct LineReader {
    const std::string& file;
    int line;
    ArtworkErrors* errors;
    bool ok = true;

    void Fail(int column, const std::string& message) {
        AddError(errors, file, line, column, message);
        ok = false;
    }
};

const char* KindName(char letter) {
    switch (letter) {
    case 'n': return "a number";
    case 'c': return "a colour (#rrggbb)";
    case 's': return "a \"quoted text\"";
    default: return "a point (x y)";
    }
}

bool Matches(char letter, const Token& t) {
    switch (letter) {
    case 'n': case 'p': return t.kind == TokenKind::Number;
    case 'c': return t.kind == TokenKind::Colour;
    default: return t.kind == TokenKind::String;
    }
}

// Stores one argument token in the command, by the letter that asked for it.
void Store(char letter, const Token& t, Command* c, int colours) {
    if (letter == 'n' || letter == 'p') c->numbers.push_back(t.number);
    else if (letter == 'c') (colours == 0 ? c->colour : c->colour2) = t.colour;
    else c->text = t.text;
}

bool AcceptsOption(const CommandSpec& command, const std::string& key) {
    std::string list = std::string(" ") + command.options + " ";
    return list.find(" " + key + " ") != std::string::npos;
}

void ApplyOption(LineReader& r, const Token& t, Command* c) {
    char* end = nullptr;
    double number = std::strtod(t.value.c_str(), &end);
    bool isNumber = end == t.value.c_str() + t.value.size();
    if (t.text == "font") {
        if (FontFile(t.value).empty()) r.Fail(t.column, "unknown font '" + t.value + "'");
        c->font = t.value;
    } else if (t.text == "align") {
        c->align = t.value == "left" ? -1 : t.value == "center" ? 0 : t.value == "right" ? 1 : 2;
        if (c->align == 2) r.Fail(t.column, "align is left, center or right");
    } else if (!isNumber || number <= 0 || number > 1e6) {
        r.Fail(t.column, t.text + " takes a positive number");
    } else if (t.text == "width") {
        c->width = number;
    } else if (t.text == "scale") {
        c->scale = static_cast<int>(number);
        if (c->scale != number || c->scale > 16) r.Fail(t.column, "scale is a whole number from 1 to 16");
    } else {
        c->seed = static_cast<uint32_t>(number);
    }
}

// Reads the arguments and options that follow the command name.
void ReadArguments(LineReader& r, const CommandSpec& command, const std::string& text, size_t pos,
                   int nameColumn, Command* c) {
    const char* want = command.arguments;
    int colours = 0;
    Token t;
    std::string problem;
    while (NextToken(text, &pos, &t, &problem)) {
        if (t.kind == TokenKind::Option) {
            if (!AcceptsOption(command, t.text)) r.Fail(t.column, std::string(command.name) + " has no setting '" + t.text + "'");
            else ApplyOption(r, t, c);
            continue;
        }
        char letter = *want ? *want : '\0';
        if (!letter) return r.Fail(t.column, std::string("too many arguments for ") + command.name);
        if (!Matches(letter, t)) return r.Fail(t.column, std::string("expected ") + KindName(letter));
        Store(letter, t, c, colours);
        if (letter == 'c') ++colours;
        if (letter != 'p') ++want;
    }
    if (!problem.empty()) return r.Fail(t.column, problem);
    if (*want && *want != 'p') return r.Fail(nameColumn, std::string(command.name) + " needs " + KindName(*want) + " more");
    if (*want == 'p') {   // point lists follow only a colour, so every number is a coordinate
        size_t numbers = c->numbers.size();
        if (numbers % 2 || numbers / 2 < static_cast<size_t>(command.minimumPoints))
            r.Fail(nameColumn, std::string(command.name) + " needs at least " + std::to_string(command.minimumPoints) +
                                   " points, each an x and a y");
    }
}

const CommandSpec* FindCommand(const std::string& name) {
    for (const CommandSpec& command : kCommands)
        if (name == command.name) return &command;
    return nullptr;
}

// Sizes and radii may not be negative; a strip's grid must exist and hold the cell.
void CheckValues(LineReader& r, const Command& c, int column, Picture* picture) {
    auto nonNegative = [&](size_t first, size_t count) {
        for (size_t i = first; i < first + count && i < c.numbers.size(); ++i)
            if (c.numbers[i] < 0) return r.Fail(column, "a size or radius may not be negative");
    };
    switch (c.shape) {
    case Shape::FillRect: case Shape::Rect: case Shape::Gradient: nonNegative(2, 2); break;
    case Shape::FillRoundRect: case Shape::RoundRect: case Shape::Grain: nonNegative(2, 3); break;
    case Shape::FillCircle: case Shape::Circle: nonNegative(2, 1); break;
    case Shape::FillEllipse: case Shape::Ellipse: case Shape::Arc: nonNegative(2, 2); break;
    case Shape::Text: nonNegative(2, 1); break;
    default: break;
    }
    if (c.shape != Shape::Strip || !r.ok) return;
    Grid grid;
    ArtworkErrors gridErrors;
    std::string path = c.text;
    if (!ReadGridFile(path, &grid, &gridErrors)) return r.Fail(column, "the strip's grid " + path + " cannot be used:\n" + JoinErrors(gridErrors));
    if (c.numbers[2] < 0 || c.numbers[2] >= grid.cells || c.numbers[2] != std::floor(c.numbers[2]))
        r.Fail(column, "the grid has images 0 to " + std::to_string(grid.cells - 1));
    picture->inputs.push_back(path);
}

void ReadCanvas(LineReader& r, const std::string& text, size_t pos, Picture* out) {
    Token t;
    std::string problem;
    double size[2] = {0, 0};
    int got = 0;
    while (NextToken(text, &pos, &t, &problem)) {
        if (got < 2 && t.kind == TokenKind::Number) size[got++] = t.number;
        else if (got == 2 && t.kind == TokenKind::Colour) out->background = t.colour & 0xFFFFFF, ++got;
        else return r.Fail(t.column, "canvas is: canvas width height [#background]");
    }
    if (!problem.empty()) return r.Fail(t.column, problem);
    bool whole = size[0] == std::floor(size[0]) && size[1] == std::floor(size[1]);
    if (got < 2 || !whole || size[0] < 1 || size[1] < 1 || size[0] > kArtworkSideLimit || size[1] > kArtworkSideLimit)
        return r.Fail(1, "the canvas needs a whole width and height from 1 to " + std::to_string(kArtworkSideLimit));
    out->width = static_cast<int>(size[0]);
    out->height = static_cast<int>(size[1]);
}

void ReadDescription(LineReader& r, const std::string& text, Picture* out) {
    std::string description, problem;
    int column = 1;
    ReadDescriptionLine(text, &description, &problem, &column);
    if (!problem.empty()) return r.Fail(column, problem);
    if (!out->description.empty()) return r.Fail(column, "the description is already given");
    if (description.empty()) return r.Fail(column, "the description is empty");
    out->description = description;
}

void ReadLine(LineReader& r, const std::string& text, const std::string& folder, Picture* out) {
    size_t pos = 0;
    Token name;
    std::string problem;
    if (!NextToken(text, &pos, &name, &problem)) {
        if (!problem.empty()) r.Fail(name.column, problem);
        return;
    }
    if (name.kind != TokenKind::Word) return r.Fail(name.column, "a line begins with a command name");
    if (name.text == "description") return ReadDescription(r, text, out);
    if (name.text == "canvas") {
        if (out->width) return r.Fail(name.column, "the canvas is already given");
        return ReadCanvas(r, text, pos, out);
    }
    const CommandSpec* command = FindCommand(name.text);
    if (!command) return r.Fail(name.column, "unknown command '" + name.text + "'");
    if (!out->width) return r.Fail(name.column, "the first command must be: canvas width height");
    Command c{command->shape, {}, 0, 0, 1, "", "sans", -1, 1, 1, Where(r.file, r.line, name.column)};
    ReadArguments(r, *command, text, pos, name.column, &c);
    if (c.shape == Shape::Strip && !c.text.empty() && c.text[0] != '/') c.text = folder + c.text;
    if (r.ok) CheckValues(r, c, name.column, out);
    if (r.ok) out->commands.push_back(c);
}

bool IsComment(const std::string& line) {
    size_t first = line.find_first_not_of(" \t");
    return first == std::string::npos || line[first] == '#';
}

}  // namespace

bool ParsePicture(const std::string& text, const std::string& fileName, Picture* out,
                  ArtworkErrors* errors) {
    *out = Picture{};
    std::vector<std::string> lines;
    SplitLines(text, &lines);
    size_t before = errors->messages.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (IsComment(lines[i])) continue;
        LineReader r{fileName, static_cast<int>(i) + 1, errors};
        ReadLine(r, lines[i], FolderOf(fileName), out);
    }
    if (!out->width && errors->messages.size() == before)
        AddError(errors, fileName, 1, 1, "the picture has no canvas line");
    return errors->messages.size() == before;
}

bool ReadPictureFile(const std::string& path, Picture* out, ArtworkErrors* errors) {
    std::string text, problem;
    if (!ReadWholeFile(path, &text, &problem)) {
        errors->messages.push_back(path + ": error: " + problem);
        return false;
    }
    return ParsePicture(text, path, out, errors);
}
