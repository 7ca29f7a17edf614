// Differential fuzz target: the checker's verdict on a command against the reader's
// own reading of it. The first byte chooses the kind of input: even, a condition
// (the text after "O "), judged by the checker and evaluated by the reader under a
// few story states; odd, any command, checked and then scanned on a page. A finding
// is a command the checker passes that the reader reports on or reads otherwise than
// its plain form, or one the checker says the reader reports on that it does not.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "markup/condition_form.h"
#include "markup/conditions.h"
#include "tests/fuzz/fuzz_engine.h"
#include "tools/bookc/markup_check.h"
#include "tools/bookc/source_reader.h"

// The test book twice: as the engine has it compiled in, and as the checker reads it.
static std::unique_ptr<BookModel> model;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    StartEngineHost();
    model = std::make_unique<BookModel>();
    Diagnostics diag;
    diag.echo = nullptr;
    diag.file = "test.book";
    if (!ReadBookSource(QH_SOURCE_DIR "/tests/books/test.book", diag, *model) || !FinishBook(*model, diag))
        std::abort();
    return 0;
}

// The command text as a book can hold it: no markup characters, no zero, blanks as
// the book joins them (one space between words), cut well inside the command buffer.
static std::string CommandText(const uint8_t* data, size_t size) {
    std::string text;
    for (size_t i = 0; i < size && text.size() < 300; ++i) {
        char c = char(data[i]);
        if (c == '<' || c == '>' || c == '{' || c == '}' || c == 0 || c == '\t' || c == '\n' || c == '\r') c = ' ';
        if (c == ' ' && !text.empty() && text.back() == ' ') continue;
        text += c;
    }
    return text;
}

// ---------------------------------------------------------------------------
// Conditions
// ---------------------------------------------------------------------------

static bool EngineHas(void*, int v) { return v >= 0 && v < kStoryVariables; }
static int EngineValue(void*, int v) { return VariableValue(v); }
static int EngineOwned(void*, int v) { return int8_t(OwnedFlag(v)); }
static void EngineReport(void*, const char*) {}

// Story state number s of a few: values around the small numbers conditions use.
static void HoldState(int s, uint32_t mix) {
    for (int k = 0; k < kStoryVariables; ++k) {
        uint32_t h = (uint32_t(k) * 2654435761u) ^ (mix + uint32_t(s) * 40503u);
        if (Book().variables[k].kind == kKindNumber) {
            SetVariableValue(k, int(h % 9) - 1);
        } else {
            SetVariableValue(k, int(h % 5));
            SetOwnedFlag(k, uint8_t((h >> 8) & 1));
        }
    }
}

static void FuzzCondition(const std::string& condition, uint32_t mix) {
    std::string text = "O " + condition;
    std::string why;
    int at = 0;
    if (JudgeCondition(*model, text, &why, &at) != ConditionVerdict::Plain) return;
    static const ConditionStory engine = {EngineHas, EngineValue, EngineOwned, EngineReport, nullptr};
    for (int s = 0; s < 4; ++s) {
        ResetFuzzPage();
        HoldState(s, mix);
        LoadCommand(text.c_str());
        int read = EvaluateCondition() != 0;
        if (HeadlessMessageCount() != 0) __builtin_trap();        // passed, yet the reader reports
        PlainCondition plain = ReadPlainCondition(text.c_str(), 2, engine);
        if (!plain.ok || plain.value != read) __builtin_trap();   // passed, yet read otherwise
    }
}

// ---------------------------------------------------------------------------
// Any command
// ---------------------------------------------------------------------------

// An error that says the reader will report a number outside its table. Read from
// the message's start: other messages may quote the command, whatever it holds.
static bool ClaimsAReport(const Diagnostics& diag) {
    for (const std::string& line : diag.lines) {
        size_t at = line.find(": error: ");
        if (at == std::string::npos) continue;
        std::string message = line.substr(at + 9);
        for (const char* table : {"variable ", "picture ", "sound ", "restart point ", "alignment "})
            if (message.rfind(table, 0) == 0 && message.find(": the reader reports") != std::string::npos) return true;
    }
    return false;
}

static void FuzzCommand(const std::string& command) {
    if (command.empty() || command[0] == 'O' || command[0] == 'o') return;   // the conditions' own half
    ParagraphSource paragraph;
    paragraph.declared = true;
    std::string joined = "<" + command + "> <G>";
    for (size_t at = 0; at < joined.size();) {
        size_t end = joined.find(' ', at);
        if (end == std::string::npos) end = joined.size();
        if (end > at) paragraph.words.push_back({joined.substr(at, end - at), {1, int(at) + 1}});
        at = end + 1;
    }
    JoinedParagraph text = JoinParagraph(paragraph);
    Diagnostics diag;
    diag.echo = nullptr;
    for (const MarkupCommand& each : CommandsOf(text)) CheckCommandReading(*model, text, each, diag);

    ResetFuzzPage();
    LoadParagraphText(text.text.c_str(), text.text.size());
    ScanParagraph();
    bool reported = HeadlessMessageCount() != 0;
    if (diag.errors == 0 && diag.warnings == 0 && reported) __builtin_trap();   // passed, yet reported
    if (ClaimsAReport(diag) && !reported) __builtin_trap();                     // a report that never comes
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::string text = CommandText(data + 1, size - 1);
    if (data[0] % 2 == 0) FuzzCondition(text, data[0]);
    else FuzzCommand(text);
    return 0;
}
