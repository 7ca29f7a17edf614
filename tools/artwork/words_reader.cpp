// Reads a .words file: a binary resource made of 16-bit words (a menu template, the
// menu-bar description), written as numbers and "strings" so it can be read and edited.
// '#' outside a string starts a comment; a string becomes its UTF-16 units and a zero.
#include "tools/artwork/tokens.h"

namespace {

// The line up to a '#' that is not inside a string.
std::string WithoutComment(const std::string& line) {
    bool inString = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\' && inString) ++i;
        else if (line[i] == '"') inString = !inString;
        else if (line[i] == '#' && !inString) return line.substr(0, i);
    }
    return line;
}

bool ReadWordsLine(const std::string& text, const std::string& file, int line,
                   std::vector<uint16_t>* out, ArtworkErrors* errors) {
    size_t pos = 0;
    Token t;
    std::string problem;
    while (NextToken(text, &pos, &t, &problem)) {
        if (t.kind == TokenKind::String) {
            std::u16string units;
            if (!DecodeUtf8(t.text, &units)) return AddError(errors, file, line, t.column, "the text is not valid UTF-8"), false;
            out->insert(out->end(), units.begin(), units.end());
            out->push_back(0);
        } else if (t.kind == TokenKind::Number && t.number >= 0 && t.number <= 0xFFFF &&
                   t.number == static_cast<double>(static_cast<uint16_t>(t.number))) {
            out->push_back(static_cast<uint16_t>(t.number));
        } else {
            AddError(errors, file, line, t.column, "expected a whole number from 0 to 65535 (or 0x0000 to 0xFFFF) or a \"string\"");
            return false;
        }
    }
    if (!problem.empty()) AddError(errors, file, line, t.column, problem);
    return problem.empty();
}

}  // namespace

bool ParseWords(const std::string& text, const std::string& fileName,
                std::vector<uint16_t>* out, ArtworkErrors* errors) {
    out->clear();
    std::vector<std::string> lines;
    SplitLines(text, &lines);
    bool ok = true;
    for (size_t i = 0; i < lines.size(); ++i)
        ok = ReadWordsLine(WithoutComment(lines[i]), fileName, static_cast<int>(i) + 1, out, errors) && ok;
    return ok;
}
