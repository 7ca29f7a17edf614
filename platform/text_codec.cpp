// The text codec. Decoding is strict because its input comes from outside (scripts,
// book sources, environment variables, artwork files): a lax decoder lets an overlong
// form smuggle in a NUL or a quote that a later check never sees.
#include "platform/text_codec.h"

#include <climits>

static bool IsSurrogate(char32_t code) { return code >= 0xD800 && code <= 0xDFFF; }
static bool IsCharacter(char32_t code) { return code <= kLastCodePoint && !IsSurrogate(code); }

// ============================================================================
// UTF-8
// ============================================================================

// The length a lead byte announces, 0 for a byte that cannot lead.
static int Utf8Length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead >> 5) == 0x06) return 2;
    if ((lead >> 4) == 0x0E) return 3;
    if ((lead >> 3) == 0x1E) return 4;
    return 0;
}

int DecodeUtf8Char(const char* text, size_t length, char32_t* code) {
    if (length == 0) return 0;
    unsigned char lead = static_cast<unsigned char>(text[0]);
    int count = Utf8Length(lead);
    if (count == 0 || size_t(count) > length) return 0;
    char32_t c = count == 1 ? lead : lead & (0x7Fu >> count);
    for (int i = 1; i < count; ++i) {
        unsigned char next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80) return 0;
        c = (c << 6) | (next & 0x3F);
    }
    static const char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kShortest[count] || !IsCharacter(c)) return 0;
    *code = c;
    return count;
}

int EncodeUtf8Char(char32_t code, char* out, size_t size) {
    if (!IsCharacter(code)) return 0;
    int count = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
    if (size_t(count) > size) return 0;
    static const unsigned char kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
    for (int i = count - 1; i > 0; --i, code >>= 6) out[i] = char(0x80 | (code & 0x3F));
    out[0] = char(count == 1 ? code : kLead[count] | code);
    return count;
}

// ============================================================================
// UTF-16
// ============================================================================

int DecodeUtf16Char(const char16_t* text, size_t length, char32_t* code) {
    if (length == 0) return 0;
    char32_t c = text[0];
    if (!IsSurrogate(c)) {
        *code = c;
        return 1;
    }
    if (c >= 0xDC00 || length < 2 || text[1] < 0xDC00 || text[1] > 0xDFFF) return 0;
    *code = 0x10000 + ((c - 0xD800) << 10) + (text[1] - 0xDC00);
    return 2;
}

int EncodeUtf16Char(char32_t code, char16_t* out, size_t size) {
    if (!IsCharacter(code)) return 0;
    if (code < 0x10000) {
        if (size < 1) return 0;
        out[0] = char16_t(code);
        return 1;
    }
    if (size < 2) return 0;
    code -= 0x10000;
    out[0] = char16_t(0xD800 + (code >> 10));
    out[1] = char16_t(0xDC00 + (code & 0x3FF));
    return 2;
}

bool Utf16ToUtf8(const char16_t* text, char* out, int size) {
    if (size < 1) return false;
    int n = 0;
    bool complete = true;
    for (size_t i = 0; text[i]; ) {
        char32_t c;
        int units = DecodeUtf16Char(text + i, 2, &c);
        int bytes = units ? EncodeUtf8Char(c, out + n, size_t(size - 1 - n)) : 0;
        if (bytes == 0) {
            complete = false;
            break;
        }
        n += bytes;
        i += size_t(units);
    }
    out[n] = 0;
    return complete;
}

// ============================================================================
// Latin-1
// ============================================================================

int WidenLatin1(const char* text, int length, char16_t* out, int size) {
    if (size < 1) return 0;
    int n = 0;
    for (; n < length && n < size - 1 && text[n]; ++n) out[n] = char16_t(static_cast<unsigned char>(text[n]));
    out[n] = 0;
    return n;
}

int WidenLatin1(const char* text, char16_t* out, int size) { return WidenLatin1(text, INT_MAX, out, size); }

int NarrowLatin1(const char16_t* text, int length, char* out, int size) {
    if (size < 1) return 0;
    int n = 0;
    for (; n < length && n < size - 1 && text[n]; ++n) out[n] = char(text[n] & 0xFF);
    out[n] = 0;
    return n;
}
