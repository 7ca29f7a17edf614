// What the markup asks of the reader above it: a hotword's navigation, which only the
// shell knows how to carry out. The shell connects it at start-up; until then it does
// nothing, so the interpreter also runs on its own (tests, fuzzers).
#pragma once

#include <cstdint>

constexpr int kNavigateKeep = 0;      // a hotword's navigation modes
constexpr int kNavigateStory = 1;
constexpr int kNavigateSide = 2;

struct MarkupHooks {
    void (*navigateTo)(int16_t paragraph, int mode);   // paragraph number, kNavigate...
};
void ConnectMarkup(const MarkupHooks& hooks);

void MarkupNavigateTo(int16_t paragraph, int mode);

// For an author's coverage report (qh-play explore --coverage): called when a block
// command's "{" decides its block, with the text index of that command's "<" and
// whether the block is rendered. A plain pointer the tool sets; unset, it costs a test.
using BlockDecidedHook = void (*)(int16_t commandStart, bool rendered);
void SetBlockDecidedHook(BlockDecidedHook hook);
BlockDecidedHook BlockDecided();
