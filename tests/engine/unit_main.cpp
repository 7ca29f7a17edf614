// Engine tests run against the compiled test book, with a plain main window to own the
// controls that hotword commands create.
#include <gtest/gtest.h>

#include "tests/engine/engine_host.h"

int main(int argc, char** argv) {
    StartEngineHost();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
