// The generated C++ file: every table of the book in the record layouts of
// book/book_tables.h, and CompiledBook() pointing at them.
#pragma once

#include <string>

#include "tools/bookc/book_model.h"
#include "tools/bookc/word_pools.h"

std::string GenerateTables(const BookModel& book, const PoolLayout& layout);
