// The tokens of the artwork text formats (.pic and .words): numbers, #colours, words,
// key=value options and "quoted strings", each with the column where it starts.
#pragma once

#include <cstdint>
#include <string>

#include "tools/artwork/artwork.h"

enum class TokenKind : uint8_t { Number, Colour, Word, Option, String };

struct Token {
    TokenKind kind;
    int column;           // 1-based
    std::string text;     // Word: the word; Option: the key; String: the unescaped text
    std::string value;    // Option: what follows '='
    double number = 0;    // Number
    uint32_t colour = 0;  // Colour: 0xAARRGGBB
};

// Reads the token at or after *pos (skipping blanks and commas); false at the end of the
// line, or with *problem set when the text there is not a token.
bool NextToken(const std::string& line, size_t* pos, Token* out, std::string* problem);

// Adds "file:line:col: error: message".
void AddError(ArtworkErrors* errors, const std::string& file, int line, int column,
              const std::string& message);

std::string Where(const std::string& file, int line, int column);

// The folder of a path, with its trailing '/', or "" for a bare name.
std::string FolderOf(const std::string& path);

// Splits text into lines without their line ends ("\n" or "\r\n").
void SplitLines(const std::string& text, std::vector<std::string>* lines);
