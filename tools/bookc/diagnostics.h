// Errors and warnings of the book compiler, each naming file, line and column
// ("file:line:col: error: ..."). Tests keep the lines instead of printing them.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// A place in the book source; line and column count from 1, columns in characters.
struct SourcePos {
    int line = 0;
    int column = 0;
};

struct Diagnostics {
    std::string file;                  // the name printed before every message
    int errors = 0;
    int warnings = 0;
    bool warningsAreErrors = false;    // --werror
    bool limitsAreErrors = false;      // --check: a text too long for the reader fails
    std::FILE* echo = stderr;          // null: keep the lines only
    std::vector<std::string> lines;    // every message, as printed
};

void ReportError(Diagnostics& diag, SourcePos pos, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
void ReportWarning(Diagnostics& diag, SourcePos pos, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
// A failure that belongs to no line of the book (options, files that cannot be written).
void ReportToolError(Diagnostics& diag, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// Whether the run has failed: errors, or warnings under --werror.
bool HasFailed(const Diagnostics& diag);
