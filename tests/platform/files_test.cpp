// The file calls: creating, finding, reading, writing and seeking; the exclusive open
// that a second process cannot take; and the durable replacement of a held file, with
// its flushes in the background.
#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/files.h"

namespace {

std::u16string Utf16(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

class Files : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/qh-files-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        name = Utf16(folder + "/QTL2test.dat");
    }
    void TearDown() override { std::system(("rm -rf " + folder).c_str()); }

    HANDLE Open(DWORD creation, DWORD share = 0, DWORD access = GENERIC_READ | GENERIC_WRITE) {
        return CreateFileW(name.c_str(), access, share, nullptr, creation, FILE_ATTRIBUTE_HIDDEN, nullptr);
    }

    std::string ContentOnDisk() {
        std::string content;
        FILE* f = std::fopen((folder + "/QTL2test.dat").c_str(), "rb");
        for (int c; f && (c = std::fgetc(f)) != EOF;) content += char(c);
        if (f) std::fclose(f);
        return content;
    }

    // Entries of the folder other than the file and its lock file: temporaries left behind.
    int StrayFiles() {
        int count = 0;
        DIR* d = opendir(folder.c_str());
        while (dirent* e = readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != ".." && n != "QTL2test.dat" && n != ".QTL2test.dat.lock") ++count;
        }
        closedir(d);
        return count;
    }

    // What CreateFileW without sharing gives in another process: 0 opened, else the error.
    int OpenInAnotherProcess() {
        pid_t child = fork();
        if (child == 0) {
            HANDLE h = Open(OPEN_EXISTING);
            _exit(h == INVALID_HANDLE_VALUE ? int(GetLastError()) : 0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string folder;
    std::u16string name;
};

TEST_F(Files, CreateNewThenFindAndOpenExisting) {
    WIN32_FIND_DATAW found{};
    EXPECT_EQ(FindFirstFileW(name.c_str(), &found), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Open(OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

    HANDLE h = Open(CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(h, "0123456789", 10, &written, nullptr));
    EXPECT_EQ(written, 10u);
    ASSERT_TRUE(CloseHandle(h));

    HANDLE search = FindFirstFileW(name.c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(found.nFileSizeLow, 10u);
    EXPECT_EQ(std::u16string(found.cFileName), u"QTL2test.dat");
    EXPECT_FALSE(CloseHandle(search));   // a search is closed by FindClose
    EXPECT_TRUE(FindClose(search));
    EXPECT_FALSE(FindClose(search));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    EXPECT_EQ(Open(CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    h = Open(OPEN_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
}

TEST_F(Files, ReadsWritesAndSeeks) {
    HANDLE h = Open(CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD count = 0;
    ASSERT_TRUE(WriteFile(h, "abcdefghij", 10, &count, nullptr));
    EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 10u);
    EXPECT_EQ(SetFilePointer(h, 2, nullptr, FILE_BEGIN), 2u);
    char buffer[16] = {};
    ASSERT_TRUE(ReadFile(h, buffer, 3, &count, nullptr));
    EXPECT_EQ(std::string(buffer, count), "cde");
    EXPECT_EQ(SetFilePointer(h, -3, nullptr, FILE_END), 7u);
    ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &count, nullptr));   // a short read at the end
    EXPECT_EQ(std::string(buffer, count), "hij");
    ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ(count, 0u);

    EXPECT_EQ(SetFilePointer(h, -1, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    LONG high = 0;
    EXPECT_EQ(SetFilePointer(h, 4, &high, FILE_BEGIN), 4u);   // with a high part
    EXPECT_EQ(high, 0);
    ASSERT_TRUE(WriteFile(h, "XY", 2, &count, nullptr));
    CloseHandle(h);
    EXPECT_EQ(ContentOnDisk(), "abcdXYghij");

    EXPECT_FALSE(ReadFile(h, buffer, 1, &count, nullptr));   // closed
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(count, 0u);
}

TEST_F(Files, WritingThroughAReadOnlyHandleIsDenied) {
    CloseHandle(Open(CREATE_NEW));
    HANDLE h = Open(OPEN_EXISTING, 0, GENERIC_READ);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD count = 7;
    EXPECT_FALSE(WriteFile(h, "x", 1, &count, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(count, 0u);
    EXPECT_FALSE(ReplaceFileContents(h, "x", 1));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    CloseHandle(h);
}

TEST_F(Files, NamesAreUtf16AndBackslashesSeparateFolders) {
    ASSERT_EQ(mkdir((folder + "/sub").c_str(), 0700), 0);
    std::u16string wide = Utf16(folder) + u"\\sub\\Grüße.dat";
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    struct stat st;
    EXPECT_EQ(stat((folder + "/sub/Gr\xC3\xBC\xC3\x9F" "e.dat").c_str(), &st), 0);

    std::u16string noFolder = Utf16(folder) + u"/missing/x.dat";
    EXPECT_EQ(CreateFileW(noFolder.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(CreateFileW(u"", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(CreateFileW(name.c_str(), GENERIC_READ, 0, nullptr, 2 /* CREATE_ALWAYS */, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(Files, AFileHeldWithoutSharingCannotBeOpenedAgainUntilClosed) {
    HANDLE h = Open(CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenInAnotherProcess(), int(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(Open(OPEN_EXISTING), INVALID_HANDLE_VALUE);                    // nor in this process
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(Open(OPEN_EXISTING, FILE_SHARE_READ, GENERIC_READ), INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(OpenInAnotherProcess(), 0);

    h = Open(OPEN_EXISTING, FILE_SHARE_READ, GENERIC_READ);                 // readers share
    HANDLE second = Open(OPEN_EXISTING, FILE_SHARE_READ, GENERIC_READ);
    EXPECT_NE(second, INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenInAnotherProcess(), int(ERROR_SHARING_VIOLATION));       // but keep out the exclusive
    CloseHandle(h);
    CloseHandle(second);
}

TEST_F(Files, ReplacingTheContentKeepsTheLockAndTheHandle) {
    HANDLE h = Open(CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD count = 0;
    ASSERT_TRUE(WriteFile(h, "old record", 10, &count, nullptr));
    ASSERT_TRUE(ReplaceFileContents(h, "the new record", 14));
    EXPECT_EQ(ContentOnDisk(), "the new record");
    EXPECT_EQ(StrayFiles(), 0);
    EXPECT_EQ(OpenInAnotherProcess(), int(ERROR_SHARING_VIOLATION));

    EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 14u);
    EXPECT_EQ(SetFilePointer(h, 4, nullptr, FILE_BEGIN), 4u);
    char buffer[16] = {};
    ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ(std::string(buffer, count), "new record");
    ASSERT_TRUE(ReplaceFileContents(h, "again", 5));
    EXPECT_EQ(ContentOnDisk(), "again");
    CloseHandle(h);
    EXPECT_EQ(OpenInAnotherProcess(), 0);
}

TEST_F(Files, AFailedReplacementLeavesTheOldContent) {
    HANDLE h = Open(CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD count = 0;
    ASSERT_TRUE(WriteFile(h, "old record", 10, &count, nullptr));
    // In a child whose files may not grow past 4 bytes, the new record cannot be written.
    pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {4, 4};
        setrlimit(RLIMIT_FSIZE, &limit);
        BOOL replaced = ReplaceFileContents(h, "a much longer new record", 24);
        _exit(replaced ? 100 : int(GetLastError()));
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), int(ERROR_HANDLE_DISK_FULL));
    EXPECT_EQ(ContentOnDisk(), "old record");
    EXPECT_EQ(StrayFiles(), 0);
    CloseHandle(h);
}

// The flushes to the disk never hold up the replacing thread: the flusher makes them
// once for a burst of replacements, and closing the file makes what is still due.
TEST_F(Files, ReplacementsAreFlushedOnceABurstInTheBackground) {
    HANDLE h = Open(CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    long here = FileFlushesOnThisThread(), background = FileFlushesInBackground();
    for (const char* record : {"one", "two", "three", "four", "five"}) ASSERT_TRUE(ReplaceFileContents(h, record, 4));
    EXPECT_EQ(ContentOnDisk(), std::string("five", 4));
    EXPECT_EQ(FileFlushesOnThisThread(), here);
    // No time is asserted: the flusher only has to come, its delay after the first replacement.
    for (int i = 0; i < 2000 && FileFlushesInBackground() < background + 2; ++i) usleep(10000);
    EXPECT_EQ(FileFlushesInBackground(), background + 2);   // the file and its folder, once
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(FileFlushesOnThisThread(), here);   // nothing was left for the close
}

TEST_F(Files, ClosingAFileMakesItsOutstandingFlushAtOnce) {
    SetFileFlushDelay(3600 * 1000);
    HANDLE h = Open(CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    long here = FileFlushesOnThisThread(), background = FileFlushesInBackground();
    ASSERT_TRUE(ReplaceFileContents(h, "first", 5));
    ASSERT_TRUE(ReplaceFileContents(h, "second", 6));
    EXPECT_EQ(FileFlushesOnThisThread(), here);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(FileFlushesOnThisThread(), here + 2);
    EXPECT_EQ(FileFlushesInBackground(), background);
    EXPECT_EQ(ContentOnDisk(), "second");
    SetFileFlushDelay(kFlushDelayMs);
}

}  // namespace

// The observer a machine without locks between programs installs (the web edition):
// its veto keeps an exclusive open out and leaves no file behind, shared opens pass,
// and it hears of every replacement and every close of a file opened for writing.
namespace {
std::string observedPath;
bool vetoExclusive = false;
int writtenCount = 0;
bool MayOpen(const char*) { return !vetoExclusive; }
void Written(const char* path) {
    observedPath = path;
    ++writtenCount;
}
}  // namespace

TEST_F(Files, AnObserverCanRefuseExclusiveOpensAndHearsOfWrites) {
    SetFileObserver(FileObserver{MayOpen, Written});
    vetoExclusive = true;
    writtenCount = 0;
    EXPECT_EQ(Open(CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(ContentOnDisk(), "");
    EXPECT_EQ(StrayFiles(), 0);
    EXPECT_EQ(access((folder + "/QTL2test.dat").c_str(), F_OK), -1);   // a refused creation leaves nothing

    vetoExclusive = false;
    HANDLE h = Open(CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(writtenCount, 0);
    ASSERT_TRUE(ReplaceFileContents(h, "record", 6));
    EXPECT_EQ(writtenCount, 1);
    EXPECT_EQ(observedPath, folder + "/QTL2test.dat");
    CloseHandle(h);
    EXPECT_EQ(writtenCount, 2);

    vetoExclusive = true;                                          // sharing readers are not the observer's
    h = Open(OPEN_EXISTING, FILE_SHARE_READ, GENERIC_READ);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(writtenCount, 2);                                    // nor is closing a file only read
    SetFileObserver(FileObserver{nullptr, nullptr});
}
