// What one line of page text costs: measuring it the way the layout does (once whole,
// and once per word prefix), and drawing it into the framebuffer, in both weights.
#include <benchmark/benchmark.h>

#include "platform/headless.h"
#include "platform/win32.h"

namespace {

const WCHAR kLine[] = u"The gate is open and the lamps along the quay are lit. ";
constexpr int kLength = sizeof kLine / sizeof kLine[0] - 1;

HFONT PageFont(int weight) {
    LOGFONTW lf;
    GetObjectW(GetStockObject(SYSTEM_FONT), sizeof lf, &lf);
    lf.lfWeight = weight;
    lf.lfHeight = -13;
    return CreateFontIndirectW(&lf);
}

void MeasureLine(benchmark::State& state) {
    HDC hdc = CreateCompatibleDC(nullptr);
    HFONT font = PageFont(int(state.range(0)));
    HGDIOBJ old = SelectObject(hdc, font);
    SIZE size;
    for (auto _ : state) {
        GetTextExtentExPointW(hdc, kLine, kLength, 0, nullptr, nullptr, &size);
        benchmark::DoNotOptimize(size);
    }
    SelectObject(hdc, old);
    DeleteDC(hdc);
    DeleteObject(font);
}

// The layout measures the line again from its start at every space.
void MeasureLineByWordPrefixes(benchmark::State& state) {
    HDC hdc = CreateCompatibleDC(nullptr);
    HFONT font = PageFont(int(state.range(0)));
    HGDIOBJ old = SelectObject(hdc, font);
    SIZE size;
    for (auto _ : state)
        for (int i = 1; i <= kLength; ++i)
            if (kLine[i - 1] == ' ') {
                GetTextExtentExPointW(hdc, kLine, i, 0, nullptr, nullptr, &size);
                benchmark::DoNotOptimize(size);
            }
    SelectObject(hdc, old);
    DeleteDC(hdc);
    DeleteObject(font);
}

void DrawLine(benchmark::State& state) {
    HeadlessStart();
    HDC hdc = GetDC(nullptr);
    HFONT font = PageFont(int(state.range(0)));
    HGDIOBJ old = SelectObject(hdc, font);
    for (auto _ : state) {
        RECT r = {4, 100, 236, 116};
        benchmark::DoNotOptimize(DrawTextW(hdc, kLine, kLength, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX));
    }
    SelectObject(hdc, old);
    ReleaseDC(nullptr, hdc);
    DeleteObject(font);
}

BENCHMARK(MeasureLine)->Arg(FW_LIGHT)->Arg(FW_BOLD);
BENCHMARK(MeasureLineByWordPrefixes)->Arg(FW_LIGHT)->Arg(FW_BOLD);
BENCHMARK(DrawLine)->Arg(FW_LIGHT)->Arg(FW_BOLD);

}  // namespace

BENCHMARK_MAIN();
