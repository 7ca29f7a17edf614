// Fuzz target: condition expressions on arbitrary command text. The input follows the
// letter O in the command buffer, exactly as the scanner hands a command to O, and the
// story variables hold a fixed mix of values and owned flags so both outcomes of a
// comparison are reachable.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "markup/conditions.h"
#include "tests/fuzz/fuzz_engine.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    StartEngineHost();
    return 0;
}

static void HoldMixedValues() {
    for (int k = 0; k < kStoryVariables; ++k) {
        SetVariableValue(k, k % 7);
        SetOwnedFlag(k, uint8_t(k % 3 == 0));
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ResetFuzzPage();
    HoldMixedValues();
    size_t length = size < size_t(kCommandBufferSize - 2) ? size : size_t(kCommandBufferSize - 2);
    char command[kCommandBufferSize];
    command[0] = 'O';
    std::memcpy(command + 1, data, length);
    command[1 + length] = 0;
    LoadCommand(command);
    EvaluateCondition();
    // The cursor ends one past the command's terminating zero, never further.
    int end = int(std::strlen(Scan().commandBuffer));
    if (Scan().cursor != end + 1) __builtin_trap();
    return 0;
}
