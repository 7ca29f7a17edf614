// The place written at every story page turn: on disk when the turn returns, with the
// flushes that guard it against a power cut left to the file layer's background thread.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/data_folder.h"
#include "platform/files.h"
#include "platform/text_codec.h"
#include "reader_support.h"

namespace {

// The story position in the save file as another program would read it now.
int SavedPosition() {
    WCHAR folder[512];
    char path[1024];
    if (!GetDataFolder(folder, 512) || !Utf16ToUtf8(folder, path, 1000)) return -1;
    FILE* f = std::fopen((std::string(path) + "QTL2quietharbour.dat").c_str(), "rb");
    if (!f) return -1;
    uint8_t bytes[2] = {};
    size_t got = std::fread(bytes, 1, 2, f);
    std::fclose(f);
    return got == 2 ? int16_t(bytes[0] | (bytes[1] << 8)) : -1;
}

TEST(Autosave, APageTurnPutsThePlaceOnDiskWithoutWaitingForIt) {
    GoTo(8);
    long flushes = FileFlushesOnThisThread();
    GoTo(10);
    EXPECT_EQ(SavedPosition(), 10);
    GoTo(12);
    EXPECT_EQ(SavedPosition(), 12);
    EXPECT_EQ(FileFlushesOnThisThread(), flushes);
}

}  // namespace
