// The reader's place: the paragraph on screen, the story position and whether the
// screen shows the story. The shell's navigation changes it; restart points and the
// save file read it here, below the shell.
#pragma once

#include <cstdint>

// The paragraphs the reader opens by itself: the story's opening, where a fresh start
// and Start again lead, and the menu's side pages. A book without its own paragraph 6
// or 7 gets the reader's built-in inventory or hints page there.
constexpr int16_t kOpeningParagraph = 2;
constexpr int16_t kRestartParagraph = 3;       // Restart: the book's restart buttons
constexpr int16_t kObjectiveParagraph = 4;
constexpr int16_t kCreditsParagraph = 5;
constexpr int16_t kInformationParagraph = 6;   // Information: what the reader carries
constexpr int16_t kHintsParagraph = 7;

// Owned by book/reader_place.cpp: read it here, hand in a whole new place to change it.
struct ReaderPlace {
    int16_t displayedParagraph;   // a paragraph number, the opening at start
    int16_t storyPosition;        // a paragraph number, the opening at start
    bool inStory;
};
const ReaderPlace& Place();
void SetPlace(const ReaderPlace& place);
// A fresh start: the opening paragraph, in the story.
void ClearPlace();
