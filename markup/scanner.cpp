// Paragraph assembly and the markup scanner: joins a paragraph's words into the
// paragraph text buffer, then walks it once, handing text runs and titles to the page
// item list and commands to the command set, rendering or skipping blocks.
#include "markup/scanner.h"

#include <cstring>

#include "book/book_tables.h"
#include "markup/commands.h"
#include "page/page_items.h"
#include "shell/error_message.h"

ScanningState gScan = {};

// The limit messages are shown once each time a buffer fills, not for every
// character that no longer fits.
static bool wordOverflowShown = false;
static bool commandOverflowShown = false;

// ---------------------------------------------------------------------------
// Paragraph assembly
// ---------------------------------------------------------------------------

// Appends as much of `text` as fits before the buffer's last byte; returns the new length.
static int AppendCut(char* buffer, int length, const char* text, int size) {
    int room = size - 1 - length;
    int count = int(std::strlen(text));
    if (count > room) count = room;
    std::memcpy(buffer + length, text, size_t(count));
    buffer[length + count] = 0;
    return length + count;
}

void AssembleParagraph(int16_t paragraph, char* buffer) {
    const ParagraphEntry* row =
        paragraph >= 1 && paragraph <= kParagraphRows ? &ParagraphRow(paragraph) : nullptr;
    if (!row || row->pool < 0 || row->pool >= gBook->poolCount) {
        ShowErrorMessage("Paragraph %d does not exist", paragraph);
        return;
    }
    const WordPool& pool = gBook->pools[row->pool];
    int32_t end = row->endWord < pool.wordCount ? row->endWord : pool.wordCount;
    int length = 0;
    buffer[0] = 0;
    for (int32_t word = row->firstWord; word < end; ++word) {
        const char* text = PoolWord(row->pool, word);
        // The text is cut at the buffer's end; the message counts what it would have held.
        int wanted = length + int(std::strlen(text)) + 1;
        length = AppendCut(buffer, length, text, kParagraphTextSize);
        length = AppendCut(buffer, length, " ", kParagraphTextSize);
        if (wanted >= kParagraphTextSize)
            ShowErrorMessage("%d is Too many words", int(row->endWord - row->firstWord));
    }
}

// ---------------------------------------------------------------------------
// The word and command buffers
// ---------------------------------------------------------------------------

static void EmptyWordBuffer() {
    gScan.wordBuffer[0] = 0;
    gScan.wordLength = 0;
    wordOverflowShown = false;
}

static void ReportWordOverflow() {
    if (wordOverflowShown) return;
    wordOverflowShown = true;
    ShowErrorMessage("%d is Too many letters in word", kWordBufferSize);
}

static void AppendWordCharacter(char c) {
    if (gScan.wordLength >= kWordBufferSize - 1) {
        ReportWordOverflow();
        return;
    }
    gScan.wordBuffer[gScan.wordLength++] = c;
    gScan.wordBuffer[gScan.wordLength] = 0;
}

static void AppendCommandCharacter(char c) {
    if (gScan.commandLength >= kCommandBufferSize - 1) {
        if (!commandOverflowShown)
            ShowErrorMessage("%d is Too many letters in command", kCommandBufferSize);
        commandOverflowShown = true;
        return;
    }
    gScan.commandBuffer[gScan.commandLength++] = c;
    gScan.commandBuffer[gScan.commandLength] = 0;
}

void AppendToWordBuffer(const char* text) {
    int before = gScan.wordLength;
    gScan.wordLength = int16_t(AppendCut(gScan.wordBuffer, before, text, kWordBufferSize));
    if (before + int(std::strlen(text)) >= kWordBufferSize) ReportWordOverflow();
}

void FlushWordBuffer() {
    if (gScan.wordBuffer[0]) EmitText(gScan.wordBuffer);
    EmptyWordBuffer();
}

// A long run goes to the page early, at a space, so that the word buffer never has
// to hold more than a line or two of text.
void FlushLongRun() {
    if (std::strlen(gScan.wordBuffer) <= 150) return;
    EmitText(gScan.wordBuffer);
    EmptyWordBuffer();
}

void FlushTitle() {
    EmitTitle(gScan.wordBuffer);
    EmptyWordBuffer();
}

// ---------------------------------------------------------------------------
// The scanner
// ---------------------------------------------------------------------------

static void StartCommand() {
    if (!gScan.titleMode) FlushWordBuffer();
    gScan.commandLength = 0;
    gScan.commandBuffer[0] = 0;
    commandOverflowShown = false;
    gScan.state = ScannerState::Command;
}

static void EndCommand() {
    uint8_t result = ExecuteCommand();
    gScan.lastCommandResult = result;
    if (gScan.expectsBlock) gScan.state = ScannerState::ExpectBlock;
    else gScan.state = result ? ScannerState::BetweenWords : ScannerState::Skip;
}

// A skipped block's skip count passes over that many characters unseen, but never
// past the end of the text.
static void OpenBlock(const char* text) {
    if (gScan.state == ScannerState::ExpectBlock) {
        if (gScan.lastCommandResult) {
            gScan.state = ScannerState::BetweenWords;
        } else {
            gScan.state = ScannerState::Skip;
            for (int k = 0; k < gScan.skipCount && text[gScan.position]; ++k) ++gScan.position;
        }
    }
    gScan.skipCount = 0;
}

static void AddSkipDigit(char c) {
    int count = gScan.skipCount * 10 + (c - '0');
    gScan.skipCount = int16_t(count > kParagraphTextSize ? kParagraphTextSize : count);
}

static void TakeOther(char c) {
    switch (gScan.state) {
    case ScannerState::Word:
        AppendWordCharacter(c);
        if (c == ' ' && !gScan.titleMode) FlushLongRun();
        break;
    case ScannerState::Command:
        AppendCommandCharacter(c);
        break;
    case ScannerState::BetweenWords:
        if (c == ' ') break;
        gScan.state = ScannerState::Word;
        AppendWordCharacter(c);
        break;
    case ScannerState::ExpectBlock:
        if (c >= '0' && c <= '9') AddSkipDigit(c);
        break;
    case ScannerState::Skip:
        break;
    }
}

void ScanMarkup(const char* text) {
    gScan.hotwordCount = 0;
    gScan.lastConditionResult = 1;
    EmptyWordBuffer();
    gScan.position = 0;
    gScan.state = ScannerState::BetweenWords;

    while (text[gScan.position]) {
        char c = text[gScan.position++];
        switch (c) {
        case '<':
            if (gScan.state != ScannerState::Skip) StartCommand();
            break;
        case '>':
            if (gScan.state == ScannerState::Command) EndCommand();
            break;
        case '{':
            OpenBlock(text);
            break;
        case '}':
            gScan.state = ScannerState::BetweenWords;
            break;
        default:
            TakeOther(c);
            break;
        }
    }
}
