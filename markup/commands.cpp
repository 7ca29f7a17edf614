// The command set: one dispatch on the command letter, the page-shaping commands
// (styles, breaks, alignment, titles, pictures, spaces, a variable's display, sound
// cues and arrows), and the hotword-overflow check that follows every command.
#include "markup/commands.h"

#include "markup/arguments.h"
#include "markup/hotword_commands.h"
#include "markup/hotwords.h"
#include "markup/scanner.h"
#include "markup/sound_cues.h"
#include "markup/variable_commands.h"
#include "page/page_items.h"
#include "book/error_message.h"
#include "page/page_state.h"

// Commands A, V, W, n, p and v take one number, with one optional space before it.
static int16_t ReadSingleNumber() {
    SkipOptionalSpace();
    return ReadNumber();
}

// ============================================================================
// Page-shaping commands
// ============================================================================

static void CommandSpace() {
    if (Scan().titleMode) AppendToWordBuffer(" ");
    else EmitText(" ");
}

static void CommandTitleEnd() {
    SetTitleMode(false);
    FlushTitle();
}

static void CommandPicture(uint8_t inlineFlag) {
    int16_t picture = ReadSingleNumber();
    if (RequirePicture(picture)) EmitPicture(picture, inlineFlag);
}

// Only the three alignments exist as page items; any other value would make an item
// of a wrong kind.
static void CommandAlignment() {
    int16_t alignment = ReadSingleNumber();
    if (alignment >= 0 && alignment <= 2) EmitAlignment(alignment);
    else ShowErrorMessage("Alignment %d is not 0, 1 or 2", alignment);
}

static void CommandSound() {
    int16_t sound = ReadSingleNumber();
    if (RequireSound(sound)) PlaySoundCue(sound);
}

// l: the variable's text joins the title in title mode and the page otherwise; a
// picture stands in the line like a word but has no place in a title.
static void CommandShowVariable() {
    SkipPast('%');
    int variable = ReadNumber();
    if (!RequireVariable(variable)) return;
    VariableShown shown = VariableDisplay(variable);
    if (shown.as == ShownAs::Text) {
        if (Scan().titleMode) AppendToWordBuffer(shown.text);
        else EmitText(shown.text);
    } else if (shown.as == ShownAs::Picture) {
        if (Scan().titleMode) ShowErrorMessage("Images not allowed in title");
        else if (RequirePicture(shown.picture)) EmitPicture(shown.picture, 1);
    }
}

// ============================================================================
// Dispatch
// ============================================================================

// Every command that is not a block command: each of them yields true.
static void RunCommand(char letter) {
    switch (letter) {
    case 'A': CommandSound(); break;
    case 'B': EmitBoldOn(); break;
    case 'C': StopSoundCue(); break;
    case 'D': EmitBoldOff(); break;
    case 'H': SetTitleMode(true); break;
    case 'J': CommandTitleEnd(); break;
    case 'N': CommandSetOwned(1); break;
    case 'P': EmitParagraphBreak(); break;
    case 'Q': CommandSetOwned(0); break;
    case 'R': CommandAssign(false); break;
    case 'T': EmitGap(); break;
    case 'U': EmitLineBreak(); break;
    case 'V': CommandPicture(0); break;
    case 'W': CommandAlignment(); break;
    case 'a': CommandSpace(); break;
    case 'l': CommandShowVariable(); break;
    case 'n': SetNextArrow(ReadSingleNumber()); break;
    case 'p': SetPreviousArrow(ReadSingleNumber()); break;
    case 'r': CommandAssign(true); break;
    case 's': CommandSaveRestart(); break;
    case 'v': CommandPicture(1); break;
    case 'M': CommandNavigate(kHotwordGo); break;
    case 'm': CommandNavigate(kHotwordGoInStory); break;
    case 'g': CommandNavigate(kHotwordGoAside); break;
    case 'L': DefineChanceHotword(kHotwordChance); break;
    case 'd': DefineChanceHotword(kHotwordPercentage); break;
    case 'S': DefineAnswerHotword(); break;
    // F, G, I, K and every letter not in the table.
    default: break;
    }
}

uint8_t ExecuteCommand() {
    char letter = Scan().commandBuffer[0];
    SetExpectsBlock(false);
    SetArgumentCursor(1);

    switch (letter) {
    case 'E': return CommandElse();
    case 'O': return CommandIf();
    case 'o': return CommandElseIf();
    case 'u':
        if (!CommandRestartButton()) return 0;
        break;
    default: RunCommand(letter); break;
    }
    if (Hotwords().count >= kHotwords) ShowErrorMessage("Hotwords structure array overflow");
    return 1;
}
