// The browser's history as the reader's own: each story page turn is an entry, and the
// Back button does what the book's previous arrow does where the page has one, and
// otherwise nothing, so a reader never leaves the book by accident.
#pragma once

// A new reader is on screen (start-up, after a script): its place is where it begins.
void ForgetStoryTurns();
// After every frame: a new story position becomes a history entry.
void FollowStoryTurns();
// In the reader's loop: a press of Back, if one came, is answered.
void AnswerBack();
