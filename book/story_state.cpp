// Story variables and restart points: reading, assigning, clamping and displaying a
// variable, resetting the story, saving and restoring restart points, and the random
// source. Numbers that name no row are ignored here, so no caller can reach outside
// the tables; the markup reports them before it gets this far.
#include "book/story_state.h"

#include <cstdio>
#include <cstring>

#include "book/book_tables.h"
#include "book/reader_place.h"
#include "platform/win32.h"

// What the story state keeps for the run besides the book's tables: the random source
// and the text of the last number shown.
struct StoryRun {
    uint32_t randomState;
    bool randomSeeded;
    char numberText[8];   // " -32768" and its NUL
};
static StoryRun storyRun = {};

void ClearStoryRun() { storyRun = {}; }

bool IsStoryVariable(int variable) { return variable >= 0 && variable < kStoryVariables; }

bool IsRestartPoint(int restart) { return restart >= 0 && restart < kRestartPoints; }

// ============================================================================
// Values and flags
// ============================================================================

int VariableValue(int variable) {
    if (!IsStoryVariable(variable)) return 0;
    const StoryVariable& v = Book().variables[variable];
    if (v.kind == kKindNumber) return int16_t(uint16_t(v.state[0] | v.state[1] << 8));
    return v.state[1];
}

void SetVariableValue(int variable, int value) {
    if (!IsStoryVariable(variable)) return;
    StoryVariable& v = Book().variables[variable];
    if (v.kind == kKindNumber) {
        v.state[0] = uint8_t(value & 0xFF);
        v.state[1] = uint8_t((value >> 8) & 0xFF);
    } else {
        v.state[1] = uint8_t(value & 0xFF);
    }
}

int ClampToRange(int variable, int value) {
    if (!IsStoryVariable(variable)) return value;
    const StoryVariable& v = Book().variables[variable];
    if (value > v.limit - 1) value = v.limit - 1;
    if (value < v.minimum) value = v.minimum;
    return value;
}

uint8_t OwnedFlag(int variable) {
    return IsStoryVariable(variable) ? Book().variables[variable].state[0] : 0;
}

void SetOwnedFlag(int variable, uint8_t flag) {
    if (IsStoryVariable(variable)) Book().variables[variable].state[0] = flag;
}

// ============================================================================
// Display
// ============================================================================

// The choice index is checked against the item list: a save file from another book
// could hold any index, and an item past the list's end must never be read.
VariableShown VariableDisplay(int variable) {
    VariableShown shown = {ShownAs::Nothing, nullptr, 0};
    if (!IsStoryVariable(variable)) return shown;
    const StoryVariable& v = Book().variables[variable];
    int index = v.state[1];
    if (v.kind == kKindNumber) {
        std::snprintf(storyRun.numberText, sizeof storyRun.numberText, " %d", VariableValue(variable));
        shown = {ShownAs::Text, storyRun.numberText, 0};
    } else if (v.kind == kKindTextChoices && v.textItems && index < v.limit) {
        shown = {ShownAs::Text, v.textItems[index], 0};
    } else if (v.kind == kKindPictureChoices && v.pictureItems && index < v.limit) {
        shown = {ShownAs::Picture, nullptr, v.pictureItems[index]};
    }
    return shown;
}

// ============================================================================
// The story and its restart points
// ============================================================================

void ResetStory() {
    for (int k = 0; k < kStoryVariables; ++k) {
        Book().variables[k].state[0] = 0;
        Book().variables[k].state[1] = 0;
    }
    for (int r = 0; r < kRestartPoints; ++r) Book().restartPoints[r].used = 0;
}

void CaptureStoryState(StoryStateImage* image) {
    for (int k = 0; k < kStoryVariables; ++k)
        std::memcpy(image->variableStates[k], Book().variables[k].state, 2);
    std::memcpy(image->snapshots, Book().snapshots, sizeof image->snapshots);
    for (int r = 0; r < kRestartPoints; ++r) image->usedFlags[r] = Book().restartPoints[r].used;
}

void RestoreStoryState(const StoryStateImage& image) {
    for (int k = 0; k < kStoryVariables; ++k)
        std::memcpy(Book().variables[k].state, image.variableStates[k], 2);
    std::memcpy(Book().snapshots, image.snapshots, sizeof image.snapshots);
    for (int r = 0; r < kRestartPoints; ++r) Book().restartPoints[r].used = image.usedFlags[r];
}

void SaveRestartPoint(int restart) {
    if (!IsRestartPoint(restart)) return;
    Book().restartPoints[restart].used = 1;
    Book().restartPoints[restart].paragraph = int16_t(Place().displayedParagraph - 1);
    uint8_t* snapshot = Book().snapshots[restart];
    for (int k = 0; k < kStoryVariables; ++k) {
        snapshot[2 * k] = Book().variables[k].state[0];
        snapshot[2 * k + 1] = Book().variables[k].state[1];
    }
}

int RestoreRestartPoint(int restart) {
    if (!IsRestartPoint(restart)) return 0;
    const uint8_t* snapshot = Book().snapshots[restart];
    for (int k = 0; k < kStoryVariables; ++k) {
        Book().variables[k].state[0] = snapshot[2 * k];
        Book().variables[k].state[1] = snapshot[2 * k + 1];
    }
    return Book().restartPoints[restart].paragraph + 1;
}

// ============================================================================
// Random numbers
// ============================================================================

// The classic linear congruential generator: fixed arithmetic, so a seeded reading
// draws the same numbers on every machine.
void SeedRandom(uint32_t seed) {
    storyRun.randomState = seed;
    storyRun.randomSeeded = true;
}

int RandomNumber() {
    if (!storyRun.randomSeeded) SeedRandom(GetTickCount() / 60u);
    storyRun.randomState = storyRun.randomState * 1103515245u + 12345u;
    return int((storyRun.randomState / 65536u) % 32768u);
}
