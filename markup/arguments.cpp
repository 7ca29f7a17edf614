// Argument readers of the command set. The cursor is the scanning state's argument
// cursor; it is kept inside the command buffer, so a command that ends early can
// never send a reader past the buffer.
#include "markup/arguments.h"

#include "book/book_tables.h"
#include "markup/scanner.h"
#include "book/error_message.h"

char CurrentCharacter() {
    int cursor = Scan().cursor;
    if (cursor < 0 || cursor >= kCommandBufferSize) return 0;
    return Scan().commandBuffer[cursor];
}

char NextCharacter() {
    if (AtCommandEnd() || Scan().cursor + 1 >= kCommandBufferSize) return 0;
    return Scan().commandBuffer[Scan().cursor + 1];
}

bool AtCommandEnd() { return CurrentCharacter() == 0; }

void StepOver() {
    if (!AtCommandEnd()) SetArgumentCursor(int16_t(Scan().cursor + 1));
}

void StepOverIf(char c) {
    if (CurrentCharacter() == c) StepOver();
}

void SkipOptionalSpace() { StepOverIf(' '); }

void SkipPast(char mark) {
    while (!AtCommandEnd()) {
        char c = CurrentCharacter();
        StepOver();
        if (c == mark) return;
    }
}

static bool IsNumberCharacter(char c) { return (c >= '0' && c <= '9') || c == '+' || c == '-'; }

int16_t ReadNumber() {
    uint16_t value = 0;
    bool negative = false;
    for (char c = CurrentCharacter(); IsNumberCharacter(c); c = CurrentCharacter()) {
        if (c == '-') negative = true;
        else if (c != '+') value = uint16_t(value * 10 + (c - '0'));
        StepOver();
    }
    return negative ? int16_t(-value) : int16_t(value);
}

// ============================================================================
// Table numbers
// ============================================================================

static bool Require(bool inRange, const char* format, int number) {
    if (!inRange) ShowErrorMessage(format, number);
    return inRange;
}

bool RequireVariable(int variable) {
    return Require(variable >= 0 && variable < kStoryVariables,
                   "Story variable %d does not exist", variable);
}

bool RequireRestartPoint(int restart) {
    return Require(restart >= 0 && restart < kRestartPoints,
                   "Restart point %d does not exist", restart);
}

bool RequirePicture(int picture) {
    return Require(picture >= 0 && picture < kPictures, "Picture %d does not exist", picture);
}

bool RequireSound(int sound) {
    return Require(sound >= 0 && sound < kSounds, "Sound %d does not exist", sound);
}
