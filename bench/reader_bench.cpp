// Page turns and scroll steps of the reader on the headless backend, against the
// built-in book: navigation, rebuild (assembly, scan, controls), layout and painting.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>

#include "book/book_tables.h"
#include "page/geometry.h"
#include "shell/main_window.h"
#include "shell/navigation.h"
#include "platform/headless.h"
#include "shell/startup.h"

namespace {

int WordsOf(int paragraph) {
    const ParagraphEntry& row = ParagraphRow(paragraph);
    return row.pool < 0 ? -1 : row.endWord - row.firstWord;
}

int LongestParagraph() {
    int longest = 2;
    for (int p = 2; p <= kParagraphRows; ++p)
        if (WordsOf(p) > WordsOf(longest)) longest = p;
    return longest;
}

// The paragraph whose word count is the median of the book's paragraphs.
int MedianParagraph() {
    int counts[kParagraphRows + 1];
    int n = 0;
    for (int p = 2; p <= kParagraphRows; ++p)
        if (WordsOf(p) >= 0) counts[n++] = WordsOf(p);
    std::sort(counts, counts + n);
    for (int p = 2; p <= kParagraphRows; ++p)
        if (WordsOf(p) == counts[n / 2]) return p;
    return 2;
}

void StartOnce() {
    static bool started = false;
    if (started) return;
    started = true;
    char folder[] = "/tmp/qh-bench-XXXXXX";
    if (!mkdtemp(folder)) std::abort();
    setenv("XDG_DATA_HOME", folder, 1);
    UseBook(CompiledBook());
    HeadlessStart();
    if (!StartReader(SW_SHOW)) std::abort();
    SkipSplashes();
}

void TurnTo(int paragraph) {
    NavigateTo(int16_t(paragraph), kNavigateStory);
    HeadlessRun();
}

void PageTurn(benchmark::State& state, int paragraph) {
    StartOnce();
    for (auto _ : state) TurnTo(paragraph);
    state.SetLabel("paragraph " + std::to_string(paragraph) + ", " + std::to_string(WordsOf(paragraph)) + " words");
}

void BM_PageTurnLongest(benchmark::State& state) {
    StartOnce();
    PageTurn(state, LongestParagraph());
}

void BM_PageTurnMedian(benchmark::State& state) {
    StartOnce();
    PageTurn(state, MedianParagraph());
}

void BM_PageTurnInformation(benchmark::State& state) { PageTurn(state, 6); }

// One line down on the longest page: the strip paint; back to the top when at the end.
void BM_ScrollStep(benchmark::State& state) {
    StartOnce();
    TurnTo(LongestParagraph());
    for (auto _ : state) {
        int32_t before = Frame().scrollOffset;
        HandleScroll(Frame().window, SB_LINEDOWN);
        if (Frame().scrollOffset == before) {
            state.PauseTiming();
            HandleScroll(Frame().window, SB_TOP);
            state.ResumeTiming();
        }
    }
}

}  // namespace

BENCHMARK(BM_PageTurnLongest);
BENCHMARK(BM_PageTurnMedian);
BENCHMARK(BM_PageTurnInformation);
BENCHMARK(BM_ScrollStep);
BENCHMARK_MAIN();
