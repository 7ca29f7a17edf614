// One reset per layer: after a page that filled every record of the book, page and
// markup layers, each layer's reset leaves its records as a fresh program has them,
// and the paragraph text reaches the scanner only through its operations.
#include <cstring>
#include <string>

#include "book/reader_place.h"
#include "book/reset.h"
#include "book/save_file.h"
#include "markup/hotwords.h"
#include "markup/reset.h"
#include "markup/scanner.h"
#include "page/controls.h"
#include "page/geometry.h"
#include "page/page_items.h"
#include "page/page_state.h"
#include "page/reset.h"
#include "platform/headless.h"
#include "story_fixture.h"

namespace story {
namespace {

struct LayerResetTest : StoryTest {
    // A page that leaves something in every record: bold text, a word button, an answer
    // box, a hotword, an unfinished title, a failed condition, a latch taken and an arrow.
    void FillEveryRecord() {
        Scan("<B>bold <M \"Go\" 4><S (yes) 5 6><O (X %0)>{no}<n 9><H>unfinished ");
        TakeActivationLatch();
        MarkSoundPage(0);
        SetPlace({40, 30, false});
        SetSoundSetting(1);
    }
};

TEST_F(LayerResetTest, EachLayerResetLeavesItsRecordsAsAtStart) {
    FillEveryRecord();
    ASSERT_GT(PageItems().count, 0);
    ASSERT_TRUE(PageItems().buildingBold);
    ASSERT_EQ(Controls().buttonCount, 1);
    ASSERT_EQ(Controls().editCount, 1);
    ASSERT_EQ(Hotwords().count, 2);
    ASSERT_TRUE(::Scan().titleMode);
    HWND button = Controls().buttonWindows[0];
    ASSERT_TRUE(IsWindow(button));

    ResetPage();
    EXPECT_EQ(PageItems().count, 0);
    EXPECT_EQ(PageItems().bufferUsed, 0);
    EXPECT_FALSE(PageItems().buildingBold);
    EXPECT_EQ(Controls().buttonCount, 0);
    EXPECT_EQ(Controls().editCount, 0);
    EXPECT_FALSE(IsWindow(button));   // the page's controls go with their slots
    EXPECT_TRUE(PageNow().rebuildWanted);
    EXPECT_FALSE(PageNow().activationLatch);
    EXPECT_FALSE(PageNow().soundPage);
    EXPECT_EQ(PageNow().soundCheckBoxSlot, -1);
    EXPECT_EQ(PageNow().nextArrow.kind, kArrowNone);
    EXPECT_EQ(Frame().scrollOffset, 0);
    EXPECT_NE(Frame().window, nullptr);   // the window the page is drawn in stays

    ResetMarkup();
    EXPECT_EQ(Hotwords().count, 0);
    EXPECT_FALSE(::Scan().titleMode);
    EXPECT_EQ(::Scan().wordLength, 0);
    EXPECT_EQ(::Scan().paragraphText[0], 0);
    EXPECT_EQ(::Scan().lastConditionResult, 1);
    EXPECT_EQ(::Scan().state, ScannerState::BetweenWords);

    ResetBook();
    EXPECT_EQ(Place().displayedParagraph, 2);
    EXPECT_EQ(Place().storyPosition, 2);
    EXPECT_TRUE(Place().inStory);
    EXPECT_EQ(SoundSetting(), 0);
}

// A page built after the resets is the page a fresh program builds: nothing of the
// earlier page shows through, neither its bold state nor its hotwords' controls.
TEST_F(LayerResetTest, APageAfterTheResetsIsBuiltAsOnAFreshStart) {
    Scan("<M \"One\" 4><M \"Two\" 5>plain<G> ");
    const Lines fresh = Items();
    const int16_t firstControl = Hotwords().table[0].controlId;

    FillEveryRecord();
    ResetPage();
    ResetMarkup();
    Scan("<M \"One\" 4><M \"Two\" 5>plain<G> ");
    EXPECT_EQ(Items(), fresh);
    EXPECT_EQ(Hotwords().table[0].controlId, firstControl);
    EXPECT_EQ(Controls().buttonCount, 2);
}

TEST_F(LayerResetTest, ParagraphTextIsCutToTheBufferAndStaysUntilReplaced) {
    const std::string longText(kParagraphTextSize + 100, 'w');
    LoadParagraphText(longText.c_str(), longText.size());
    EXPECT_EQ(std::strlen(::Scan().paragraphText), size_t(kParagraphTextSize - 1));

    // A text with a zero inside ends there, as the scanner reads it.
    LoadParagraphText("ab <B>\0<D>", 10);
    ScanParagraph();
    EXPECT_EQ(Items(), (Lines{"text:ab ", "bold-on"}));

    // A paragraph that does not exist leaves the text that was there, and says so.
    LoadParagraph(int16_t(kParagraphRows + 1));
    EXPECT_STREQ(::Scan().paragraphText, "ab <B>");
    EXPECT_EQ(Messages(), (Lines{"Paragraph " + std::to_string(kParagraphRows + 1) + " does not exist"}));
}

}  // namespace
}  // namespace story
