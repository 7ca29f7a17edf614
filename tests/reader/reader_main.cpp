// Reader tests: one reader runs on the headless backend against the test book for
// the whole program, with its save file in a fresh folder; each test navigates to the
// page it needs and looks at what the reader shows and keeps.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "book/book_tables.h"
#include "platform/headless.h"
#include "platform/win32.h"
#include "shell/startup.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    char folder[] = "/tmp/qh-reader-tests-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    setenv("XDG_DATA_HOME", folder, 1);
    UseBook(CompiledBook());
    HeadlessStart();
    if (!StartReader(SW_SHOW)) return 1;
    int result = RUN_ALL_TESTS();
    std::filesystem::remove_all(folder);
    return result;
}
