// qh-bookc --check: each command read as the reader reads it. Conditions go through
// the reader's own condition machine and must mean what their plain form says; every
// variable, picture, sound and restart point a command names must exist and be
// declared. A command the reader would misread or report on is an error at its place.
#pragma once

#include "tools/bookc/book_model.h"
#include "tools/bookc/diagnostics.h"
#include "tools/bookc/markup_walk.h"

void CheckCommandReading(const BookModel& book, const JoinedParagraph& joined, const MarkupCommand& command,
                         Diagnostics& diag);

// Word buttons (measured with labelWidth, when given) and pictures wider than the
// page: the reader clips them at its right edge.
constexpr int kPageTextWidth = 219;    // 240, less the scroll bar (13) and 4 on each side
void CheckCommandWidth(const BookModel& book, const JoinedParagraph& joined, const MarkupCommand& command, bool bold,
                       int (*labelWidth)(const std::string& latin1, bool bold), Diagnostics& diag);

// A condition (the text after the letter O or o) against the book's variables: the
// verdict of the checks above, for the differential fuzz target and the tests.
enum class ConditionVerdict { Plain, NotPlain, ReaderReports, ReadDifferently, BadReference };
ConditionVerdict JudgeCondition(const BookModel& book, const std::string& commandText, std::string* why, int* at);
