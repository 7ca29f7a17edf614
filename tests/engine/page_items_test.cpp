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
    ASSERT_EQ(gPageItemCount, 1);
    EXPECT_EQ(gPageItems[0].kind, kItemText);
    EXPECT_STREQ(gPageItems[0].text, "abcdefghijklm");
    EXPECT_EQ(gPageBufferUsed, 14);
}

TEST_F(PageItemsTest, OtherItemsSeparateRunsAndTitlesMergeOnlyWithTitles) {
    EmitText("a");
    EmitBoldOn();
    EmitText("b");
    EmitBoldOff();
    EmitText("c");
    EmitTitle("T1");
    EmitTitle("T2");
    ASSERT_EQ(gPageItemCount, 6);
    const int kinds[] = {kItemText, kItemBoldOn, kItemText, kItemBoldOff, kItemText, kItemTitle};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(gPageItems[i].kind, kinds[i]) << i;
    EXPECT_STREQ(gPageItems[2].text, "b");
    EXPECT_STREQ(gPageItems[5].text, "T1T2");
}

TEST_F(PageItemsTest, EmptyTextOnlyCostsAByteWhenItStartsARun) {
    EmitText("ab");
    EmitText("");
    EXPECT_EQ(gPageItemCount, 1);
    EXPECT_STREQ(gPageItems[0].text, "ab");
    EmitGap();
    int used = gPageBufferUsed;
    EmitText("");
    EXPECT_EQ(gPageItemCount, 3);
    EXPECT_EQ(gPageBufferUsed, used + 1);
}

TEST_F(PageItemsTest, AlignmentPicturesAndBreaks) {
    EmitAlignment(1);
    EmitPictureResource(1102);
    EmitParagraphBreak();
    EmitLineBreak();
    ASSERT_EQ(gPageItemCount, 4);
    EXPECT_EQ(gPageItems[0].kind, kItemAlignCentre);
    EXPECT_EQ(gPageItems[1].kind, kItemPicture);
    EXPECT_EQ(gPageItems[1].argument, 1102);
    EXPECT_EQ(gPageItems[1].inlineFlag, 1);
    EXPECT_EQ(gPageItems[2].kind, kItemParagraphBreak);
    EXPECT_EQ(gPageItems[3].kind, kItemLineBreak);
}

TEST_F(PageItemsTest, BuildingBoldSurvivesARebuild) {
    EmitBoldOn();
    ClearPageItems();
    EXPECT_TRUE(gBuildingBold);
    EmitBoldOff();
    EXPECT_FALSE(gBuildingBold);
}

TEST_F(PageItemsTest, BufferLimitDropsTheWholeTextAndSaysSo) {
    std::string fits(kPageBufferSize - 1, 'x');
    EmitText(fits.c_str());
    EXPECT_EQ(gPageItemCount, 1);
    EXPECT_EQ(HeadlessMessageCount(), 0);

    ClearPageItems();
    std::string tooLong(kPageBufferSize, 'y');
    EmitText(tooLong.c_str());
    EXPECT_EQ(gPageItemCount, 0);
    ASSERT_EQ(HeadlessMessageCount(), 1);
    EXPECT_STREQ(HeadlessMessage(0), "Page buffer Overflow");
}

TEST_F(PageItemsTest, AFullBufferNeverGrowsAMergedRunPastItsEnd) {
    std::string big(kPageBufferSize - 10, 'x');
    EmitText(big.c_str());
    EmitText("0123456789abc");  // would merge past the end: dropped
    ASSERT_EQ(gPageItemCount, 1);
    EXPECT_EQ(std::string(gPageItems[0].text), big);
    EXPECT_LT(gPageBufferUsed, kPageBufferSize);
    EXPECT_EQ(HeadlessMessageCount(), 1);
}

TEST_F(PageItemsTest, MoreThanTheListHoldsIsDroppedWithOneMessage) {
    for (int i = 0; i < kPageItems + 50; ++i) EmitGap();
    EXPECT_EQ(gPageItemCount, kPageItems);
    EXPECT_EQ(HeadlessMessageCount(), 1);
}

}  // namespace
