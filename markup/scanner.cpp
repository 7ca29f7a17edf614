// Paragraph assembly and the markup scanner: joins a paragraph's words into the
// paragraph text buffer, then walks it once, handing text runs and titles to the page
// item list and commands to the command set, rendering or skipping blocks.
#include "markup/scanner.h"

#include <cstring>

#include "book/book_tables.h"
#include "markup/commands.h"
#include "markup/hotwords.h"
#include "markup/markup_hooks.h"
#include "page/page_items.h"
#include "book/error_message.h"

static ScanningState scan = {};

const ScanningState& Scan() { return scan; }

void ClearScanningState() {
    scan = {};
    scan.state = ScannerState::BetweenWords;
    scan.lastConditionResult = 1;
}

void SetArgumentCursor(int16_t cursor) { scan.cursor = cursor; }
void SetTitleMode(bool on) { scan.titleMode = on; }
void SetExpectsBlock(bool expects) { scan.expectsBlock = expects; }
void SetLastConditionResult(uint8_t result) { scan.lastConditionResult = result; }

void LoadCommand(const char* text) {
    int length = int(std::strlen(text));
    if (length > kCommandBufferSize - 1) length = kCommandBufferSize - 1;
    std::memcpy(scan.commandBuffer, text, size_t(length));
    scan.commandBuffer[length] = 0;
    scan.commandLength = int16_t(length);
    scan.cursor = 1;
}

// ============================================================================
// Paragraph assembly
// ============================================================================

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
    if (!row || row->pool < 0 || row->pool >= Book().poolCount) {
        ShowErrorMessage("Paragraph %d does not exist", paragraph);
        return;
    }
    const WordPool& pool = Book().pools[row->pool];
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

void LoadParagraph(int16_t paragraph) { AssembleParagraph(paragraph, scan.paragraphText); }

void LoadParagraphText(const char* text, size_t length) {
    if (length > size_t(kParagraphTextSize - 1)) length = kParagraphTextSize - 1;
    std::memcpy(scan.paragraphText, text, length);
    scan.paragraphText[length] = 0;
}

// ============================================================================
// The word and command buffers
// ============================================================================

static void EmptyWordBuffer() {
    scan.wordBuffer[0] = 0;
    scan.wordLength = 0;
    scan.wordOverflowShown = false;
}

static void ReportWordOverflow() {
    if (scan.wordOverflowShown) return;
    scan.wordOverflowShown = true;
    ShowErrorMessage("%d is Too many letters in word", kWordBufferSize);
}

static void AppendWordCharacter(char c) {
    if (scan.wordLength >= kWordBufferSize - 1) {
        ReportWordOverflow();
        return;
    }
    scan.wordBuffer[scan.wordLength++] = c;
    scan.wordBuffer[scan.wordLength] = 0;
}

static void AppendCommandCharacter(char c) {
    if (scan.commandLength >= kCommandBufferSize - 1) {
        if (!scan.commandOverflowShown)
            ShowErrorMessage("%d is Too many letters in command", kCommandBufferSize);
        scan.commandOverflowShown = true;
        return;
    }
    scan.commandBuffer[scan.commandLength++] = c;
    scan.commandBuffer[scan.commandLength] = 0;
}

void AppendToWordBuffer(const char* text) {
    int before = scan.wordLength;
    scan.wordLength = int16_t(AppendCut(scan.wordBuffer, before, text, kWordBufferSize));
    if (before + int(std::strlen(text)) >= kWordBufferSize) ReportWordOverflow();
}

void FlushWordBuffer() {
    if (scan.wordBuffer[0]) EmitText(scan.wordBuffer);
    EmptyWordBuffer();
}

// A long run goes to the page early, at a space, so that the word buffer never has
// to hold more than a line or two of text.
void FlushLongRun() {
    if (std::strlen(scan.wordBuffer) <= 150) return;
    EmitText(scan.wordBuffer);
    EmptyWordBuffer();
}

void FlushTitle() {
    EmitTitle(scan.wordBuffer);
    EmptyWordBuffer();
}

// ============================================================================
// The scanner
// ============================================================================

static void StartCommand() {
    if (!scan.titleMode) FlushWordBuffer();
    scan.commandLength = 0;
    scan.commandBuffer[0] = 0;
    scan.commandOverflowShown = false;
    scan.commandStart = int16_t(scan.position - 1);
    scan.state = ScannerState::Command;
}

static void EndCommand() {
    uint8_t result = ExecuteCommand();
    scan.lastCommandResult = result;
    if (scan.expectsBlock) scan.state = ScannerState::ExpectBlock;
    else scan.state = result ? ScannerState::BetweenWords : ScannerState::Skip;
}

// A skipped block's skip count passes over that many characters unseen, but never
// past the end of the text.
static void OpenBlock(const char* text) {
    if (scan.state == ScannerState::ExpectBlock) {
        if (BlockDecidedHook hook = BlockDecided()) hook(scan.commandStart, scan.lastCommandResult != 0);
        if (scan.lastCommandResult) {
            scan.state = ScannerState::BetweenWords;
        } else {
            scan.state = ScannerState::Skip;
            for (int k = 0; k < scan.skipCount && text[scan.position]; ++k) ++scan.position;
        }
    }
    scan.skipCount = 0;
}

static void AddSkipDigit(char c) {
    int count = scan.skipCount * 10 + (c - '0');
    scan.skipCount = int16_t(count > kParagraphTextSize ? kParagraphTextSize : count);
}

static void TakeOther(char c) {
    switch (scan.state) {
    case ScannerState::Word:
        AppendWordCharacter(c);
        if (c == ' ' && !scan.titleMode) FlushLongRun();
        break;
    case ScannerState::Command:
        AppendCommandCharacter(c);
        break;
    case ScannerState::BetweenWords:
        if (c == ' ') break;
        scan.state = ScannerState::Word;
        AppendWordCharacter(c);
        break;
    case ScannerState::ExpectBlock:
        if (c >= '0' && c <= '9') AddSkipDigit(c);
        break;
    case ScannerState::Skip:
        break;
    }
}

static void ScanMarkup(const char* text) {
    ClearHotwords();
    scan.lastConditionResult = 1;
    EmptyWordBuffer();
    scan.position = 0;
    scan.state = ScannerState::BetweenWords;

    while (text[scan.position]) {
        char c = text[scan.position++];
        switch (c) {
        case '<':
            if (scan.state != ScannerState::Skip) StartCommand();
            break;
        case '>':
            if (scan.state == ScannerState::Command) EndCommand();
            break;
        case '{':
            OpenBlock(text);
            break;
        case '}':
            scan.state = ScannerState::BetweenWords;
            break;
        default:
            TakeOther(c);
            break;
        }
    }
}

void ScanParagraph() { ScanMarkup(scan.paragraphText); }
