// The line parser of the book source format: header fields, picture, sound,
// variable, restart and paragraph declarations, with UTF-8 text turned into Latin-1.
#pragma once

#include <string>

#include "tools/bookc/book_model.h"
#include "tools/bookc/diagnostics.h"

// Reads the book file at path into book. Returns false when an error was reported
// (the model then holds whatever could be read and must not be written out).
bool ReadBookSource(const std::string& path, Diagnostics& diag, BookModel& book);

// The same on source text already in memory; paths in it are taken relative to
// the folder of `path`, which need not exist as a file.
bool ReadBookText(const std::string& text, const std::string& path, Diagnostics& diag,
                  BookModel& book);

// Turns one line of UTF-8 into Latin-1. On a character outside Latin-1, or bytes
// that are not UTF-8, reports it at its column and returns false.
bool Utf8LineToLatin1(const std::string& utf8, int line, Diagnostics& diag,
                      std::string& latin1);
