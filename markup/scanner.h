// Paragraph assembly and the markup scanner, with the scanning state that the
// commands share: word buffer, command buffer and argument cursor, title mode and
// the block-control values.
#pragma once

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
// The paragraph text buffer, for the page-source selection and AssembleParagraph.
char* ParagraphText();

void AssembleParagraph(int16_t paragraph, char* buffer);
void ScanMarkup(const char* text);
void FlushWordBuffer();
void FlushLongRun();
void FlushTitle();

// For commands a, l and u: appends to the word buffer, cut at its limit (with the
// scanner's message), and keeps the word length equal to the string length.
void AppendToWordBuffer(const char* text);
