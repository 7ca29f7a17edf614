// Paragraph assembly and the markup scanner, with the scanning state that the
// commands share: word buffer, command buffer and argument cursor, title mode and
// the block-control values.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kParagraphTextSize = 2288;
constexpr int kWordBufferSize = 300;
constexpr int kCommandBufferSize = 400;

enum class ScannerState : uint8_t { Word, Command, Skip, BetweenWords, ExpectBlock };

struct ScanningState {
    char paragraphText[kParagraphTextSize];
    int16_t position;               // next character of the text to look at
    ScannerState state;
    char wordBuffer[kWordBufferSize];
    int16_t wordLength;
    char commandBuffer[kCommandBufferSize];
    int16_t commandLength;
    int16_t cursor;                 // the argument cursor while a command runs
    bool titleMode;
    uint8_t lastCommandResult;
    bool expectsBlock;
    int16_t skipCount;
    uint8_t lastConditionResult;
    // The limit messages are shown once each time a buffer fills, not for every
    // character that no longer fits.
    bool wordOverflowShown;
    bool commandOverflowShown;
    int16_t commandStart;           // where the current command's "<" stands
};

// Owned by markup/scanner.cpp: read it here, change it through the operations below.
const ScanningState& Scan();
// Everything as before the first scan: empty buffers, no title, no pending block.
void ClearScanningState();

// For the commands: the argument cursor, the title mode, the block that a command
// expects after it, and the result of the last condition of an if / else chain.
void SetArgumentCursor(int16_t cursor);
void SetTitleMode(bool on);
void SetExpectsBlock(bool expects);
void SetLastConditionResult(uint8_t result);
// Puts a command's text (without its angle brackets) in the command buffer, cut to
// the buffer, as the scanner does before it runs one: for tests and fuzzers.
void LoadCommand(const char* text);

// Joins the paragraph's words, each followed by one blank, into buffer (kParagraphTextSize
// bytes), cut at its end with a message. A paragraph that does not exist leaves the
// buffer as it was and says so.
void AssembleParagraph(int16_t paragraph, char* buffer);
// The paragraph text that the next scan reads: the paragraph's words, or a given text
// (cut to the buffer; tests and fuzzers). The text stays until it is replaced.
void LoadParagraph(int16_t paragraph);
void LoadParagraphText(const char* text, size_t length);
// Scans the paragraph text as it stands: a page whose row is empty scans what the last
// page left there.
void ScanParagraph();
void FlushWordBuffer();
void FlushLongRun();
void FlushTitle();

// For commands a, l and u: appends to the word buffer, cut at its limit (with the
// scanner's message), and keeps the word length equal to the string length.
void AppendToWordBuffer(const char* text);
