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
    if (text < PageItems().buffer || text >= PageItems().buffer + kPageBufferSize) return false;
    return std::memchr(text, 0, size_t(PageItems().buffer + kPageBufferSize - text)) != nullptr;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    StartEngineHost();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ResetFuzzPage();
    LoadParagraphText(reinterpret_cast<const char*>(data), size);
    ScanParagraph();
    // What the page then holds must stay inside its tables.
    if (PageItems().count < 0 || PageItems().count > kPageItems) __builtin_trap();
    if (PageItems().bufferUsed < 0 || PageItems().bufferUsed > kPageBufferSize) __builtin_trap();
    if (Hotwords().count < 0 || Hotwords().count > kHotwords) __builtin_trap();
    if (Controls().buttonCount < 0 || Controls().buttonCount > kButtonSlots) __builtin_trap();
    if (Controls().editCount < 0 || Controls().editCount > kEditSlots) __builtin_trap();
    for (int i = 0; i < PageItems().count; ++i) {
        const PageItem& item = PageItems().items[i];
        bool hasText = item.kind == kItemText || item.kind == kItemTitle;
        if (hasText && !TextInsidePageBuffer(item.text)) __builtin_trap();
    }
    return 0;
}
