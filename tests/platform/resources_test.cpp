// Resource lookup against the resources packed for this test program
// (tests/platform/test_resources.manifest) and files registered at run time.
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/resources.h"

namespace {

std::string FileText(const ResourceBlob& blob) {
    return std::string(reinterpret_cast<const char*>(blob.data), blob.size);
}

std::string WriteTemporaryFile(const char* stem, const std::string& content) {
    // Test processes run side by side: each writes its own files.
    std::string path = testing::TempDir() + std::to_string(getpid()) + "-" + stem;
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);
    return path;
}

class Resources : public testing::Test {
protected:
    void TearDown() override { ClearRegisteredResources(); }
};

TEST_F(Resources, PackedFilesAreFoundByTypeAndIdOrName) {
    ResourceBlob menu{}, data{}, bitmap{}, wave{};
    ASSERT_TRUE(LookUpResource(ResourceType::Menu, 102, &menu));
    ASSERT_TRUE(LookUpResource(ResourceType::Data, 102, &data));
    EXPECT_EQ(FileText(menu), "A menu template the packer carries byte for byte.\n");
    EXPECT_EQ(FileText(data), FileText(menu));

    ASSERT_TRUE(LookUpResource(ResourceType::Bitmap, 1701, &bitmap));
    EXPECT_EQ(bitmap.size, 70u);
    EXPECT_EQ(std::memcmp(bitmap.data, "BM", 2), 0);

    ASSERT_TRUE(LookUpResourceByName(ResourceType::Wave, u"CHIME", &wave));
    EXPECT_EQ(std::memcmp(wave.data + 8, "WAVE", 4), 0);
    ResourceBlob sameWave{};
    ASSERT_TRUE(LookUpResourceByName(ResourceType::Wave, u"chime", &sameWave));   // as the platform: any case
    EXPECT_EQ(sameWave.data, wave.data);
}

TEST_F(Resources, MissingResourcesLeaveTheBlobAlone) {
    ResourceBlob blob{nullptr, 7};
    EXPECT_FALSE(LookUpResource(ResourceType::Bitmap, 1702, &blob));
    EXPECT_FALSE(LookUpResource(ResourceType::Icon, 102, &blob));        // id of another type
    EXPECT_FALSE(LookUpResourceByName(ResourceType::Wave, u"CHIM", &blob));
    EXPECT_FALSE(LookUpResourceByName(ResourceType::Wave, u"CHIMES", &blob));
    EXPECT_FALSE(LookUpResourceByName(ResourceType::Wave, nullptr, &blob));
    EXPECT_EQ(blob.size, 7u);
}

TEST_F(Resources, StringsAreUtf16WithATerminatorAfterTheBlob) {
    ResourceBlob menu{}, greeting{};
    ASSERT_TRUE(LookUpResource(ResourceType::String, 411, &menu));
    ASSERT_TRUE(LookUpResource(ResourceType::String, 412, &greeting));
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(menu.data)), u"Menu");
    EXPECT_EQ(menu.size, 8u);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(greeting.data)), u"Grüße");
    EXPECT_EQ(greeting.size, 10u);
}

TEST_F(Resources, EveryProgramCarriesBothDejaVuFaces) {
    ResourceBlob regular{}, bold{};
    ASSERT_TRUE(LookUpResource(ResourceType::Font, kFontRegular, &regular));
    ASSERT_TRUE(LookUpResource(ResourceType::Font, kFontBold, &bold));
    EXPECT_EQ(std::memcmp(regular.data, "\0\1\0\0", 4), 0);
    EXPECT_EQ(std::memcmp(bold.data, "\0\1\0\0", 4), 0);
    EXPECT_NE(regular.size, bold.size);
    EXPECT_GT(regular.size, 20000u);   // cut down to Latin-1, but whole faces (embedded_faces_test.cpp)
}

TEST_F(Resources, RegisteredFilesComeBeforePackedOnesUntilCleared) {
    std::string path = WriteTemporaryFile("registered.bmp", "BM registered picture");
    char error[160] = "";
    uint32_t before = ResourceGeneration();
    ASSERT_TRUE(RegisterResourceFile(ResourceType::Bitmap, 1701, nullptr, path.c_str(), error, sizeof error)) << error;
    EXPECT_NE(ResourceGeneration(), before);
    ResourceBlob blob{};
    ASSERT_TRUE(LookUpResource(ResourceType::Bitmap, 1701, &blob));
    EXPECT_EQ(FileText(blob), "BM registered picture");

    ASSERT_TRUE(RegisterResourceFile(ResourceType::Wave, 0, u"Gulls", path.c_str(), error, sizeof error)) << error;
    ASSERT_TRUE(LookUpResourceByName(ResourceType::Wave, u"GULLS", &blob));
    EXPECT_EQ(FileText(blob), "BM registered picture");

    ClearRegisteredResources();
    ASSERT_TRUE(LookUpResource(ResourceType::Bitmap, 1701, &blob));
    EXPECT_EQ(blob.size, 70u);                                               // the packed one again
    EXPECT_FALSE(LookUpResourceByName(ResourceType::Wave, u"GULLS", &blob));
}

TEST_F(Resources, RegisteringAgainReplacesTheEarlierFile) {
    std::string first = WriteTemporaryFile("first.wav", "first");
    std::string second = WriteTemporaryFile("second.wav", "second");
    char error[160] = "";
    ASSERT_TRUE(RegisterResourceFile(ResourceType::Wave, 0, u"SURF", first.c_str(), error, sizeof error));
    ASSERT_TRUE(RegisterResourceFile(ResourceType::Wave, 0, u"surf", second.c_str(), error, sizeof error));
    ResourceBlob blob{};
    ASSERT_TRUE(LookUpResourceByName(ResourceType::Wave, u"SURF", &blob));
    EXPECT_EQ(FileText(blob), "second");
    // Room for the whole table: re-registering did not use up a second row.
    for (int i = 1; i < kRegisteredResources; ++i)
        ASSERT_TRUE(RegisterResourceFile(ResourceType::Bitmap, uint16_t(i), nullptr, first.c_str(), error, sizeof error)) << i;
    EXPECT_FALSE(RegisterResourceFile(ResourceType::Bitmap, 9999, nullptr, first.c_str(), error, sizeof error));
    EXPECT_NE(std::strstr(error, "more than"), nullptr) << error;
}

TEST_F(Resources, AFileThatCannotBeReadIsNotRegistered) {
    char error[160] = "";
    std::string missing = testing::TempDir() + "no-such-picture.png";
    EXPECT_FALSE(RegisterResourceFile(ResourceType::Bitmap, 1701, nullptr, missing.c_str(), error, sizeof error));
    EXPECT_NE(std::strstr(error, "no-such-picture.png"), nullptr) << error;
    std::string empty = WriteTemporaryFile("empty.png", "");
    EXPECT_FALSE(RegisterResourceFile(ResourceType::Bitmap, 1701, nullptr, empty.c_str(), error, sizeof error));
    EXPECT_FALSE(RegisterResourceFile(ResourceType::Wave, 0, u"", empty.c_str(), error, sizeof error));
    ResourceBlob blob{};
    ASSERT_TRUE(LookUpResource(ResourceType::Bitmap, 1701, &blob));
    EXPECT_EQ(blob.size, 70u);
}

}  // namespace
