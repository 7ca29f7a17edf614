// The live preview on the headless backend: a copy of the test book is compiled from
// source, the reader shows it, and the tests edit the copy as an author would. The
// watch is the real inotify one; its timer runs on the virtual clock.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "book/book_tables.h"
#include "book/story_state.h"
#include "platform/headless.h"
#include "platform/win32.h"
#include "shell/live_preview.h"
#include "shell/main_window.h"
#include "shell/navigation.h"
#include "shell/startup.h"
#include "driver/page_dump.h"

namespace fs = std::filesystem;

static fs::path folder;
static fs::path source;
static std::string original;

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every write is a change the watch sees, and a reload rebuilds the page from the story
// as it stood when the page was entered: the tests write only what differs.
std::string written;
void WriteAll(const std::string& text) {
    if (text == written) return;
    std::ofstream out(source, std::ios::trunc);
    out << text;
    written = text;
}

// The source with one piece of text replaced.
std::string Edited(const std::string& from, const std::string& to) {
    std::string text = original;
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// Long enough for the watch to see the change and then one quiet tick.
void LetTheWatchRun() { HeadlessAdvance(4 * kPreviewInterval); }

std::string FirstLines(int n) {
    std::string dump = PageDump();
    size_t end = 0;
    for (int i = 0; i < n && end != std::string::npos; ++i) end = dump.find('\n', end + 1);
    return dump.substr(0, end);
}

void GoTo(int paragraph) {
    WriteAll(original);
    LetTheWatchRun();
    SkipSplashes();
    NavigateTo(int16_t(paragraph), kNavigateStory);
    HeadlessRun();
    HeadlessClearMessages();
}

TEST(Preview, AnEditedParagraphIsRebuiltInPlaceAndItsCommandsRunOnce) {
    GoTo(21);   // R sets the crew to 12 and r takes one away while the page is built
    ASSERT_EQ(VariableValue(1), 11);
    const BookTables* before = &Book();
    WriteAll(Edited("<H>Workshop<J>", "<H>Smithy<J>"));
    LetTheWatchRun();
    EXPECT_NE(&Book(), before);
    EXPECT_EQ(FirstLines(3), "page paragraph=21 story=21 in-story=1 mode=0\n"
                             "tools back=0 previous=0 next=0\n"
                             "item title \"Smithy\"");
    EXPECT_EQ(VariableValue(1), 11);
    EXPECT_EQ(HeadlessMessageCount(), 0);
}

TEST(Preview, VariablesAndRestartPointsSurviveAReload) {
    GoTo(8);                          // <s *0>: restart 0 records paragraph 8
    SetVariableValue(3, 2);           // "the keeper"
    SaveRestartPoint(1);              // declared with paragraph=19; records 8 now
    GoTo(12);                         // a page without commands: the entry state is the above
    WriteAll(Edited("sailors at the Café", "sailors in the Café"));
    LetTheWatchRun();
    EXPECT_TRUE(PageDump().find("sailors in the Café") != std::string::npos) << PageDump();
    EXPECT_EQ(VariableValue(3), 2);
    EXPECT_EQ(Book().restartPoints[0].used, 1);
    EXPECT_EQ(Book().restartPoints[0].paragraph, 7);
    EXPECT_EQ(Book().restartPoints[1].used, 1);
    EXPECT_EQ(Book().restartPoints[1].paragraph, 7);
    EXPECT_EQ(Book().restartPoints[2].used, 0);
    EXPECT_EQ(Place().storyPosition, 12);
}

TEST(Preview, F5ReloadsAtOnce) {
    GoTo(11);
    WriteAll(Edited("The lantern is <l %0>.", "The lamp is <l %0>."));
    HeadlessKey(VK_F5);
    EXPECT_TRUE(PageDump().find("The lamp is") != std::string::npos) << PageDump();
}

// The author sees the box; while it is up they fix the source, and the good save
// closes the box without a tap.
int boxWaits = 0;
bool FixWhileTheBoxIsUp() {
    if (++boxWaits > 3) return false;
    EXPECT_NE(FindWindowW(u"#msgbox", nullptr), nullptr);
    WriteAll(Edited("<H>Lantern<J>", "<H>Lamp<J>"));
    LetTheWatchRun();
    return true;
}

TEST(Preview, ABrokenEditKeepsThePageAndShowsTheErrorsUntilTheNextGoodSave) {
    GoTo(11);
    const BookTables* before = &Book();
    std::string broken = Edited("variable 5: ", "variable 99: ");
    broken += "\nparagraph 400:\nNowhere. <G>\n";
    HeadlessSetAnswer(HeadlessAnswer::Interactive);
    HeadlessSetIdleHandler(FixWhileTheBoxIsUp);
    boxWaits = 0;
    WriteAll(broken);
    LetTheWatchRun();
    HeadlessSetIdleHandler(nullptr);
    HeadlessSetAnswer(HeadlessAnswer::Default);
    ASSERT_EQ(HeadlessMessageCount(), 1);
    std::string shown = HeadlessMessage(0);
    EXPECT_EQ(shown.find("test.book:37:10: variable number 99"), 0u) << shown;
    EXPECT_EQ(boxWaits, 1);                                   // closed by the fix, not by a tap
    EXPECT_EQ(FindWindowW(u"#msgbox", nullptr), nullptr);
    EXPECT_NE(&Book(), before);
    EXPECT_EQ(FirstLines(3).substr(FirstLines(3).rfind('\n') + 1), "item title \"Lamp\"");
}

// The report holds every error, each as name:line:col: message with the book's file
// name only; the box shows the whole messages that fit and says how many more there are.
TEST(Preview, TheReportNamesEveryErrorAndTheBoxShowsWholeLines) {
    std::string broken = original;
    for (int n = 400; n < 420; ++n) broken += "\nparagraph " + std::to_string(n) + ":\nNowhere. <G>\n";
    WriteAll(broken);
    char errors[kPreviewErrorText];
    EXPECT_EQ(BookSourceCompiler().compile(source.c_str(), errors, sizeof errors), nullptr);
    std::istringstream lines(errors);
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        EXPECT_EQ(line.rfind("test.book:", 0), 0u) << line;
        EXPECT_NE(line.find(": paragraph number " + std::to_string(400 + count) + " is out of range"), std::string::npos) << line;
        ++count;
    }
    EXPECT_EQ(count, 20);
    HeadlessClearMessages();
    LetTheWatchRun();
    ASSERT_EQ(HeadlessMessageCount(), 1);
    std::string shown = HeadlessMessage(0);
    EXPECT_NE(shown.find("test.book:"), std::string::npos) << shown;
    EXPECT_NE(shown.find("paragraph number 400 is out of range (1 to 361)"), std::string::npos) << shown;
    EXPECT_NE(shown.find(" more on standard error"), std::string::npos) << shown;
    WriteAll(original);
    LetTheWatchRun();
    HeadlessClearMessages();
}

// A reload whose warnings differ from the last compile's shows them: a button to a
// paragraph the book does not have is no longer silent.
TEST(Preview, NewWarningsAreShownOnReload) {
    GoTo(11);
    HeadlessClearMessages();
    WriteAll(Edited("paragraph 11:", "paragraph 11:\n<M \"Nowhere\" 300>"));
    LetTheWatchRun();
    ASSERT_EQ(HeadlessMessageCount(), 1);
    EXPECT_NE(std::string(HeadlessMessage(0)).find("the M target leads to paragraph 301"), std::string::npos)
        << HeadlessMessage(0);
    HeadlessClearMessages();
    WriteAll(original);
    LetTheWatchRun();
    HeadlessClearMessages();
}

TEST(Preview, AFailedCompileLeavesTheBookAndPageAsTheyWere) {
    GoTo(11);
    const BookTables* before = &Book();
    std::string dump = PageDump();
    WriteAll(Edited("paragraph 11:", "paragraph 11:\n<H>Other<J> é\xff <G>\nparagraph 11:"));
    LetTheWatchRun();
    EXPECT_EQ(&Book(), before);
    EXPECT_EQ(HeadlessMessageCount(), 1);
    HeadlessClearMessages();
    EXPECT_EQ(PageDump(), dump);
    EXPECT_EQ(Place().displayedParagraph, 11);
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    char made[] = "/tmp/qh-preview-tests-XXXXXX";
    if (!mkdtemp(made)) return 1;
    folder = made;
    fs::copy("tests/books/test.book", folder / "test.book");
    fs::copy("tests/books/art", folder / "art", fs::copy_options::recursive);
    source = folder / "test.book";
    original = ReadAll(source);
    written = original;
    setenv("XDG_DATA_HOME", (folder / "state").c_str(), 1);
    char errors[kPreviewErrorText];
    BookTables* first = BookSourceCompiler().compile(source.c_str(), errors, sizeof errors);
    if (!first) return 1;
    UseBook(first);
    FollowBookSource(BookSourceCompiler(), source.c_str(), first, errors);
    HeadlessStart();
    if (!StartReader(SW_SHOW)) return 1;
    StartWatchingBookSource();
    int result = RUN_ALL_TESTS();
    fs::remove_all(folder);
    return result;
}
