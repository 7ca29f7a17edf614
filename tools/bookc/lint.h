// qh-bookc --check: warnings about markup the reader would run wrongly or never.
#pragma once

#include <string>

#include "tools/bookc/book_model.h"
#include "tools/bookc/diagnostics.h"

// Warns, each at its line and column, about: targets (hotwords, arrows, inventory,
// restart points) naming no paragraph; unknown command letters; block commands
// without their block; stray or unclosed braces; paragraphs not ending with <G>;
// pages defining more than 99 hotwords; paragraphs no path from page 2 reaches.
// With labelWidth (a label's width in pixels on the page, in the page's regular or
// bold face), word buttons wider than the page are warned about too.
using LabelWidth = int (*)(const std::string& latin1, bool bold);
void CheckBook(const BookModel& book, Diagnostics& diag, LabelWidth labelWidth = nullptr);
