// Fuzz target: the markup scanner with the whole command set on arbitrary paragraph
// text, against the test book's variables, pictures and restart points. Each input is
// one page: cut to what the paragraph text buffer holds, then scanned.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "markup/hotwords.h"
#include "tests/fuzz/fuzz_engine.h"

// A text item must point into the page buffer and end there.
static bool TextInsidePageBuffer(const char* text) {
    if (text < gPageBuffer || text >= gPageBuffer + kPageBufferSize) return false;
    return std::memchr(text, 0, size_t(gPageBuffer + kPageBufferSize - text)) != nullptr;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    StartEngineHost();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ResetFuzzPage();
    size_t length = size < size_t(kParagraphTextSize - 1) ? size : size_t(kParagraphTextSize - 1);
    std::memcpy(gScan.paragraphText, data, length);
    gScan.paragraphText[length] = 0;
    ScanMarkup(gScan.paragraphText);
    // What the page then holds must stay inside its tables.
    if (gPageItemCount < 0 || gPageItemCount > kPageItems) __builtin_trap();
    if (gPageBufferUsed < 0 || gPageBufferUsed > kPageBufferSize) __builtin_trap();
    if (gScan.hotwordCount < 0 || gScan.hotwordCount > kHotwords) __builtin_trap();
    if (gButtonCount < 0 || gButtonCount > kButtonSlots) __builtin_trap();
    if (gEditCount < 0 || gEditCount > kEditSlots) __builtin_trap();
    for (int i = 0; i < gPageItemCount; ++i) {
        const PageItem& item = gPageItems[i];
        bool hasText = item.kind == kItemText || item.kind == kItemTitle;
        if (hasText && !TextInsidePageBuffer(item.text)) __builtin_trap();
    }
    return 0;
}
