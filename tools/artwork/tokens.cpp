// The token reader shared by the artwork text formats, and the small helpers that put
// file, line and column into every message.
#include "tools/artwork/tokens.h"

#include <cctype>
#include <cstdlib>

std::string Where(const std::string& file, int line, int column) {
    return file + ":" + std::to_string(line) + ":" + std::to_string(column);
}

void AddError(ArtworkErrors* errors, const std::string& file, int line, int column,
              const std::string& message) {
    errors->messages.push_back(Where(file, line, column) + ": error: " + message);
}

std::string JoinErrors(const ArtworkErrors& errors) {
    std::string out;
    for (const std::string& m : errors.messages) out += m + "\n";
    return out;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void SplitLines(const std::string& text, std::vector<std::string>* lines) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines->push_back(line);
        start = end + 1;
    }
}

static bool IsHex(const std::string& s) {
    for (char c : s)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// #rrggbb is opaque; #rrggbbaa carries its own opacity.
static bool ReadColour(const std::string& word, Token* out, std::string* problem) {
    std::string digits = word.substr(1);
    if ((digits.size() != 6 && digits.size() != 8) || !IsHex(digits)) {
        *problem = "a colour is #rrggbb or #rrggbbaa, not '" + word + "'";
        return false;
    }
    uint32_t value = static_cast<uint32_t>(std::strtoul(digits.c_str(), nullptr, 16));
    out->kind = TokenKind::Colour;
    out->colour = digits.size() == 6 ? 0xFF000000u | value : (value >> 8) | (value << 24);
    return true;
}

static bool ReadNumber(const std::string& word, Token* out, std::string* problem) {
    char* end = nullptr;
    bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
    double value = hex ? static_cast<double>(std::strtoul(word.c_str() + 2, &end, 16))
                       : std::strtod(word.c_str(), &end);
    if (end != word.c_str() + word.size() || (hex && word.size() > 10)) {
        *problem = "'" + word + "' is not a number";
        return false;
    }
    out->kind = TokenKind::Number;
    out->number = value;
    return true;
}

static bool ReadString(const std::string& line, size_t* pos, Token* out, std::string* problem) {
    out->kind = TokenKind::String;
    for (size_t i = *pos + 1; i < line.size(); ++i) {
        char c = line[i];
        if (c == '"') {
            *pos = i + 1;
            return true;
        }
        if (c == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\')) c = line[++i];
        out->text += c;
    }
    *problem = "the string has no closing quote";
    return false;
}

static bool Classify(const std::string& word, Token* out, std::string* problem) {
    char first = word[0];
    if (first == '#') return ReadColour(word, out, problem);
    if (std::isdigit(static_cast<unsigned char>(first)) || first == '-' || first == '+' || first == '.')
        return ReadNumber(word, out, problem);
    size_t equals = word.find('=');
    out->kind = equals == std::string::npos ? TokenKind::Word : TokenKind::Option;
    out->text = word.substr(0, equals);
    if (equals != std::string::npos) out->value = word.substr(equals + 1);
    if (out->kind == TokenKind::Option && (out->text.empty() || out->value.empty())) {
        *problem = "an option is written key=value, not '" + word + "'";
        return false;
    }
    return true;
}

bool NextToken(const std::string& line, size_t* pos, Token* out, std::string* problem) {
    size_t i = *pos;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == ',')) ++i;
    *pos = i;
    if (i >= line.size()) return false;
    *out = Token{TokenKind::Word, static_cast<int>(i) + 1, "", "", 0, 0};
    if (line[i] == '"') return ReadString(line, pos, out, problem);
    size_t end = line.find_first_of(" \t,\"", i);
    if (end == std::string::npos) end = line.size();
    *pos = end;
    return Classify(line.substr(i, end - i), out, problem);
}
