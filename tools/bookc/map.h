// qh-bookc --map: the paragraph graph drawn for an author to look at. The dot text is
// built here (in the library, so tests read it); the drawing, which needs Graphviz's
// library, is linked into qh-bookc alone and handed to the driver.
#pragma once

#include <set>
#include <string>

#include "tools/bookc/book_model.h"
#include "tools/bookc/diagnostics.h"

// The paragraphs a coverage report (qh-play explore --json) lists as never reached;
// false, reported, when the file cannot be read or holds no such list.
bool ReadUnreached(const std::string& path, Diagnostics& diag, std::set<int>& unreached);

// The map in dot: names and titles on the nodes; endings (only restart buttons lead
// on), dead ends (nothing leads on) and paragraphs no path reaches marked; with
// `coverage`, the paragraphs it never reached filled.
std::string ParagraphMapDot(const BookModel& book, const std::set<int>* unreached);

// Lays out dot and writes it as SVG to path; false with a message in error.
using MapRenderer = bool (*)(const std::string& dot, const std::string& path, std::string* error);
