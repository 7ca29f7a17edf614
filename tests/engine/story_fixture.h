// A small hand-made story for the interpreter tests: variables of every kind with
// limits and minimums chosen for the cases, restart points and pictures, swapped in
// for the compiled book's mutable tables while a test runs.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "book/book_tables.h"
#include "book/reader_place.h"
#include "book/reset.h"
#include "book/story_state.h"
#include "markup/commands.h"
#include "markup/hotwords.h"
#include "markup/reset.h"
#include "markup/scanner.h"
#include "page/controls.h"
#include "page/page_items.h"
#include "page/reset.h"
#include "platform/headless.h"

namespace story {

// Variable numbers of the fixture's story.
enum : int {
    kLantern = 0,   // text choices "unlit" | "lit", limit 2
    kCoins = 1,     // number, limit 1000, minimum -100
    kMap = 2,       // picture choices 7 | 8, limit 2
    kEmpty = 3,     // text choices, limit 0, no items
    kRope = 4,      // text choices, limit 5
    kScore = 5,     // text choices "0" ... "400", limit 41
    kStubborn = 6,  // text choices, limit 2 but minimum 3: the minimum wins
    kOther = 7,     // text choices, limit 5
};

inline const char* const kLanternItems[] = {"unlit", "lit"};
inline const char* const kRopeItems[] = {"frayed", "short", "long", "knotted", "coiled"};
inline const int16_t kMapItems[] = {7, 8};

inline const char* const* ScoreItems() {
    static std::string texts[41];
    static const char* items[41];
    for (int i = 0; i < 41; ++i) {
        texts[i] = std::to_string(10 * i);
        items[i] = texts[i].c_str();
    }
    return items;
}

struct StoryTest : testing::Test {
    StoryVariable variables[kStoryVariables] = {};
    RestartPoint restarts[kRestartPoints] = {};
    Snapshot snapshots[kRestartPoints] = {};
    PictureEntry pictures[kPictures] = {};
    BookTables book{};
    BookTables* saved = nullptr;

    void SetUp() override {
        saved = CompiledBook();
        book = Book();
        for (auto& v : variables) v = {"", kKindTextChoices, {0, 0}, 0, 0, 0, nullptr, nullptr};
        variables[kLantern] = {"Lantern", kKindTextChoices, {0, 0}, 2, 0, 10, kLanternItems, nullptr};
        variables[kCoins] = {"Coins", kKindNumber, {0, 0}, 1000, -100, 11, nullptr, nullptr};
        variables[kMap] = {"Map", kKindPictureChoices, {0, 0}, 2, 0, 12, nullptr, kMapItems};
        variables[kRope] = {"Rope", kKindTextChoices, {0, 0}, 5, 0, 14, kRopeItems, nullptr};
        variables[kScore] = {"Score", kKindTextChoices, {0, 0}, 41, 0, 15, ScoreItems(), nullptr};
        variables[kStubborn] = {"Stubborn", kKindTextChoices, {0, 0}, 2, 3, 16, nullptr, nullptr};
        variables[kOther] = {"Other", kKindTextChoices, {0, 0}, 5, 0, 17, nullptr, nullptr};
        for (auto& r : restarts) r = {"", 0, 0};
        for (int i = 0; i < kPictures; ++i) pictures[i] = {uint16_t(1700 + i), 0, 0};
        book.variables = variables;
        book.restartPoints = restarts;
        book.snapshots = snapshots;
        book.pictures = pictures;
        UseBook(&book);

        ResetBook();
        ResetPage();
        ResetMarkup();
        HeadlessClearMessages();
        Display(2);
        SeedRandom(1);
    }
    void TearDown() override {
        UseBook(saved);
        ClearPlace();
    }

    // The paragraph on screen, which restart points record.
    static void Display(int16_t paragraph) { SetPlace({paragraph, paragraph, true}); }

    // Runs one command as the scanner would on reading its ">".
    uint8_t Run(const std::string& command) {
        EXPECT_LT(command.size(), size_t(kCommandBufferSize));
        LoadCommand(command.c_str());
        return ExecuteCommand();
    }

    void Scan(const std::string& text) {
        EXPECT_LT(text.size(), size_t(kParagraphTextSize));
        LoadParagraphText(text.c_str(), text.size());
        ScanParagraph();
    }

    // The page has already defined `count` hotwords.
    static void DefineHotwords(int count) {
        ClearHotwords();
        Hotword blank = {};
        blank.kind = kHotwordGo;
        for (int i = 0; i < count; ++i) DefineHotword(blank);
    }

    // Sets a choice variable's state bytes directly.
    void Hold(int variable, uint8_t owned, uint8_t index) {
        variables[variable].state[0] = owned;
        variables[variable].state[1] = index;
    }

    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        for (int i = 0; i < HeadlessMessageCount(); ++i) out.push_back(HeadlessMessage(i));
        return out;
    }

    // The page as one readable line per item.
    static std::vector<std::string> Items() {
        std::vector<std::string> out;
        for (int i = 0; i < PageItems().count; ++i) {
            const PageItem& item = PageItems().items[i];
            switch (item.kind) {
            case kItemText: out.push_back("text:" + std::string(item.text)); break;
            case kItemTitle: out.push_back("title:" + std::string(item.text)); break;
            case kItemBoldOn: out.push_back("bold-on"); break;
            case kItemBoldOff: out.push_back("bold-off"); break;
            case kItemAlignLeft: out.push_back("left"); break;
            case kItemAlignCentre: out.push_back("centre"); break;
            case kItemAlignRight: out.push_back("right"); break;
            case kItemParagraphBreak: out.push_back("paragraph"); break;
            case kItemLineBreak: out.push_back("line"); break;
            case kItemGap: out.push_back("gap"); break;
            case kItemPicture:
                out.push_back("picture:" + std::to_string(item.argument) +
                              (item.inlineFlag ? " inline" : " block"));
                break;
            default: out.push_back("kind:" + std::to_string(item.kind)); break;
            }
        }
        return out;
    }
};

using Lines = std::vector<std::string>;

}  // namespace story
