// Variable and condition commands. Without a label, N, Q, R and r change the story at
// once, so later commands of the same page see the change; with a label they define a
// hotword that makes the change, with the value computed now, when it is pressed.
#include "markup/variable_commands.h"

#include "book/book_tables.h"
#include "book/story_state.h"
#include "markup/arguments.h"
#include "markup/conditions.h"
#include "markup/hotwords.h"
#include "markup/scanner.h"

// ============================================================================
// O, o, E: of a chain O {} o {} ... E {}, exactly one block is rendered
// ============================================================================

uint8_t CommandIf() {
    SetLastConditionResult(uint8_t(EvaluateCondition()));
    SetExpectsBlock(true);
    return Scan().lastConditionResult;
}

uint8_t CommandElseIf() {
    if (Scan().lastConditionResult) {
        SetExpectsBlock(true);
        return 0;
    }
    return CommandIf();
}

uint8_t CommandElse() {
    SetExpectsBlock(true);
    return Scan().lastConditionResult ? 0 : 1;
}

// ============================================================================
// N, Q, R, r
// ============================================================================

// What follows the numeric arguments: nothing (act at once) or a label and a target,
// which complete the hotword and define it. Returns whether a hotword was defined.
static bool DefineIfLabelled(Hotword hotword) {
    if (AtCommandEnd()) return false;
    bool quoted = CurrentCharacter() == '"';
    if (quoted) StepOver();
    LabelledTarget read = ReadLabelAndTarget(quoted);
    hotword.controlId = read.controlId;
    hotword.target = read.target;
    DefineHotword(hotword);
    return true;
}

void CommandSetOwned(uint8_t flag) {
    SkipPast('%');
    int variable = ReadNumber();
    SkipOptionalSpace();
    if (!RequireVariable(variable)) return;
    Hotword hotword = {};
    hotword.kind = flag ? kHotwordTake : kHotwordDrop;
    hotword.variable = int16_t(variable);
    if (!DefineIfLabelled(hotword)) SetOwnedFlag(variable, flag);
}

// The operand of R and r. A "-" directly before "%" negates a variable operand for r
// only; a literal carries its own sign; "z" draws below the target's limit for R only.
static int ReadOperand(int variable, bool relative, bool* valid) {
    bool subtract = CurrentCharacter() == '-' && NextCharacter() == '%';
    if (subtract) StepOver();
    if (CurrentCharacter() == '%') {
        StepOver();
        int source = ReadNumber();
        *valid = RequireVariable(source);
        int value = *valid ? VariableValue(source) : 0;
        return relative && subtract ? -value : value;
    }
    if (CurrentCharacter() == 'z' && !relative) {
        StepOver();
        int limit = Book().variables[variable].limit;
        return limit > 0 ? RandomNumber() % limit : RandomNumber();
    }
    return ReadNumber();
}

void CommandAssign(bool relative) {
    SkipPast('%');
    int variable = ReadNumber();
    SkipOptionalSpace();
    if (!RequireVariable(variable)) return;
    bool valid = true;
    int value = ReadOperand(variable, relative, &valid);
    if (!valid) return;
    if (relative) value += VariableValue(variable);
    value = ClampToRange(variable, value);
    SkipOptionalSpace();
    Hotword hotword = {};
    hotword.kind = kHotwordAssign;
    hotword.variable = int16_t(variable);
    hotword.value = value;
    if (!DefineIfLabelled(hotword)) SetVariableValue(variable, value);
}

// ============================================================================
// s
// ============================================================================

void CommandSaveRestart() {
    SkipPast('*');
    int restart = ReadNumber();
    if (RequireRestartPoint(restart)) SaveRestartPoint(restart);
}
