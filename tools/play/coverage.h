// qh-play explore --coverage: which condition blocks the readings took and skipped, and
// which story variables never changed, so an author sees the branches nobody can read.
#pragma once

#include <map>
#include <utility>
#include <string>

// Finds every block of the running book's paragraphs and starts counting decisions.
void StartCoverage();
// Stops counting (the markup's hook is unset again).
void StopCoverage();
// A reading starts again: the variables' state bytes now are its starting point.
void NoteReadingStart();
// After each action: a variable whose state differs from its reading's start changed.
void NoteVariables();

// `reached` is the explorer's paragraph -> visits, to tell a block in a paragraph never
// shown from one its paragraph passed over.
void PrintCoverageText(const std::map<int, long>& reached);
// The coverage as JSON members (without braces): "blocks", "never_taken", "unchanged_variables".
std::string CoverageJson();
