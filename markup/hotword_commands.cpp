// Hotword definitions with their own argument syntax. Each reads its record whole,
// creating its control on the way, and then defines it.
#include "markup/hotword_commands.h"

#include <cstring>
#include <initializer_list>

#include "book/book_tables.h"
#include "markup/arguments.h"
#include "markup/hotwords.h"
#include "markup/scanner.h"
#include "page/controls.h"

constexpr int kAnswerBufferSize = 24;

void CommandNavigate(HotwordKind kind) {
    Hotword hotword = {};
    hotword.kind = kind;
    SkipOptionalSpace();
    bool quoted = CurrentCharacter() == '"';
    if (quoted) StepOver();
    LabelledTarget read = ReadLabelAndTarget(quoted);
    hotword.controlId = read.controlId;
    hotword.target = read.target;
    DefineHotword(hotword);
}

uint8_t CommandRestartButton() {
    SkipPast('*');
    int restart = ReadNumber();
    SetExpectsBlock(true);
    if (!RequireRestartPoint(restart) || !Book().restartPoints[restart].used) return 0;
    Hotword hotword = {};
    hotword.kind = kHotwordRestart;
    hotword.variable = int16_t(restart);
    SkipPast('"');
    LabelledTarget read = ReadLabelAndTarget(true);
    hotword.controlId = read.controlId;
    hotword.target = read.target;
    DefineHotword(hotword);
    // The restart point's label follows its button, whether in a title or not.
    AppendToWordBuffer(Book().restartPoints[restart].label);
    AppendToWordBuffer(" ");
    return 1;
}

// Steps over ")" and then one space, as written after every percentage or answer.
static void StepOverCloseAndSpace() {
    StepOverIf(')');
    SkipOptionalSpace();
}

// Reads text up to the next `end` into buffer (cut to size - 1), past the `end`.
static void ReadUpTo(char end, char* buffer, int size) {
    int length = 0;
    for (char c = CurrentCharacter(); c && c != end; c = CurrentCharacter()) {
        if (length < size - 1) buffer[length++] = c;
        StepOver();
    }
    buffer[length] = 0;
    StepOverIf(end);
}

// The percentages are kept as signed 8-bit running totals; a choice at "(" adds one.
static bool ReadFurtherChoice(int8_t* threshold, int8_t base, int16_t* target) {
    if (CurrentCharacter() != '(') return false;
    StepOver();
    *threshold = int8_t(base + ReadNumber());
    StepOverCloseAndSpace();
    *target = ReadNumber();
    SkipOptionalSpace();
    return true;
}

void DefineChanceHotword(HotwordKind kind) {
    Hotword hotword = {};
    hotword.kind = kind;
    SkipPast('"');
    hotword.controlId = AddWordButton(ReadLabel(true).text);
    SkipPast('(');
    hotword.value = int8_t(ReadNumber());
    StepOverCloseAndSpace();
    hotword.target = ReadNumber();
    SkipOptionalSpace();
    int8_t first = int8_t(hotword.value);
    if (!ReadFurtherChoice(&hotword.threshold2, first, &hotword.target2)) hotword.threshold2 = 0;
    if (!ReadFurtherChoice(&hotword.threshold3, hotword.threshold2, &hotword.target3))
        hotword.threshold3 = 0;
    hotword.otherTarget = ReadNumber();
    DefineHotword(hotword);
}

// One answer "(" text ")" target, copied into its 20-character field; returns its length.
static int ReadAnswer(char* field, int16_t* target) {
    char answer[kAnswerBufferSize];
    ReadUpTo(')', answer, kAnswerBufferSize);
    size_t length = std::strlen(answer);   // cut to the field: 19 characters
    if (length > size_t(kAnswerSize - 1)) length = kAnswerSize - 1;
    std::memcpy(field, answer, length);
    field[length] = 0;
    StepOverCloseAndSpace();
    *target = ReadNumber();
    SkipOptionalSpace();
    return int(std::strlen(field));
}

void DefineAnswerHotword() {
    Hotword hotword = {};
    hotword.kind = kHotwordAnswer;
    SkipPast('(');
    int longest = ReadAnswer(hotword.answer1, &hotword.target);
    hotword.answer2[0] = 0;
    hotword.answer3[0] = 0;
    for (char* field : {hotword.answer2, hotword.answer3}) {
        if (CurrentCharacter() != '(') break;
        StepOver();
        int16_t* target = field == hotword.answer2 ? &hotword.target2 : &hotword.target3;
        int length = ReadAnswer(field, target);
        if (length > longest) longest = length;
    }
    hotword.otherTarget = ReadNumber();
    hotword.controlId = AddEntryBox(int16_t(longest));
    DefineHotword(hotword);
}
