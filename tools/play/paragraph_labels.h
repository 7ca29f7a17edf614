// How qh-play's reports name a paragraph: its number, and its name when the book read
// from source gives it one ("5 (harbour)").
#pragma once

#include <array>
#include <string>

#include "book/book_tables.h"

// The names of the book being played, by paragraph number ("" for none).
void UseParagraphNames(const std::array<std::string, kParagraphRows + 1>& names);
std::string ParagraphCalled(int paragraph);
