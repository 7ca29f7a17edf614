// Fuzz target: the save file. Each input is the whole file in a private data folder;
// the reader loads it, shows the paragraph it names (so the loaded variables go
// through conditions and displays), and writes the file back as at shutdown, which
// must always leave one complete record of the current version.
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "book/save_file.h"
#include "shell/navigation.h"
#include "tests/fuzz/fuzz_engine.h"

static std::string savePath;
static std::string scratchFolder;

// The scratch folder goes when the fuzzer exits.
static void RemoveScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(scratchFolder, ignored);
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char folder[] = "/tmp/qh-fuzz-save-XXXXXX";
    if (!mkdtemp(folder)) std::abort();
    scratchFolder = folder;
    std::atexit(RemoveScratchFolder);
    setenv("XDG_DATA_HOME", folder, 1);
    savePath = std::string(folder) + "/quietharbour/QTL2quietharbour.dat";
    mkdir((std::string(folder) + "/quietharbour").c_str(), 0700);
    StartEngineHost();
    return 0;
}

static void WriteWhole(const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(savePath.c_str(), "wb");
    if (!file) std::abort();
    if (size && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
}

static void ShowLoadedState() {
    LoadParagraph(Place().displayedParagraph);
    ScanParagraph();
    for (int k = 0; k < kStoryVariables; ++k) VariableDisplay(k);
    for (int r = 0; r < kRestartPoints; ++r) RestoreRestartPoint(r);
}

static void CheckWrittenRecord() {
    SaveRecord written = {};
    std::FILE* file = std::fopen(savePath.c_str(), "rb");
    if (!file) __builtin_trap();
    size_t got = std::fread(&written, 1, sizeof written, file);
    bool longer = std::fgetc(file) != EOF;
    std::fclose(file);
    if (got != sizeof written || longer || written.version != kSaveVersion) __builtin_trap();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ResetFuzzPage();
    ClearSaveRecord();
    WriteWhole(data, size);
    int16_t first = 2;
    if (!LoadSaveFile(&first)) __builtin_trap();
    if (first < 1 || first > kParagraphRows) __builtin_trap();
    StartAt(first);
    ShowLoadedState();
    StoreSaveFile(first);
    CheckWrittenRecord();
    return 0;
}
