// Named paragraphs: "paragraph 8 harbour:" gives paragraph 8 a name, and "@harbour"
// stands for it wherever the markup takes a target and in inventory= and paragraph=.
// The compiler writes the reference (the number minus one) in its place, so the
// reader only ever sees numbers.
#pragma once

#include <string>

#include "tools/bookc/book_model.h"
#include "tools/bookc/diagnostics.h"

// Replaces every @name by its reference; an unknown name is an error that suggests the
// nearest known one. Returns false when an error was reported.
bool ResolveParagraphNames(BookModel& book, Diagnostics& diag);

// "8" or "8 (harbour)", as the tools print a paragraph.
std::string ParagraphLabel(const BookModel& book, int paragraph);
