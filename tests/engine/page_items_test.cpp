// The page item list: merging, kinds, the building bold state and the buffer limit.
#include <gtest/gtest.h>

#include <string>

#include "page/page_items.h"
#include "platform/headless.h"

namespace {

struct PageItemsTest : testing::Test {
    void SetUp() override {
        ClearPageItems();
        HeadlessClearMessages();
    }
};

TEST_F(PageItemsTest, ConsecutiveTextsMergeIntoOneRun) {
    EmitText("abcde");
    EmitText("fghijklm");
    ASSERT_EQ(PageItems().count, 1);
    EXPECT_EQ(PageItems().items[0].kind, kItemText);
    EXPECT_STREQ(PageItems().items[0].text, "abcdefghijklm");
    EXPECT_EQ(PageItems().bufferUsed, 14);
}

TEST_F(PageItemsTest, OtherItemsSeparateRunsAndTitlesMergeOnlyWithTitles) {
    EmitText("a");
    EmitBoldOn();
    EmitText("b");
    EmitBoldOff();
    EmitText("c");
    EmitTitle("T1");
    EmitTitle("T2");
    ASSERT_EQ(PageItems().count, 6);
    const int kinds[] = {kItemText, kItemBoldOn, kItemText, kItemBoldOff, kItemText, kItemTitle};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(PageItems().items[i].kind, kinds[i]) << i;
    EXPECT_STREQ(PageItems().items[2].text, "b");
    EXPECT_STREQ(PageItems().items[5].text, "T1T2");
}

TEST_F(PageItemsTest, EmptyTextOnlyCostsAByteWhenItStartsARun) {
    EmitText("ab");
    EmitText("");
    EXPECT_EQ(PageItems().count, 1);
    EXPECT_STREQ(PageItems().items[0].text, "ab");
    EmitGap();
    int used = PageItems().bufferUsed;
    EmitText("");
    EXPECT_EQ(PageItems().count, 3);
    EXPECT_EQ(PageItems().bufferUsed, used + 1);
}

TEST_F(PageItemsTest, AlignmentPicturesAndBreaks) {
    EmitAlignment(1);
    EmitPictureResource(1102);
    EmitParagraphBreak();
    EmitLineBreak();
    ASSERT_EQ(PageItems().count, 4);
    EXPECT_EQ(PageItems().items[0].kind, kItemAlignCentre);
    EXPECT_EQ(PageItems().items[1].kind, kItemPicture);
    EXPECT_EQ(PageItems().items[1].argument, 1102);
    EXPECT_EQ(PageItems().items[1].inlineFlag, 1);
    EXPECT_EQ(PageItems().items[2].kind, kItemParagraphBreak);
    EXPECT_EQ(PageItems().items[3].kind, kItemLineBreak);
}

TEST_F(PageItemsTest, BuildingBoldSurvivesARebuild) {
    EmitBoldOn();
    ClearPageItems();
    EXPECT_TRUE(PageItems().buildingBold);
    EmitBoldOff();
    EXPECT_FALSE(PageItems().buildingBold);
}

TEST_F(PageItemsTest, BufferLimitDropsTheWholeTextAndSaysSo) {
    std::string fits(kPageBufferSize - 1, 'x');
    EmitText(fits.c_str());
    EXPECT_EQ(PageItems().count, 1);
    EXPECT_EQ(HeadlessMessageCount(), 0);

    ClearPageItems();
    std::string tooLong(kPageBufferSize, 'y');
    EmitText(tooLong.c_str());
    EXPECT_EQ(PageItems().count, 0);
    ASSERT_EQ(HeadlessMessageCount(), 1);
    EXPECT_STREQ(HeadlessMessage(0), "Page buffer Overflow");
}

TEST_F(PageItemsTest, AFullBufferNeverGrowsAMergedRunPastItsEnd) {
    std::string big(kPageBufferSize - 10, 'x');
    EmitText(big.c_str());
    EmitText("0123456789abc");  // would merge past the end: dropped
    ASSERT_EQ(PageItems().count, 1);
    EXPECT_EQ(std::string(PageItems().items[0].text), big);
    EXPECT_LT(PageItems().bufferUsed, kPageBufferSize);
    EXPECT_EQ(HeadlessMessageCount(), 1);
}

TEST_F(PageItemsTest, MoreThanTheListHoldsIsDroppedWithOneMessage) {
    for (int i = 0; i < kPageItems + 50; ++i) EmitGap();
    EXPECT_EQ(PageItems().count, kPageItems);
    EXPECT_EQ(HeadlessMessageCount(), 1);
}

}  // namespace
