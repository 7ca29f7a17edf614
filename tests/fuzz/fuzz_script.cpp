// Fuzz target: the qh-play script parser on arbitrary lines, with the text helpers a
// parsed command's text goes through (UTF-8 to UTF-16, the page dump's quoting).
#include <cstddef>
#include <cstdint>
#include <string>

#include "driver/script.h"

// UTF-16 back to UTF-8, for the round trip: a text the parser accepts as UTF-8 must be
// exactly the encoding of what it decoded (no overlong forms, no lone surrogates).
static std::string EncodeUtf8(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

static bool IsSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDFFF; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string line(reinterpret_cast<const char*>(data), size);
    PlayCommand command;
    std::string error;
    bool parsed = ParsePlayLine(line, &command, &error);
    // A refused line always says what is wrong.
    if (!parsed && error.empty()) __builtin_trap();
    std::u16string wide;
    if (Utf8ToUtf16(line, &wide)) {
        if (EncodeUtf8(wide) != line) __builtin_trap();
        for (char16_t c : wide)
            if (IsSurrogate(c)) __builtin_trap();
        QuotedUtf16(wide.c_str(), int(wide.size()));
    }
    QuotedLatin1(line.c_str());
    return 0;
}
