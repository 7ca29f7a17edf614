// qh-play scripts: one command a line, parsed into a PlayCommand before it runs, so a
// malformed line is reported with its file and line and nothing of it is carried out.
#pragma once

#include <string>

enum class PlayVerb {
    Blank, TapAt, TapLabel, Control, Type, Key, Menu, Tool, Answer, Wait, Seed, Goto,
    Dump, State, Screenshot, Exit, Wheel,
};

struct PlayCommand {
    PlayVerb verb = PlayVerb::Blank;
    int x = 0, y = 0;         // TapAt; Control: x is the identifier; Wait, Seed, Goto, Wheel: x
    std::string text;         // TapLabel, Type, Menu (UTF-8); Key, Tool, Answer: the name;
                              // Screenshot: the path
};

// Parses one line (without its newline). On failure returns false and sets error to
// a plain description of what is wrong.
bool ParsePlayLine(const std::string& line, PlayCommand* command, std::string* error);

// UTF-8 to UTF-16; false when the text is not valid UTF-8 or leaves the 16-bit plane.
bool Utf8ToUtf16(const std::string& in, std::u16string* out);
// Latin-1 (the book's text) to UTF-8, with '"' and '\' escaped, for the page dump.
std::string QuotedLatin1(const char* text);
std::string QuotedUtf16(const char16_t* text, int length);
