// Hotword records and the reading of hotword labels. A label is a quoted text, a
// picture ("$" n) or the display of a story variable ("%" v); each becomes the
// control that activates the record.
#include "markup/hotwords.h"

#include "markup/arguments.h"
#include "page/controls.h"

static PageHotwords hotwordTable = {};

// Takes the writes of a definition that no longer fits the table.
static Hotword spareHotword;

static char labelBuffer[kLabelBufferSize];

const PageHotwords& Hotwords() { return hotwordTable; }

void ClearHotwords() { hotwordTable.count = 0; }

Hotword& CurrentHotword() {
    int count = hotwordTable.count;
    if (count >= 0 && count < kHotwords) return hotwordTable.table[count];
    return spareHotword;
}

Hotword& BeginHotword(char kind) {
    Hotword& hotword = CurrentHotword();
    hotword = {};
    hotword.kind = kind;
    return hotword;
}

void CommitHotword() {
    if (hotwordTable.count >= 0 && hotwordTable.count < kHotwords) ++hotwordTable.count;
}

// The text up to the next double quote, cut to the label buffer; the cursor ends past
// the quote (or at the end of the command when there is none).
static void ReadQuotedLabel() {
    int length = 0;
    for (char c = CurrentCharacter(); c && c != '"'; c = CurrentCharacter()) {
        if (length < kLabelBufferSize - 1) labelBuffer[length++] = c;
        StepOver();
    }
    labelBuffer[length] = 0;
    StepOverIf('"');
}

static VariableShown PictureLabel(int picture) {
    if (!RequirePicture(picture)) return {ShownAs::Nothing, nullptr, 0};
    return {ShownAs::Picture, nullptr, int16_t(picture)};
}

static VariableShown VariableLabel(int variable) {
    if (!RequireVariable(variable)) return {ShownAs::Nothing, nullptr, 0};
    VariableShown shown = VariableDisplay(variable);
    if (shown.as == ShownAs::Picture) return PictureLabel(shown.picture);
    return shown;
}

VariableShown ReadLabel(bool quoted) {
    if (quoted) {
        ReadQuotedLabel();
        return {ShownAs::Text, labelBuffer, 0};
    }
    char c = CurrentCharacter();
    if (c == '$' || c == '%') {
        StepOver();
        int number = ReadNumber();
        return c == '$' ? PictureLabel(number) : VariableLabel(number);
    }
    return {ShownAs::Nothing, nullptr, 0};
}

void ReadLabelAndTarget(bool quoted) {
    VariableShown label = ReadLabel(quoted);
    Hotword& hotword = CurrentHotword();
    if (label.as == ShownAs::Text) hotword.controlId = AddWordButton(label.text);
    else if (label.as == ShownAs::Picture) hotword.controlId = AddPictureButton(label.picture);
    SkipOptionalSpace();
    hotword.target = ReadNumber();
}
