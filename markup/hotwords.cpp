// Hotword records and the reading of hotword labels. A label is a quoted text, a
// picture ("$" n) or the display of a story variable ("%" v); each becomes the
// control that activates the record.
#include "markup/hotwords.h"

#include "markup/arguments.h"
#include "page/controls.h"

static PageHotwords hotwordTable = {};

const PageHotwords& Hotwords() { return hotwordTable; }

void ClearHotwords() { hotwordTable.count = 0; }

void ResetHotwords() { hotwordTable = {}; }

void DefineHotword(const Hotword& hotword) {
    if (hotwordTable.count >= 0 && hotwordTable.count < kHotwords)
        hotwordTable.table[hotwordTable.count++] = hotword;
}

// The text up to the next double quote, cut to the label buffer; the cursor ends past
// the quote (or at the end of the command when there is none).
static void ReadQuotedLabel() {
    int length = 0;
    for (char c = CurrentCharacter(); c && c != '"'; c = CurrentCharacter()) {
        if (length < kLabelBufferSize - 1) hotwordTable.labelBuffer[length++] = c;
        StepOver();
    }
    hotwordTable.labelBuffer[length] = 0;
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
        return {ShownAs::Text, hotwordTable.labelBuffer, 0};
    }
    char c = CurrentCharacter();
    if (c == '$' || c == '%') {
        StepOver();
        int number = ReadNumber();
        return c == '$' ? PictureLabel(number) : VariableLabel(number);
    }
    return {ShownAs::Nothing, nullptr, 0};
}

LabelledTarget ReadLabelAndTarget(bool quoted) {
    VariableShown label = ReadLabel(quoted);
    LabelledTarget read = {0, 0};
    if (label.as == ShownAs::Text) read.controlId = AddWordButton(label.text);
    else if (label.as == ShownAs::Picture) read.controlId = AddPictureButton(label.picture);
    SkipOptionalSpace();
    read.target = ReadNumber();
    return read;
}
