// The reader's place: the paragraph on screen, the story position and whether the
// screen shows the story. The shell's navigation changes it; restart points and the
// save file read it here, below the shell.
#pragma once

#include <cstdint>

// Owned by book/reader_place.cpp: read it here, hand in a whole new place to change it.
struct ReaderPlace {
    int16_t displayedParagraph;   // a paragraph number, 2 at start
    int16_t storyPosition;        // a paragraph number, 2 at start
    bool inStory;
};
const ReaderPlace& Place();
void SetPlace(const ReaderPlace& place);
// A fresh start: paragraph 2, in the story.
void ClearPlace();
