// Engine tests run against the compiled test book.
#include <gtest/gtest.h>

#include "book/book_tables.h"

int main(int argc, char** argv) {
    UseBook(CompiledBook());
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
