// What the reader tests share: going to a page as the story would, and reading the
// page back as dump lines.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "markup/scanner.h"
#include "page/controls.h"
#include "page/geometry.h"
#include "page/page_items.h"
#include "shell/main_window.h"
#include "shell/navigation.h"
#include "platform/headless.h"
#include "driver/page_dump.h"

// Shows paragraph p in the story, past any splash, and lets everything due run; the
// keyboard's focus is nowhere, as after a fresh start (a tool button would keep it).
inline void GoTo(int paragraph) {
    SetFocus(nullptr);
    SkipSplashes();
    NavigateTo(int16_t(paragraph), kNavigateStory);
    HeadlessRun();
    HeadlessClearMessages();
    HeadlessClearSounds();
}

// Lays out a page built by `build` instead of a paragraph, through a real paint.
inline void PaintPageOf(const std::function<void()>& build) {
    GoTo(8);
    DestroyPageControls();
    ClearPageItems();
    EmitAlignment(0);
    build();
    InvalidateRect(Frame().window, nullptr, TRUE);
    UpdateWindow(Frame().window);
}

// The page dump's lines, without the message and sound lines that it takes.
inline std::vector<std::string> DumpLines() {
    std::vector<std::string> lines;
    std::string dump = PageDump();
    size_t start = 0;
    for (size_t end; (end = dump.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(dump.substr(start, end - start));
    return lines;
}

inline bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
    for (const std::string& l : lines)
        if (l == line) return true;
    return false;
}
