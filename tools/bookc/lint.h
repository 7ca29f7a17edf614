// qh-bookc --check: warnings about markup the reader would run wrongly or never.
#pragma once

#include "tools/bookc/book_model.h"
#include "tools/bookc/diagnostics.h"

// Warns, each at its line and column, about: targets (hotwords, arrows, inventory,
// restart points) naming no paragraph; unknown command letters; block commands
// without their block; stray or unclosed braces; paragraphs not ending with <G>;
// pages defining more than 99 hotwords; paragraphs no path from page 2 reaches.
void CheckBook(const BookModel& book, Diagnostics& diag);
