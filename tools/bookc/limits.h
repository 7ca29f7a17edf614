// The reader's fixed text buffers, checked against the book: a paragraph, a word or a
// command too long for its buffer, or a header text too long for a page. The reader
// reports each only when the page is shown; qh-bookc warns, and under --check each is
// an error.
#pragma once

#include "tools/bookc/book_model.h"
#include "tools/bookc/diagnostics.h"

constexpr int kLongestCommand = 399;       // command buffer of 400 with its NUL
constexpr int kLongestHeaderText = 1000;   // a header text on a built-in page, far within its page buffer

void CheckReaderLimits(const BookModel& book, Diagnostics& diag, bool asErrors);
