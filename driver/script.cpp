// The qh-play script language: a verb and its arguments; texts in double quotes with
// \" and \\ escapes.
#include "driver/script.h"

#include <cctype>
#include <cstdlib>

#include "platform/text_codec.h"

namespace {

struct Cursor {
    const std::string& line;
    size_t at = 0;

    void SkipBlanks() {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    }
    bool AtEnd() {
        SkipBlanks();
        return at >= line.size();
    }
    std::string Word() {
        SkipBlanks();
        size_t start = at;
        while (at < line.size() && line[at] != ' ' && line[at] != '\t') ++at;
        return line.substr(start, at - start);
    }
};

bool ReadInteger(Cursor& cursor, int* value, long low, long high) {
    std::string word = cursor.Word();
    if (word.empty()) return false;
    char* end = nullptr;
    long number = std::strtol(word.c_str(), &end, 10);
    if (*end != 0 || number < low || number > high) return false;
    *value = int(number);
    return true;
}

bool ReadQuoted(Cursor& cursor, std::string* text) {
    cursor.SkipBlanks();
    if (cursor.at >= cursor.line.size() || cursor.line[cursor.at] != '"') return false;
    text->clear();
    for (size_t i = cursor.at + 1; i < cursor.line.size(); ++i) {
        char c = cursor.line[i];
        if (c == '"') {
            cursor.at = i + 1;
            return true;
        }
        if (c == '\\' && i + 1 < cursor.line.size()) c = cursor.line[++i];
        *text += c;
    }
    return false;
}

struct VerbName {
    const char* name;
    PlayVerb verb;
};

const VerbName kVerbs[] = {
    {"tap", PlayVerb::TapAt},   {"control", PlayVerb::Control}, {"type", PlayVerb::Type},
    {"key", PlayVerb::Key},     {"menu", PlayVerb::Menu},       {"tool", PlayVerb::Tool},
    {"answer", PlayVerb::Answer}, {"wait", PlayVerb::Wait},     {"seed", PlayVerb::Seed},
    {"goto", PlayVerb::Goto},   {"dump", PlayVerb::Dump},       {"state", PlayVerb::State},
    {"screenshot", PlayVerb::Screenshot}, {"exit", PlayVerb::Exit}, {"wheel", PlayVerb::Wheel},
};

const char* const kKeys[] = {"Return", "Tab", "Up", "Down", "PageUp", "PageDown", "Home", "End",
                             "Shift+Tab", "Space", "Escape", "Left", "Right", "F10", "Alt"};
const char* const kTools[] = {"help", "restart", "information", "back", "previous", "next"};
const char* const kAnswers[] = {"yes", "no", "ok", "keys"};

// A letter key, as the menu's underlined letters are pressed: "O" or "o".
bool IsLetterKey(const std::string& word) {
    return word.size() == 1 && std::isalpha(static_cast<unsigned char>(word[0]));
}

template <size_t N>
bool OneOf(const std::string& word, const char* const (&names)[N]) {
    for (const char* name : names)
        if (word == name) return true;
    return false;
}

bool ParseArguments(Cursor& cursor, PlayCommand* c, std::string* error) {
    switch (c->verb) {
    case PlayVerb::TapAt:
        if (ReadQuoted(cursor, &c->text)) {
            c->verb = PlayVerb::TapLabel;
            return true;
        }
        if (ReadInteger(cursor, &c->x, 0, 239) && ReadInteger(cursor, &c->y, 0, 319)) return true;
        *error = "tap takes X Y (0-239, 0-319) or a quoted label";
        return false;
    case PlayVerb::Control:
        if (ReadInteger(cursor, &c->x, 1, 65535)) return true;
        *error = "control takes a control identifier from 1 to 65535";
        return false;
    case PlayVerb::Type:
    case PlayVerb::Menu:
        if (ReadQuoted(cursor, &c->text)) return true;
        *error = "expected a text in double quotes";
        return false;
    case PlayVerb::Key:
        c->text = cursor.Word();
        if (OneOf(c->text, kKeys) || IsLetterKey(c->text)) return true;
        *error = "key takes Return, Tab, Shift+Tab, Space, Escape, Up, Down, Left, Right, PageUp, PageDown, "
                 "Home, End, F10, Alt or a letter A to Z";
        return false;
    case PlayVerb::Wheel:
        if (ReadInteger(cursor, &c->x, -1000, 1000)) return true;
        *error = "wheel takes a number of notches from -1000 to 1000 (negative: up)";
        return false;
    case PlayVerb::Tool:
        c->text = cursor.Word();
        if (OneOf(c->text, kTools)) return true;
        *error = "tool takes help, restart, information, back, previous or next";
        return false;
    case PlayVerb::Answer:
        c->text = cursor.Word();
        if (OneOf(c->text, kAnswers)) return true;
        *error = "answer takes yes, no, ok or keys";
        return false;
    case PlayVerb::Wait:
        if (ReadInteger(cursor, &c->x, 0, 3600000)) return true;
        *error = "wait takes milliseconds from 0 to 3600000";
        return false;
    case PlayVerb::Seed:
        if (ReadInteger(cursor, &c->x, 0, 2147483647)) return true;
        *error = "seed takes a whole number from 0";
        return false;
    case PlayVerb::Goto:
        if (ReadInteger(cursor, &c->x, 1, 361)) return true;
        *error = "goto takes a paragraph number from 1 to 361";
        return false;
    case PlayVerb::Screenshot:
        c->text = cursor.Word();
        if (!c->text.empty()) return true;
        *error = "screenshot takes a file name";
        return false;
    default:
        return true;
    }
}

}  // namespace

bool ParsePlayLine(const std::string& line, PlayCommand* command, std::string* error) {
    *command = PlayCommand{};
    Cursor cursor{line};
    if (cursor.AtEnd() || line[cursor.at] == '#') return true;
    std::string verb = cursor.Word();
    bool known = false;
    for (const VerbName& v : kVerbs)
        if (verb == v.name) {
            command->verb = v.verb;
            known = true;
        }
    if (!known) {
        *error = "unknown command '" + verb + "'";
        return false;
    }
    if (!ParseArguments(cursor, command, error)) return false;
    if (!cursor.AtEnd()) {
        *error = "unexpected text after the command: '" + line.substr(cursor.at) + "'";
        return false;
    }
    return true;
}

// Strict, since the text is typed into the reader as it stands: an overlong form would
// smuggle in a NUL or a quote, and the reader's boxes hold only the 16-bit plane.
bool Utf8ToUtf16(const std::string& in, std::u16string* out) {
    out->clear();
    for (size_t at = 0; at < in.size();) {
        char32_t c;
        int bytes = DecodeUtf8Char(in.data() + at, in.size() - at, &c);
        if (bytes == 0 || c > 0xFFFF) return false;
        *out += char16_t(c);
        at += size_t(bytes);
    }
    return true;
}

static void AppendQuoted(std::string& out, char32_t c) {
    if (c == '"' || c == '\\') out += '\\';
    char bytes[kUtf8MaxBytes];
    out.append(bytes, size_t(EncodeUtf8Char(c, bytes, sizeof bytes)));
}

std::string QuotedLatin1(const char* text) {
    std::string out = "\"";
    for (; text && *text; ++text) AppendQuoted(out, static_cast<unsigned char>(*text));
    return out + "\"";
}

// A lone surrogate (the reader never makes one) shows as U+FFFD rather than vanishing.
std::string QuotedUtf16(const char16_t* text, int length) {
    std::string out = "\"";
    for (int i = 0; i < length && text[i];) {
        char32_t c = kReplacementCharacter;   // left as it is when the unit is unpaired
        int units = DecodeUtf16Char(text + i, size_t(length - i), &c);
        AppendQuoted(out, c);
        i += units ? units : 1;
    }
    return out + "\"";
}
