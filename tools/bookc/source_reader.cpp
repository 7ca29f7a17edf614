// The line parser of the book source format. One declaration a line; a paragraph's
// body runs on to the next declaration. Every failure is reported at its line and
// column and parsing goes on with the next line, so one fault gives one message.
//
// Index of this file (each entry a [SECTION] banner below):
//   UTF-8 to Latin-1
//   Reading the parts of one line
//   Declaration heads: "key:" or "key N:" at the start of a line
//   Parser state and the header fields
//   Pictures and sounds
//   Variables
//   Restart points and paragraph bodies
//   Numbered declarations: the row a number names, then its kind
//   Lines and whole sources
#include "tools/bookc/source_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/text_codec.h"
#include "platform/tool_files.h"
#include "tools/artwork/artwork.h"
#include "tools/artwork/artwork_check.h"
#include "tools/bookc/artwork.h"

// ============================================================================
// [SECTION] UTF-8 to Latin-1
// ============================================================================

// Reads a line of UTF-8, reporting the first byte that is not UTF-8; with latin1 given,
// narrows it too, reporting the first character outside Latin-1.
static bool ReadUtf8Line(const std::string& utf8, int line, Diagnostics& diag, std::string* latin1) {
    if (latin1) latin1->clear();
    int column = 1;
    for (size_t at = 0; at < utf8.size(); column++) {
        char32_t code = 0;
        int length = DecodeUtf8Char(utf8.data() + at, utf8.size() - at, &code);
        if (length == 0) {
            ReportError(diag, {line, column}, "this is not UTF-8 text (byte 0x%02X)",
                        static_cast<unsigned char>(utf8[at]));
            return false;
        }
        at += length;
        if (!latin1) continue;
        if (code > 0xFF) {
            ReportError(diag, {line, column},
                        "the character U+%04X is outside Latin-1, which the reader cannot show",
                        static_cast<unsigned>(code));
            return false;
        }
        *latin1 += static_cast<char>(code);
    }
    return true;
}

bool Utf8LineToLatin1(const std::string& utf8, int line, Diagnostics& diag, std::string& latin1) {
    return ReadUtf8Line(utf8, line, diag, &latin1);
}

// Artwork declarations name files, and a file's name may hold any character: such a line
// is read as written, in UTF-8, not narrowed to the Latin-1 of the book's text.
static bool NamesAFile(const std::string& utf8) {
    size_t start = utf8.find_first_not_of(" \t");
    return start != std::string::npos &&
           (utf8.compare(start, 8, "picture ") == 0 || utf8.compare(start, 6, "sound ") == 0);
}

// ============================================================================
// [SECTION] Reading the parts of one line
// ============================================================================

struct LineCursor {
    const std::string& text;           // Latin-1: index + 1 is the column
    size_t at;
    int line;
};

static bool IsBlank(char c) { return c == ' ' || c == '\t'; }
static SourcePos PosOf(const LineCursor& c) { return {c.line, static_cast<int>(c.at) + 1}; }
static bool AtEnd(const LineCursor& c) { return c.at >= c.text.size(); }
static char Peek(const LineCursor& c) { return AtEnd(c) ? '\0' : c.text[c.at]; }

static void SkipBlanks(LineCursor& c) {
    while (!AtEnd(c) && IsBlank(c.text[c.at])) c.at++;
}

// The run of characters up to a blank (or a '|' when stopAtBar).
static std::string ReadToken(LineCursor& c, bool stopAtBar) {
    size_t start = c.at;
    while (!AtEnd(c) && !IsBlank(c.text[c.at]) && !(stopAtBar && c.text[c.at] == '|')) c.at++;
    return c.text.substr(start, c.at - start);
}

// The rest of the line without its outer blanks.
static std::string ReadRest(LineCursor& c) {
    SkipBlanks(c);
    size_t end = c.text.size();
    while (end > c.at && IsBlank(c.text[end - 1])) end--;
    std::string rest = c.text.substr(c.at, end - c.at);
    c.at = c.text.size();
    return rest;
}

// A text in double quotes at the cursor, with \" and \\ as escapes.
static bool ReadQuoted(LineCursor& c, Diagnostics& diag, std::string& out) {
    SourcePos open = PosOf(c);
    out.clear();
    for (c.at++; !AtEnd(c); c.at++) {
        char ch = c.text[c.at];
        if (ch == '"') {
            c.at++;
            return true;
        }
        if (ch == '\\' && c.at + 1 < c.text.size() &&
            (c.text[c.at + 1] == '"' || c.text[c.at + 1] == '\\'))
            ch = c.text[++c.at];
        out += ch;
    }
    ReportError(diag, open, "missing closing quote: the text that starts here runs to the end of the line");
    return false;
}

// A closing quote must be followed by a blank, a '|' or the line's end; anything
// else means a quote went missing earlier and the text paired the wrong quotes.
static bool ReadQuotedItem(LineCursor& c, Diagnostics& diag, std::string& out) {
    SourcePos open = PosOf(c);
    if (!ReadQuoted(c, diag, out)) return false;
    if (AtEnd(c) || IsBlank(Peek(c)) || Peek(c) == '|') return true;
    LineCursor after = c;
    std::string rest = ReadToken(after, false);
    ReportError(diag, open, "missing closing quote: the quoted text \"%s\" runs straight into '%s'",
                out.c_str(), rest.c_str());
    return false;
}

// A quoted text or, when the value does not start with a quote, the rest of the line.
static bool ReadTextValue(LineCursor& c, Diagnostics& diag, std::string& out) {
    SkipBlanks(c);
    if (Peek(c) != '"') {
        out = ReadRest(c);
        return true;
    }
    if (!ReadQuoted(c, diag, out)) return false;
    SkipBlanks(c);
    if (AtEnd(c)) return true;
    ReportError(diag, PosOf(c), "unexpected text after the closing quote");
    return false;
}

static bool ParseWholeNumber(const std::string& token, long& value) {
    size_t i = (token.size() > 1 && (token[0] == '-' || token[0] == '+')) ? 1 : 0;
    if (i == token.size()) return false;
    value = 0;
    for (; i < token.size(); i++) {
        if (token[i] < '0' || token[i] > '9') return false;
        if (value < 10000000) value = value * 10 + (token[i] - '0');
    }
    if (token[0] == '-') value = -value;
    return true;
}

// A whole number token at the cursor within [low, high]; `what` names it in messages.
static bool ReadNumberValue(LineCursor& c, Diagnostics& diag, const char* what, long low,
                            long high, long& value) {
    SourcePos pos = PosOf(c);
    std::string token = ReadToken(c, true);
    if (!ParseWholeNumber(token, value)) {
        ReportError(diag, pos, "%s needs a whole number, found '%s'", what,
                    token.empty() ? "nothing" : token.c_str());
        return false;
    }
    if (value < low || value > high) {
        ReportError(diag, pos, "%s %ld is out of range (%ld to %ld)", what, value, low, high);
        return false;
    }
    return true;
}

// A paragraph's name: a letter, then letters, digits, '_' and '-'.
static bool IsNameStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
static bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '_' || c == '-'; }

// "@name" at the cursor, where a paragraph reference may be named; false when no '@'.
static bool ReadNameValue(LineCursor& c, std::string& name) {
    if (Peek(c) != '@') return false;
    name = ReadToken(c, false).substr(1);
    return true;
}

// ============================================================================
// [SECTION] Declaration heads: "key:" or "key N:" at the start of a line
// ============================================================================

enum class HeadForm { None, Field, Numbered };

struct DeclarationHead {
    HeadForm form = HeadForm::None;
    std::string keyword;
    std::string number;                // Numbered: the text between blank and colon
    SourcePos numberPos;
    std::string name;                  // Numbered: a name after the number, "" if none
    SourcePos namePos;
    size_t rest = 0;                   // index just after the colon
};

static DeclarationHead ParseHead(const std::string& line, int lineNumber) {
    DeclarationHead head;
    size_t i = 0;
    while (i < line.size() && ((line[i] >= 'a' && line[i] <= 'z') || line[i] == '-')) i++;
    if (i == 0 || i == line.size()) return head;
    head.keyword = line.substr(0, i);
    if (line[i] == ':') {
        head.form = HeadForm::Field;
        head.rest = i + 1;
        return head;
    }
    if (line[i] != ' ') return head;
    size_t start = i + 1, end = start;
    if (end < line.size() && (line[end] == '-' || line[end] == '+')) end++;
    while (end < line.size() && line[end] >= '0' && line[end] <= '9') end++;
    size_t colon = end;
    bool named = head.keyword == "paragraph" && end > start && colon + 1 < line.size() && line[colon] == ' ';
    if (named && IsNameStart(line[colon + 1])) {
        head.namePos = {lineNumber, static_cast<int>(colon) + 2};
        for (colon++; colon < line.size() && IsNameChar(line[colon]); colon++) head.name += line[colon];
    }
    if (end == start || colon >= line.size() || line[colon] != ':') return head;
    head.form = HeadForm::Numbered;
    head.number = line.substr(start, end - start);
    head.numberPos = {lineNumber, static_cast<int>(start) + 1};
    head.rest = colon + 1;
    return head;
}

static const char* const kFieldKeys[] = {"title",   "copyright", "author",
                                         "closing", "website",   "contact",
                                         "support", "logo-picture", "title-picture"};
static const char* const kTableKeys[] = {"picture", "sound", "variable", "restart",
                                         "paragraph"};

static bool IsKnown(const DeclarationHead& head) {
    if (head.form == HeadForm::Field) {
        for (const char* key : kFieldKeys)
            if (head.keyword == key) return true;
    } else if (head.form == HeadForm::Numbered) {
        for (const char* key : kTableKeys)
            if (head.keyword == key) return true;
    }
    return false;
}

// ============================================================================
// [SECTION] Parser state and the header fields
// ============================================================================

struct Parser {
    BookModel& book;
    Diagnostics& diag;
    std::filesystem::path folder;      // the book file's folder, for artwork paths
    bool inBody = false;               // lines go to a paragraph's body
    ParagraphSource* paragraph = nullptr;   // null: a broken head, body is dropped
};

static HeaderField* TextField(HeaderSource& header, const std::string& key) {
    if (key == "title") return &header.title;
    if (key == "copyright") return &header.copyrightHolder;
    if (key == "author") return &header.author;
    if (key == "closing") return &header.closingLine;
    if (key == "website") return &header.webSite;
    if (key == "contact") return &header.contactAddress;
    if (key == "support") return &header.supportAddress;
    return nullptr;
}

static bool FirstTime(Parser& p, SourcePos& seen, SourcePos here, const std::string& what) {
    if (seen.line != 0) {
        ReportError(p.diag, here, "%s is given twice; the first is on line %d", what.c_str(),
                    seen.line);
        return false;
    }
    seen = here;
    return true;
}

static void ParseField(Parser& p, const DeclarationHead& head, LineCursor& c) {
    SourcePos here = {c.line, 1};
    HeaderSource& header = p.book.header;
    if (HeaderField* field = TextField(header, head.keyword)) {
        if (FirstTime(p, field->pos, here, head.keyword)) ReadTextValue(c, p.diag, field->text);
        return;
    }
    bool logo = head.keyword == "logo-picture";
    SourcePos& seen = logo ? header.logoPicturePos : header.titlePicturePos;
    if (!FirstTime(p, seen, here, head.keyword)) return;
    long value = 0;
    SkipBlanks(c);
    if (ReadNumberValue(c, p.diag, head.keyword.c_str(), 0, kPictures - 1, value))
        (logo ? header.logoPicture : header.titlePicture) = static_cast<int16_t>(value);
}

// ============================================================================
// [SECTION] Pictures and sounds
// ============================================================================

static bool ReadOptionKey(Parser& p, LineCursor& c, std::string& key, SourcePos& pos);

// A file named in the source, made absolute and checked; `written` is as the source has it.
static bool ResolveArtworkPath(Parser& p, SourcePos pos, const std::string& written,
                               const char* what, std::string& path) {
    if (written.empty()) {
        ReportError(p.diag, pos, "expected the %s file after the number", what);
        return false;
    }
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(p.folder / written, ec);
    path = full.lexically_normal().string();
    std::string why;
    bool picture = std::strcmp(what, "picture") == 0;
    if (picture ? CheckPictureFile(path, &why) : CheckSoundFile(path, &why)) return true;
    ReportError(p.diag, pos, "cannot use the %s file '%s': %s", what, path.c_str(), why.c_str());
    return false;
}

// The file named at the cursor (quoted or the rest of the line), made absolute.
static bool ReadArtworkPath(Parser& p, LineCursor& c, const char* what, std::string& path) {
    SkipBlanks(c);
    SourcePos pos = PosOf(c);
    std::string written;
    if (!ReadTextValue(c, p.diag, written)) return false;
    return ResolveArtworkPath(p, pos, written, what, path);
}

// A picture's file: quoted, or up to the blank before its first option, so that a
// path with blanks needs no quotes when the line carries no description.
static bool ReadPicturePath(Parser& p, LineCursor& c, std::string& path) {
    SkipBlanks(c);
    SourcePos pos = PosOf(c);
    std::string written;
    if (Peek(c) == '"') {
        if (!ReadQuotedItem(c, p.diag, written)) return false;
    } else {
        size_t options = c.text.find(" description=", c.at);
        size_t tabbed = c.text.find("\tdescription=", c.at);
        size_t end = std::min(options, tabbed);
        std::string upToOptions = c.text.substr(0, end == std::string::npos ? c.text.size() : end);
        LineCursor file = {upToOptions, c.at, c.line};
        written = ReadRest(file);
        c.at = file.at;
    }
    return ResolveArtworkPath(p, pos, written, "picture", path);
}

// description="..." after the file: what a screen reader says for the picture.
static void ReadPictureOptions(Parser& p, PictureSource& picture, LineCursor& c) {
    SourcePos seen;
    for (SkipBlanks(c); !AtEnd(c); SkipBlanks(c)) {
        std::string key;
        SourcePos pos;
        if (!ReadOptionKey(p, c, key, pos)) return;
        if (key != "description") {
            ReportError(p.diag, pos, "unknown option '%s' (a picture takes description=)", key.c_str());
            return;
        }
        if (!FirstTime(p, seen, pos, "description=")) return;
        if (Peek(c) != '"') {
            ReportError(p.diag, PosOf(c), "description= needs a text in double quotes");
            return;
        }
        if (!ReadQuotedItem(c, p.diag, picture.description)) return;
        // The line was read as written (it names a file); a description is book text.
        std::string latin1;
        if (!Utf8LineToLatin1(picture.description, pos.line, p.diag, latin1)) return;
        picture.description = latin1;
    }
}

// A .pic drawing may describe itself; the picture line's own description wins.
static void TakeDrawingDescription(Parser& p, PictureSource& picture) {
    if (!picture.description.empty()) return;
    std::string utf8;
    if (!ReadPicDescriptionFile(picture.path, &utf8) || utf8.empty()) return;
    std::string latin1;
    Diagnostics quiet;
    quiet.echo = nullptr;
    if (Utf8LineToLatin1(utf8, picture.pos.line, quiet, latin1)) {
        picture.description = latin1;
        return;
    }
    ReportWarning(p.diag, picture.pos, "the description in '%s' has a character outside Latin-1; the picture is described as \"picture\"",
                  picture.path.c_str());
}

static void ParsePicture(Parser& p, PictureSource& picture, LineCursor& c) {
    long id = 0;
    SkipBlanks(c);
    if (!ReadNumberValue(c, p.diag, "the bitmap resource id", 0, 65535, id)) return;
    picture.bitmapId = static_cast<uint16_t>(id);
    if (!ReadPicturePath(p, c, picture.path)) return;
    ReadPictureSize(picture.path, picture.width, picture.height);
    ReadPictureOptions(p, picture, c);
    TakeDrawingDescription(p, picture);
}

static bool IsResourceNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           c == '_' || c == '-';
}

static void ParseSound(Parser& p, SoundSource& sound, LineCursor& c) {
    SkipBlanks(c);
    SourcePos pos = PosOf(c);
    sound.name = ReadToken(c, false);
    if (sound.name.empty()) {
        ReportError(p.diag, pos, "expected the sound's resource name");
        return;
    }
    for (size_t i = 0; i < sound.name.size(); i++) {
        if (IsResourceNameChar(sound.name[i])) continue;
        ReportError(p.diag, {pos.line, pos.column + static_cast<int>(i)},
                    "a sound's resource name may hold only letters, digits, '_' and '-'");
        return;
    }
    ReadArtworkPath(p, c, "sound", sound.path);
}

// ============================================================================
// [SECTION] Variables
// ============================================================================

// Reads "key=" at the cursor; returns false (reported) when there is no '='.
static bool ReadOptionKey(Parser& p, LineCursor& c, std::string& key, SourcePos& pos) {
    pos = PosOf(c);
    size_t start = c.at;
    while (!AtEnd(c) && Peek(c) != '=' && !IsBlank(Peek(c))) c.at++;
    key = c.text.substr(start, c.at - start);
    if (Peek(c) == '=') {
        c.at++;
        return true;
    }
    ReportError(p.diag, pos, "expected an option written as name=value, found '%s'", key.c_str());
    return false;
}

struct VariableOptions {
    SourcePos limitPos, minPos, itemsPos;
    long limit = 0;
    bool itemsGiven = false;
};

// items="a" | "b" for text choices, items=14 | 15 for picture choices; to line end.
static bool ParseItems(Parser& p, VariableSource& v, LineCursor& c) {
    for (;;) {
        SkipBlanks(c);
        if (v.kind == kKindTextChoices) {
            if (Peek(c) != '"') {
                ReportError(p.diag, PosOf(c), "the items of a text variable are texts in double quotes");
                return false;
            }
            std::string item;
            if (!ReadQuotedItem(c, p.diag, item)) return false;
            v.textItems.push_back(item);
        } else {
            long number = 0;
            if (!ReadNumberValue(c, p.diag, "picture item", 0, kPictures - 1, number)) return false;
            v.pictureItems.push_back(static_cast<int16_t>(number));
        }
        SkipBlanks(c);
        if (AtEnd(c)) return true;
        if (Peek(c) != '|') {
            ReportError(p.diag, PosOf(c), "expected '|' between two items");
            return false;
        }
        c.at++;
    }
}

static bool ParseVariableOption(Parser& p, VariableSource& v, VariableOptions& o,
                                LineCursor& c) {
    std::string key;
    SourcePos pos;
    if (!ReadOptionKey(p, c, key, pos)) return false;
    long value = 0;
    bool number = v.kind == kKindNumber;
    if (key == "limit") {
        if (!FirstTime(p, o.limitPos, pos, "limit=")) return false;
        if (!ReadNumberValue(c, p.diag, "limit=", number ? -32768 : 0, number ? 32767 : 256, value)) return false;
        o.limit = value;
    } else if (key == "min") {
        if (!FirstTime(p, o.minPos, pos, "min=")) return false;
        if (!ReadNumberValue(c, p.diag, "min=", number ? -32768 : 0, number ? 32767 : 255, value)) return false;
        v.minimum = static_cast<int16_t>(value);
    } else if (key == "inventory") {
        if (!FirstTime(p, v.inventoryPos, pos, "inventory=")) return false;
        if (ReadNameValue(c, v.inventoryName)) return true;
        if (!ReadNumberValue(c, p.diag, "inventory=", 0, kParagraphRows - 1, value)) return false;
        v.inventoryParagraph = static_cast<int16_t>(value);
    } else if (key == "items") {
        o.itemsPos = pos;
        if (number) {
            ReportError(p.diag, pos, "a number variable has no items");
            return false;
        }
        return o.itemsGiven = ParseItems(p, v, c);
    } else {
        ReportError(p.diag, pos, "unknown option '%s' (a variable takes limit=, min=, inventory= and items=)", key.c_str());
        return false;
    }
    return true;
}

// The limit of a choice variable is its number of items; a number's defaults to the
// largest 16-bit value so that an unbounded counter needs no option.
static void SettleLimit(Parser& p, VariableSource& v, const VariableOptions& o) {
    if (v.kind == kKindNumber) {
        v.limit = static_cast<int16_t>(o.limitPos.line != 0 ? o.limit : 32767);
        return;
    }
    long items = static_cast<long>(v.kind == kKindTextChoices ? v.textItems.size() : v.pictureItems.size());
    if (o.limitPos.line != 0 && o.limit != items) {
        ReportError(p.diag, o.limitPos, "limit=%ld but %ld item%s listed; a choice variable's limit is its number of items",
                    o.limit, items, items == 1 ? " is" : "s are");
        return;
    }
    if (items > 256) {
        ReportError(p.diag, o.itemsPos, "%ld items are more than a choice index can tell apart (256)", items);
        return;
    }
    v.limit = static_cast<int16_t>(items);
}

static bool ReadVariableKind(Parser& p, VariableSource& v, LineCursor& c) {
    SkipBlanks(c);
    SourcePos pos = PosOf(c);
    std::string kind = ReadToken(c, false);
    if (kind == "text") v.kind = kKindTextChoices;
    else if (kind == "number") v.kind = kKindNumber;
    else if (kind == "picture") v.kind = kKindPictureChoices;
    else {
        ReportError(p.diag, pos, "expected the variable's kind: text, number or picture; found '%s'", kind.c_str());
        return false;
    }
    return true;
}

static void ParseVariable(Parser& p, VariableSource& v, LineCursor& c) {
    SkipBlanks(c);
    if (Peek(c) != '"') {
        ReportError(p.diag, PosOf(c), "expected the variable's name in double quotes");
        return;
    }
    if (!ReadQuotedItem(c, p.diag, v.name) || !ReadVariableKind(p, v, c)) return;
    VariableOptions options;
    for (SkipBlanks(c); !AtEnd(c); SkipBlanks(c))
        if (!ParseVariableOption(p, v, options, c)) return;
    SettleLimit(p, v, options);
}

// ============================================================================
// [SECTION] Restart points and paragraph bodies
// ============================================================================

static void ParseRestart(Parser& p, RestartSource& r, LineCursor& c) {
    SourcePos labelPos, paragraphPos;
    for (SkipBlanks(c); !AtEnd(c); SkipBlanks(c)) {
        std::string key;
        SourcePos pos;
        if (!ReadOptionKey(p, c, key, pos)) return;
        long value = 0;
        if (key == "label") {
            if (!FirstTime(p, labelPos, pos, "label=")) return;
            if (Peek(c) != '"') {
                ReportError(p.diag, PosOf(c), "label= needs a text in double quotes");
                return;
            }
            if (!ReadQuotedItem(c, p.diag, r.label)) return;
        } else if (key == "paragraph") {
            if (!FirstTime(p, paragraphPos, pos, "paragraph=")) return;
            r.paragraphPos = pos;
            r.paragraphGiven = true;
            if (ReadNameValue(c, r.paragraphName)) continue;
            if (!ReadNumberValue(c, p.diag, "paragraph=", 0, kParagraphRows - 1, value)) return;
            r.paragraph = static_cast<int16_t>(value);
        } else {
            ReportError(p.diag, pos, "unknown option '%s' (a restart point takes label= and paragraph=)", key.c_str());
            return;
        }
    }
}

// Adds the words of one body line, split at blanks.
static void AddBodyWords(ParagraphSource& paragraph, const std::string& line, int lineNumber,
                         size_t from) {
    size_t i = from;
    for (;;) {
        while (i < line.size() && IsBlank(line[i])) i++;
        if (i >= line.size()) return;
        size_t start = i;
        while (i < line.size() && !IsBlank(line[i])) i++;
        paragraph.words.push_back({line.substr(start, i - start), {lineNumber, static_cast<int>(start) + 1}});
    }
}

// ============================================================================
// [SECTION] Numbered declarations: the row a number names, then its kind
// ============================================================================

// Row number, range and repetition shared by all numbered declarations: the rows
// of `table` from `low` to its last. Returns the row, or -1 (reported).
template <typename Row, size_t Rows>
static int CheckedRow(Parser& p, const DeclarationHead& head, int low, const std::array<Row, Rows>& table) {
    long number = 0;
    int high = static_cast<int>(Rows) - 1;
    ParseWholeNumber(head.number, number);
    if (number < low || number > high) {
        ReportError(p.diag, head.numberPos, "%s number %ld is out of range (%d to %d)",
                    head.keyword.c_str(), number, low, high);
        return -1;
    }
    int row = static_cast<int>(number);
    if (table[row].declared) {
        ReportError(p.diag, head.numberPos, "%s %d is declared twice; the first is on line %d",
                    head.keyword.c_str(), row, table[row].pos.line);
        return -1;
    }
    return row;
}

static void ParseNumbered(Parser& p, const DeclarationHead& head, LineCursor& c) {
    SourcePos here = {c.line, 1};
    int row = -1;
    if (head.keyword == "paragraph") {
        p.inBody = true;
        p.paragraph = nullptr;
        if ((row = CheckedRow(p, head, 1, p.book.paragraphs)) < 0) return;
        p.paragraph = &p.book.paragraphs[row];
        *p.paragraph = {true, here, {}, head.name, head.namePos};
        AddBodyWords(*p.paragraph, c.text, c.line, c.at);
    } else if (head.keyword == "variable") {
        if ((row = CheckedRow(p, head, 0, p.book.variables)) < 0) return;
        p.book.variables[row].declared = true;
        p.book.variables[row].pos = here;
        ParseVariable(p, p.book.variables[row], c);
    } else if (head.keyword == "restart") {
        if ((row = CheckedRow(p, head, 0, p.book.restarts)) < 0) return;
        p.book.restarts[row] = {true, here, {}, false, kDefaultRestartReference, {}, {}};
        ParseRestart(p, p.book.restarts[row], c);
    } else if (head.keyword == "picture") {
        if ((row = CheckedRow(p, head, 0, p.book.pictures)) < 0) return;
        p.book.pictures[row].declared = true;
        p.book.pictures[row].pos = here;
        ParsePicture(p, p.book.pictures[row], c);
    } else {
        if ((row = CheckedRow(p, head, 0, p.book.sounds)) < 0) return;
        p.book.sounds[row].declared = true;
        p.book.sounds[row].pos = here;
        ParseSound(p, p.book.sounds[row], c);
    }
}

// ============================================================================
// [SECTION] Lines and whole sources
// ============================================================================

static bool IsBlankLine(const std::string& line) {
    for (char ch : line)
        if (!IsBlank(ch)) return false;
    return true;
}

static void ParseLine(Parser& p, const std::string& line, int lineNumber) {
    DeclarationHead head = ParseHead(line, lineNumber);
    LineCursor c = {line, head.rest, lineNumber};
    if (IsKnown(head)) {
        p.inBody = false;
        if (head.form == HeadForm::Field) ParseField(p, head, c);
        else ParseNumbered(p, head, c);
        return;
    }
    // In a body only "word N:" is taken for a misspelt declaration: "word:" may be text.
    bool misspelt = head.form == HeadForm::Numbered || (head.form == HeadForm::Field && !p.inBody);
    if (misspelt) {
        ReportError(p.diag, {lineNumber, 1}, "unknown declaration '%s'", head.keyword.c_str());
        p.inBody = false;
    } else if (p.inBody) {
        if (p.paragraph != nullptr) AddBodyWords(*p.paragraph, line, lineNumber, 0);
    } else if (!IsBlankLine(line)) {
        size_t first = line.find_first_not_of(" \t");
        ReportError(p.diag, {lineNumber, static_cast<int>(first) + 1},
                    "expected a declaration such as 'paragraph 2:' or 'title: ...'");
    }
}

bool ReadBookText(const std::string& text, const std::string& path, Diagnostics& diag,
                  BookModel& book) {
    int errorsBefore = diag.errors;
    book.sourcePath = path;
    Parser p = {book, diag, std::filesystem::path(path).parent_path()};
    std::istringstream lines(text);
    std::string raw, latin1;
    for (int lineNumber = 1; std::getline(lines, raw); lineNumber++) {
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        if (lineNumber == 1 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) raw.erase(0, 3);
        if (!raw.empty() && raw[0] == '#') continue;
        if (NamesAFile(raw)) {
            if (ReadUtf8Line(raw, lineNumber, diag, nullptr)) ParseLine(p, raw, lineNumber);
            continue;
        }
        if (!Utf8LineToLatin1(raw, lineNumber, diag, latin1)) continue;
        ParseLine(p, latin1, lineNumber);
    }
    return diag.errors == errorsBefore;
}

bool ReadBookSource(const std::string& path, Diagnostics& diag, BookModel& book) {
    std::string text;
    char why[kToolReasonBytes];
    if (!ReadToolInput(path.c_str(), kToolFileLimit, &text, why, sizeof why)) {
        ReportToolError(diag, "%s", why);
        return false;
    }
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
        ReportToolError(diag, "the book file '%s' is empty", path.c_str());
        return false;
    }
    return ReadBookText(text, path, diag, book);
}
