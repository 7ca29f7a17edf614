// Fuzz target: the save file. An input's first byte chooses what stands around the
// file (see ScenarioFlags); the rest is the whole file in a private data folder. The
// reader loads it, shows the paragraph it names (so the loaded variables go through
// conditions and displays), turns a page and writes the file back as at shutdown. The
// save must then hold one complete record of the current version, or, when it could
// not be written, exactly what it held before; an unusable save must be kept aside.
//
// Started as root, the target does its work as the user nobody (effective id only),
// so that a read-only file is read-only to it; libFuzzer's own files stay root's.
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "book/save_file.h"
#include "shell/navigation.h"
#include "tests/fuzz/fuzz_engine.h"

enum ScenarioFlags : uint8_t {
    kNoFile = 1,           // no save file: a fresh start
    kReadOnlyFile = 2,     // the file may be read, not written
    kWritesFail = 4,       // the disk takes no more than 1 KB of a file
    kFolderDeleted = 8,    // the folder goes between loading and the last write
    kReadOnlyFolder = 16,  // nothing new can be made in the folder
    kFolderIsAFile = 32,   // a file stands where the folder should be
    kHeldElsewhere = 64,   // another reader holds the file
};

static std::string scratchFolder, folder, savePath;
static uid_t worker = 0;   // the effective user while an input runs; 0 keeps root's

static void RemoveScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(scratchFolder, ignored);
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char made[] = "/tmp/qh-fuzz-save-XXXXXX";
    if (!mkdtemp(made)) std::abort();
    scratchFolder = made;
    std::atexit(RemoveScratchFolder);
    setenv("XDG_DATA_HOME", made, 1);
    folder = scratchFolder + "/quietharbour";
    savePath = folder + "/QTL2quietharbour.dat";
    if (getuid() == 0)
        if (const passwd* nobody = getpwnam("nobody")) worker = nobody->pw_uid;
    if (worker) chown(made, worker, worker);
    StartEngineHost();
    return 0;
}

// The folder as the input wants it, with the file's bytes (or none).
static void Prepare(uint8_t flags, const uint8_t* data, size_t size) {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    if (mkdir(folder.c_str(), 0700) != 0) std::abort();
    if (!(flags & kNoFile)) {
        std::FILE* file = std::fopen(savePath.c_str(), "wb");
        if (!file) std::abort();
        if (size && std::fwrite(data, 1, size, file) != size) std::abort();
        std::fclose(file);
        if (flags & kReadOnlyFile) chmod(savePath.c_str(), 0400);
    }
    if (worker) {
        chown(folder.c_str(), worker, worker);
        if (!(flags & kNoFile)) chown(savePath.c_str(), worker, worker);
    }
    if (flags & kReadOnlyFolder) chmod(folder.c_str(), 0500);
    if (flags & kFolderIsAFile) {
        std::filesystem::remove_all(folder, ignored);
        if (std::FILE* file = std::fopen(folder.c_str(), "wb")) std::fclose(file);
    }
}

static void ShowLoadedState() {
    LoadParagraph(Place().displayedParagraph);
    ScanParagraph();
    for (int k = 0; k < kStoryVariables; ++k) VariableDisplay(k);
    for (int r = 0; r < kRestartPoints; ++r) RestoreRestartPoint(r);
}

static std::string FileBytes(const std::string& path, bool* exists) {
    std::string bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    *exists = file != nullptr;
    for (int c; file && (c = std::fgetc(file)) != EOF;) bytes += char(c);
    if (file) std::fclose(file);
    return bytes;
}

static bool Usable(const std::string& bytes) {
    return bytes.size() >= sizeof(SaveRecord) && reinterpret_cast<const SaveRecord*>(bytes.data())->version == kSaveVersion;
}

// Either a whole record of this version, or the file as it was (none, when it never
// was); a save that could not be used and was written over is kept aside first.
static void CheckSave(const std::string& before, bool existedBefore) {
    bool exists = false, keptAside = false;
    std::string now = FileBytes(savePath, &exists);
    bool whole = now.size() == sizeof(SaveRecord) && Usable(now);
    bool untouched = exists == existedBefore && now == before;
    if (!whole && !untouched && exists) __builtin_trap();
    std::string aside = FileBytes(savePath + ".unreadable", &keptAside);
    // A save gone with its folder (the folder deleted or replaced meanwhile) was not written over.
    bool overwritten = existedBefore && exists && !before.empty() && !Usable(before) && !untouched;
    if (overwritten && (!keptAside || aside != before)) __builtin_trap();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    uint8_t flags = data[0];
    ++data, --size;
    ResetFuzzPage();
    ClearSaveRecord();
    Prepare(flags, data, size);
    bool existed = !(flags & kNoFile);
    std::string before(reinterpret_cast<const char*>(data), existed ? size : 0);
    if (worker) seteuid(worker);
    // A write past the size limit must fail, not end the run (libFuzzer has its own
    // handler for the signal, which ends it): the signal is ignored while the input runs.
    rlimit unlimited;
    struct sigaction ignore = {}, fuzzers = {};
    ignore.sa_handler = SIG_IGN;
    getrlimit(RLIMIT_FSIZE, &unlimited);
    rlimit small = {1024, unlimited.rlim_max};   // the soft limit only: it can be raised again
    sigaction(SIGXFSZ, &ignore, &fuzzers);
    if (flags & kWritesFail) setrlimit(RLIMIT_FSIZE, &small);
    std::u16string name(savePath.begin(), savePath.end());
    HANDLE other = flags & kHeldElsewhere ? CreateFileW(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                                          : INVALID_HANDLE_VALUE;
    int16_t first = 2;
    bool loaded = LoadSaveFile(&first);
    if (loaded && other != INVALID_HANDLE_VALUE) __builtin_trap();   // two readers of one file
    if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
    if (loaded) {
        if (first < 1 || first > kParagraphRows) __builtin_trap();
        StartAt(first);
        ShowLoadedState();
        WriteSaveFile(first);
        if (flags & kFolderDeleted) {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        }
        StoreSaveFile(first);
    }
    setrlimit(RLIMIT_FSIZE, &unlimited);
    sigaction(SIGXFSZ, &fuzzers, nullptr);
    if (worker) seteuid(0);
    chmod(folder.c_str(), 0700);
    // A reader that could not open the file (a read-only file in a read-only folder
    // still opens) touched nothing; a folder deleted on purpose is not checked.
    if (!(flags & kFolderDeleted)) CheckSave(before, existed);
    return 0;
}
