// The explorer: each reading starts the story again, then takes one of the page's
// ways on at random, as a reader might: a button, an answer from the book's own list
// (or a wrong one), an arrow, back to the story, or a detour through the menu. Every
// action goes through the window procedure, exactly as a tap would.
#include "tools/play/explore.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <utility>
#include <string>
#include <vector>

#include "book/book_tables.h"
#include "book/story_state.h"
#include "markup/hotwords.h"
#include "markup/scanner.h"
#include "page/controls.h"
#include "shell/main_window.h"
#include "shell/navigation.h"
#include "platform/headless.h"
#include "shell/startup.h"
#include "shell/window_proc.h"
#include "tools/play/coverage.h"
#include "tools/play/paragraph_labels.h"

namespace {

struct Action {
    int command;           // the WM_COMMAND identifier
    int code;              // its notification code
    std::u16string typed;  // entry boxes: the answer to type
};

struct Report {
    long actions = 0;
    std::map<int, long> reached;
    std::map<std::pair<std::string, int>, long> messages;   // (text, paragraph) -> count
    std::set<int> deadEnds;
};

constexpr int kMenuDetours[] = {kCommandInformation, kCommandRestart, kCommandObjective,
                                 kCommandHints, kCommandCredits};

std::u16string Widen(const char* text) {
    std::u16string out;
    for (; *text; ++text) out += char16_t(static_cast<unsigned char>(*text));
    return out;
}

// The S hotword bound to entry box `identifier`, if the page defines one.
const Hotword* AnswerHotword(int identifier) {
    for (int i = 0; i < Hotwords().count && i < kHotwords; ++i) {
        const Hotword& hotword = Hotwords().table[i];
        if (hotword.controlId == identifier && hotword.kind == kHotwordAnswer) return &hotword;
    }
    return nullptr;
}

void AddEntryBoxActions(std::vector<Action>& actions) {
    for (int n = 0; n < Controls().editCount; ++n) {
        int identifier = kFirstEntryBoxId + n;
        if (const Hotword* hotword = AnswerHotword(identifier)) {
            for (const char* answer : {hotword->answer1, hotword->answer2, hotword->answer3})
                if (*answer) actions.push_back({identifier, EN_MAXTEXT, Widen(answer)});
        }
        actions.push_back({identifier, EN_MAXTEXT, u"no idea"});
    }
}

// Buttons that can act: on a paragraph page those bound to a hotword, on the built-in
// inventory page all of them, on the title page its command button.
void AddButtonActions(std::vector<Action>& actions) {
    for (int n = 0; n < Controls().buttonCount; ++n) {
        HWND control = Controls().buttonWindows[n];
        if (!control) continue;
        int identifier = int(GetWindowLongW(control, GWL_ID));
        bool bound = PageNow().inventoryMode || identifier < kFirstButtonId;
        for (int i = 0; !bound && i < Hotwords().count && i < kHotwords; ++i)
            bound = Hotwords().table[i].controlId == identifier;
        if (bound && identifier != kCommandSoundCheckBox)
            actions.push_back({identifier, BN_CLICKED, u""});
    }
}

std::vector<Action> WaysOn() {
    std::vector<Action> actions;
    AddButtonActions(actions);
    AddEntryBoxActions(actions);
    if (PageNow().nextArrow.kind != kArrowNone) actions.push_back({kCommandNext, 0, u""});
    if (PageNow().previousArrow.kind != kArrowNone) actions.push_back({kCommandPrevious, 0, u""});
    return actions;
}

void Perform(const Action& action) {
    if (!action.typed.empty()) {
        HWND box = Controls().editWindows[action.command - kFirstEntryBoxId];
        SetWindowTextW(box, action.typed.c_str());
    }
    SendMessageW(Frame().window, WM_COMMAND, MAKEWPARAM(action.command, action.code), 0);
    HeadlessRun();
}

void TakeMessages(Report& report) {
    for (int i = 0; i < HeadlessMessageCount(); ++i)
        ++report.messages[{HeadlessMessage(i), Place().displayedParagraph}];
    HeadlessClearMessages();
    HeadlessClearSounds();
}

void StartAgain() {
    SkipSplashes();
    SetInStory(true);
    ResetStory();
    NoteReadingStart();
    NavigateTo(2, kNavigateStory);
    HeadlessRun();
    NoteVariables();
}

void Read(std::mt19937& random, int steps, Report& report) {
    StartAgain();
    for (int step = 0; step < steps; ++step) {
        TakeMessages(report);
        if (Navigation().pageMode == kPageNone) ++report.reached[Place().displayedParagraph];
        std::vector<Action> actions = WaysOn();
        if (actions.empty() && Place().inStory) {
            report.deadEnds.insert(Place().displayedParagraph);
            return;
        }
        if (!Place().inStory && (actions.empty() || random() % 3 == 0))
            actions.push_back({kCommandBackToStory, 0, u""});
        if (random() % 25 == 0) actions.push_back({kMenuDetours[random() % 5], 0, u""});
        Perform(actions[random() % actions.size()]);
        NoteVariables();
        ++report.actions;
    }
    TakeMessages(report);
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::vector<int> Unreached(const Report& report) {
    std::vector<int> unreached;
    for (int p = 2; p <= kParagraphRows; ++p)
        if (ParagraphRow(p).pool >= 0 && !report.reached.count(p)) unreached.push_back(p);
    return unreached;
}

void PrintText(const ExploreOptions& options, const Report& report) {
    std::vector<int> unreached = Unreached(report);
    std::printf("explore: %d runs, seed %u, %ld actions\n", options.runs, options.seed, report.actions);
    std::printf("reached: %zu paragraphs\n", report.reached.size());
    std::printf("never reached:");
    for (int p : unreached) std::printf(" %s", ParagraphCalled(p).c_str());
    std::printf(unreached.empty() ? " none\n" : "\n");
    std::printf("no way on:");
    const char* comma = " ";
    for (int p : report.deadEnds) std::printf("%sparagraph %s", std::exchange(comma, ", "), ParagraphCalled(p).c_str());
    std::printf(report.deadEnds.empty() ? " none\n" : "\n");
    std::printf("message boxes: %zu\n", report.messages.size());
    for (const auto& [key, count] : report.messages)
        std::printf("  %s at paragraph %s, %ld times\n", Quoted(key.first).c_str(), ParagraphCalled(key.second).c_str(),
                    count);
    std::printf("paragraph  visits\n");
    for (const auto& [paragraph, count] : report.reached) {
        std::string name = ParagraphCalled(paragraph).substr(std::to_string(paragraph).size());
        std::printf("%9d  %ld%s\n", paragraph, count, name.c_str());
    }
    if (options.coverage) PrintCoverageText(report.reached);
}

void PrintJson(const ExploreOptions& options, const Report& report) {
    std::printf("{\"runs\": %d, \"seed\": %u, \"actions\": %ld, \"reached\": {", options.runs,
                options.seed, report.actions);
    const char* comma = "";
    for (const auto& [paragraph, count] : report.reached) {
        std::printf("%s\"%d\": %ld", comma, paragraph, count);
        comma = ", ";
    }
    std::printf("}, \"unreached\": [");
    comma = "";
    for (int p : Unreached(report)) std::printf("%s%d", std::exchange(comma, ", "), p);
    std::printf("], \"dead_ends\": [");
    comma = "";
    for (int p : report.deadEnds) std::printf("%s%d", std::exchange(comma, ", "), p);
    std::printf("], \"messages\": [");
    comma = "";
    for (const auto& [key, count] : report.messages)
        std::printf("%s{\"text\": %s, \"paragraph\": %d, \"count\": %ld}", std::exchange(comma, ", "),
                    Quoted(key.first).c_str(), key.second, count);
    std::printf("]");
    if (options.coverage) std::printf(", %s", CoverageJson().c_str());
    std::printf("}\n");
}

// ---------------------------------------------------------------------------
// Routes
// ---------------------------------------------------------------------------

// The script line that does what `action` does; "" for an action a script cannot
// repeat exactly (an answer typed into a box that does not have the focus).
std::string ScriptLine(const Action& action) {
    switch (action.command) {
    case kCommandNext: return "tool next";
    case kCommandPrevious: return "tool previous";
    case kCommandBackToStory: return "tool back";
    default: break;
    }
    if (action.command < kFirstEntryBoxId || action.command >= kFirstButtonId)
        return "control " + std::to_string(action.command);
    HWND box = Controls().editWindows[action.command - kFirstEntryBoxId];
    if (GetFocus() != box) return "";
    std::string typed;
    for (char16_t c : action.typed) typed += char(c);   // the book's answers are Latin-1
    std::string utf8;
    for (unsigned char c : typed) {
        if (c < 0x80) utf8 += char(c);
        else utf8 += char(0xC0 | (c >> 6)), utf8 += char(0x80 | (c & 0x3F));
    }
    return "type " + Quoted(utf8) + "\nkey Return";
}

bool AtParagraph(int paragraph) {
    return Navigation().pageMode == kPageNone && Place().inStory && Place().displayedParagraph == paragraph;
}

// Where a reading stands between actions: the page and the whole story. A reading
// that stands again where it stood before has gone round a loop.
struct Standing {
    StoryStateImage story;
    ReaderPlace place;
    int32_t pageMode;
};

Standing StandingNow() {
    Standing standing;
    CaptureStoryState(&standing.story);
    standing.place = Place();
    standing.pageMode = Navigation().pageMode;
    return standing;
}

bool SameStanding(const Standing& a, const Standing& b) {
    return a.place.displayedParagraph == b.place.displayedParagraph &&
           a.place.storyPosition == b.place.storyPosition && a.place.inStory == b.place.inStory &&
           a.pageMode == b.pageMode && std::memcmp(&a.story, &b.story, sizeof a.story) == 0;
}

// A reading's actions, their script lines, and where it stood before each and after
// the last.
struct Reading {
    std::vector<Action> actions;
    std::vector<std::string> lines;
    std::vector<Standing> standings;
};

// The actions a script can repeat from where the reading stands now.
std::vector<Action> ScriptableWaysOn() {
    std::vector<Action> actions;
    for (const Action& action : WaysOn())
        if (!ScriptLine(action).empty()) actions.push_back(action);
    if (!Place().inStory) actions.push_back({kCommandBackToStory, 0, u""});
    return actions;
}

// One reading from seed `seed` that stops at `paragraph` or after `steps` actions;
// false when it did not arrive.
bool ReadTowards(int paragraph, uint32_t seed, size_t steps, std::mt19937& random, Reading& reading) {
    SeedRandom(seed);
    StartAgain();
    reading = {};
    reading.standings.push_back(StandingNow());
    while (!AtParagraph(paragraph)) {
        HeadlessClearMessages();
        std::vector<Action> actions = ScriptableWaysOn();
        if (actions.empty() || reading.actions.size() >= steps) return false;
        reading.actions.push_back(actions[random() % actions.size()]);
        reading.lines.push_back(ScriptLine(reading.actions.back()));
        Perform(reading.actions.back());
        reading.standings.push_back(StandingNow());
    }
    return true;
}

// The reading's actions without the loops it went round: from each place it stood, on
// from the last time it stood there.
std::vector<Action> WithoutLoops(const Reading& reading) {
    std::vector<Action> kept;
    for (size_t at = 0;;) {
        for (size_t later = reading.standings.size() - 1; later > at; --later)
            if (SameStanding(reading.standings[later], reading.standings[at])) {
                at = later;
                break;
            }
        if (at == reading.actions.size()) return kept;
        kept.push_back(reading.actions[at++]);
    }
}

// Plays `actions` from a fresh start with seed `seed` and gives their script lines;
// false unless each was a way on where it was taken and they end at `paragraph` (a
// chance draw can come out otherwise once a loop that drew is cut).
bool Replay(int paragraph, uint32_t seed, const std::vector<Action>& actions, std::vector<std::string>& lines) {
    SeedRandom(seed);
    StartAgain();
    lines.clear();
    for (const Action& action : actions) {
        HeadlessClearMessages();
        bool offered = false;
        for (const Action& way : ScriptableWaysOn())
            offered = offered || (way.command == action.command && way.code == action.code && way.typed == action.typed);
        if (!offered) return false;
        lines.push_back(ScriptLine(action));
        Perform(action);
    }
    return AtParagraph(paragraph);
}

}  // namespace

int RouteReader(const RouteOptions& options) {
    HeadlessStart();
    if (!StartReader(SW_SHOW)) return 1;
    SetAutosave(false);
    HeadlessSetAnswer(HeadlessAnswer::Default);
    std::mt19937 random(options.seed);
    Reading best, reading;
    uint32_t bestSeed = 0;
    bool found = false;
    for (int run = 0; run < options.runs; ++run) {
        uint32_t seed = options.seed + uint32_t(run);
        size_t limit = found ? best.actions.size() - 1 : size_t(options.steps);
        if (found && best.actions.empty()) break;
        if (!ReadTowards(options.paragraph, seed, limit, random, reading)) continue;
        best = std::move(reading);
        bestSeed = seed;
        found = true;
    }
    std::vector<std::string> lines;
    bool cut = found && Replay(options.paragraph, bestSeed, WithoutLoops(best), lines) &&
               lines.size() < best.actions.size();
    if (!cut) lines = best.lines;
    PostMessageW(Frame().window, WM_CLOSE, 0, 0);
    RunMessageLoop();
    StopReader();
    if (!found) {
        std::fprintf(stderr, "qh-play: no reading of %d from a fresh start reached paragraph %d in %d steps or fewer\n",
                     options.runs, options.paragraph, options.steps);
        return 1;
    }
    std::printf("seed %u\ngoto 2\n", bestSeed);
    for (const std::string& line : lines) std::printf("%s\n", line.c_str());
    std::fprintf(stderr, "qh-play: route to paragraph %d: %zu steps, seed %u (the shortest of %d readings",
                 options.paragraph, lines.size(), bestSeed, options.runs);
    if (cut) std::fprintf(stderr, ", %zu steps before the loops it went round were cut", best.actions.size());
    std::fprintf(stderr, ")\n");
    return 0;
}

int Explore(const ExploreOptions& options) {
    std::mt19937 random(options.seed);
    SeedRandom(options.seed);
    HeadlessSetAnswer(HeadlessAnswer::Default);
    Report report;
    if (options.coverage) StartCoverage();
    for (int run = 0; run < options.runs; ++run) Read(random, options.steps, report);
    StopCoverage();
    if (options.json) PrintJson(options, report);
    else PrintText(options, report);
    return report.messages.empty() ? 0 : 1;
}

int ExploreReader(const ExploreOptions& options) {
    HeadlessStart();
    if (!StartReader(SW_SHOW)) return 1;
    SetAutosave(false);
    int code = Explore(options);
    PostMessageW(Frame().window, WM_CLOSE, 0, 0);
    RunMessageLoop();
    StopReader();
    return code;
}
