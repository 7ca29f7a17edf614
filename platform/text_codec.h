// Text encodings: the one UTF-8 and UTF-16 codec of the program, and the Latin-1 that
// the book's text is stored in, widened to the system's 16-bit characters and back.
// A library of its own without dependencies, so every layer and every tool can link it.
#pragma once

#include <cstddef>

constexpr int kUtf8MaxBytes = 4;             // the longest UTF-8 form of one code point
constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr char32_t kReplacementCharacter = 0xFFFD;

// ============================================================================
// One code point at a time
// ============================================================================

// Decodes the character at the start of text[0 .. length): returns its length in bytes
// and sets *code, or returns 0 (and leaves *code) when the bytes there are no UTF-8: an
// invalid or continuation byte in the lead, a sequence that length cuts short, an
// overlong form, a surrogate or a code point above U+10FFFF. Reads nothing past length.
int DecodeUtf8Char(const char* text, size_t length, char32_t* code);

// Writes code as UTF-8 into out[0 .. size): returns the bytes written, or 0 (nothing
// written) when code is a surrogate, lies above U+10FFFF or does not fit.
int EncodeUtf8Char(char32_t code, char* out, size_t size);

// Decodes the code point at the start of text[0 .. length): returns 1 or 2 units and
// sets *code, or returns 0 for an unpaired surrogate or an empty text. A high surrogate
// followed by a NUL is unpaired, so a terminated string may pass a length of 2.
int DecodeUtf16Char(const char16_t* text, size_t length, char32_t* code);

// Writes code as one unit or a surrogate pair into out[0 .. size): returns the units
// written, or 0 (nothing written) as EncodeUtf8Char does.
int EncodeUtf16Char(char32_t code, char16_t* out, size_t size);

// ============================================================================
// Whole texts into fixed buffers
// ============================================================================

// The NUL-terminated UTF-16 text as UTF-8 in out[0 .. size), always terminated when
// size is at least 1 (nothing is written otherwise). Stops before the first character
// that does not fit or is an unpaired surrogate; true when the whole text was written.
bool Utf16ToUtf8(const char16_t* text, char* out, int size);

// Latin-1: each byte is the character of that code. Widens text up to its NUL or
// length bytes, whichever comes first, into out[0 .. size), as far as it fits; out is
// always terminated when size is at least 1. Returns the characters written.
int WidenLatin1(const char* text, char16_t* out, int size);
int WidenLatin1(const char* text, int length, char16_t* out, int size);

// Narrows length characters of text (stopping early at a NUL) into out[0 .. size),
// terminated as WidenLatin1 terminates. A character above U+00FF keeps its low byte, as
// the reader has always reduced typed answers. Returns the bytes written.
int NarrowLatin1(const char16_t* text, int length, char* out, int size);
