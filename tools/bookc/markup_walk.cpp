// Static reading of paragraph markup. The argument readers follow the reader's own
// (SkipPast, ReadNumber, one optional space), so a target found here is the target
// the reader will navigate to, one added.
#include "tools/bookc/markup_walk.h"

#include <cstring>

JoinedParagraph JoinParagraph(const ParagraphSource& paragraph) {
    JoinedParagraph joined;
    for (const SourceWord& word : paragraph.words) {
        for (size_t i = 0; i < word.text.size(); i++) {
            joined.text += word.text[i];
            joined.pos.push_back({word.pos.line, word.pos.column + static_cast<int>(i)});
        }
        joined.text += ' ';
        joined.pos.push_back({word.pos.line, word.pos.column + static_cast<int>(word.text.size())});
    }
    return joined;
}

std::vector<MarkupCommand> CommandsOf(const JoinedParagraph& joined) {
    std::vector<MarkupCommand> commands;
    bool open = false;
    MarkupCommand current;
    for (size_t i = 0; i < joined.text.size(); i++) {
        char c = joined.text[i];
        if (c == '<') {
            open = true;
            current = {std::string(), i, 0};
        } else if (c == '>' && open) {
            open = false;
            current.end = i + 1;
            commands.push_back(current);
        } else if (open) {
            current.text += c;
        }
    }
    return commands;
}

bool IsParagraphNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

bool IsCommandLetter(char letter) {
    return letter != '\0' && std::strchr("ABCDEFGHIJKLMNOPQRSTUVWadglmnoprsuv", letter) != nullptr;
}

bool IsBlockCommand(char letter) {
    return letter != '\0' && std::strchr("EOou", letter) != nullptr;
}

// ============================================================================
// Argument reading, as the command set does it
// ============================================================================

// The text up to the next `mark`; the cursor moves past the mark.
static std::string ReadUpTo(ArgumentCursor& a, char mark) {
    size_t start = a.at;
    SkipPastMark(a, mark);
    size_t end = a.at > start && a.text[a.at - 1] == mark ? a.at - 1 : a.at;
    return a.text.substr(start, end - start);
}

// ============================================================================
// Targets of each command
// ============================================================================

struct TargetReader {
    const JoinedParagraph& joined;
    const MarkupCommand& command;
    ArgumentCursor args;
    std::vector<MarkupTarget> targets;
};

static void AddTarget(TargetReader& r, const std::string& label) {
    size_t at = r.command.start + 1 + r.args.at;
    SourcePos pos = at < r.joined.pos.size() ? r.joined.pos[at] : r.joined.pos.back();
    char first = PeekArgument(r.args);
    if (first == '@') {                        // a name the compiler turns into the reference
        size_t start = ++r.args.at;
        while (IsParagraphNameChar(PeekArgument(r.args))) r.args.at++;
        r.targets.push_back({-1, pos, label, true, r.args.text.substr(start, r.args.at - start), at});
        return;
    }
    bool written = (first >= '0' && first <= '9') || first == '-' || first == '+';
    int reference = ReadArgumentNumber(r.args);
    r.targets.push_back({reference, pos, label, written, "", at});
}

// A hotword's label (quoted, "$n" picture, "%v" variable, or none), then its target.
static void LabelAndTarget(TargetReader& r, const std::string& edge) {
    ArgumentCursor& a = r.args;
    if (PeekArgument(a) == '"') {
        a.at++;
        ReadUpTo(a, '"');
    } else if (PeekArgument(a) == '$' || PeekArgument(a) == '%') {
        a.at++;
        ReadArgumentNumber(a);
    }
    StepOverMark(a, ' ');
    AddTarget(r, edge);
}

static std::string ChanceLabel(char letter, int share, int whole) {
    if (share < 0) share = 0;
    if (share > whole) share = whole;
    return std::string(1, letter) + " " + std::to_string(share) + (whole == 20 ? "/20" : "%");
}

// L and d: "label" (p1) t1 [(p2) t2 [(p3) t3]] tx.
static void ChanceTargets(TargetReader& r, char letter) {
    ArgumentCursor& a = r.args;
    int whole = letter == 'L' ? 20 : 100, taken = 0;
    SkipPastMark(a, '"');
    ReadUpTo(a, '"');
    SkipPastMark(a, '(');
    for (int choice = 0; choice < 3; choice++) {
        if (choice > 0 && PeekArgument(a) != '(') break;
        if (choice > 0) a.at++;
        int share = ReadArgumentNumber(a);
        StepOverMark(a, ')');
        StepOverMark(a, ' ');
        if (letter == 'd' || choice == 0) {
            AddTarget(r, ChanceLabel(letter, share, whole));
            taken += share;
        } else {
            if (PeekArgument(a) == '@') a.at++;      // L ignores its later choices
            while (IsParagraphNameChar(PeekArgument(a)) || PeekArgument(a) == '+') a.at++;
        }
        StepOverMark(a, ' ');
    }
    AddTarget(r, ChanceLabel(letter, whole - taken, whole));
}

// S: (answer) t1 [(answer) t2 [(answer) t3]] tx.
static void AnswerTargets(TargetReader& r) {
    ArgumentCursor& a = r.args;
    SkipPastMark(a, '(');
    for (int choice = 0; choice < 3; choice++) {
        if (choice > 0 && PeekArgument(a) != '(') break;
        if (choice > 0) a.at++;
        std::string answer = ReadUpTo(a, ')');
        StepOverMark(a, ')');
        StepOverMark(a, ' ');
        AddTarget(r, "S \"" + answer + "\"");
        StepOverMark(a, ' ');
    }
    AddTarget(r, "S else");
}

// N, Q, R, r: "%v" [operand] and, when anything follows, a label and a target.
static void VariableTargets(TargetReader& r, char letter) {
    ArgumentCursor& a = r.args;
    SkipPastMark(a, '%');
    ReadArgumentNumber(a);
    StepOverMark(a, ' ');
    if (letter == 'R' || letter == 'r') {
        if (PeekArgument(a) == '-' && a.at + 1 < a.text.size() && a.text[a.at + 1] == '%') a.at++;
        if (letter == 'R' && PeekArgument(a) == 'z') {
            a.at++;                             // a random value: no number follows
        } else {
            StepOverMark(a, '%');
            ReadArgumentNumber(a);
        }
        StepOverMark(a, ' ');
    }
    if (!ArgumentsEnd(a)) LabelAndTarget(r, std::string(1, letter));
}

// u *r "label" [t]: the target is read but never used, so only a written one counts.
static void RestartTarget(TargetReader& r) {
    ArgumentCursor& a = r.args;
    SkipPastMark(a, '*');
    ReadArgumentNumber(a);
    SkipPastMark(a, '"');
    ReadUpTo(a, '"');
    StepOverMark(a, ' ');
    if ((PeekArgument(a) >= '0' && PeekArgument(a) <= '9') || PeekArgument(a) == '@') AddTarget(r, "u");
}

std::vector<MarkupTarget> CommandTargets(const JoinedParagraph& joined, const MarkupCommand& command) {
    TargetReader r = {joined, command, {command.text, 1}, {}};
    char letter = command.text.empty() ? '\0' : command.text[0];
    switch (letter) {
    case 'M': case 'm': case 'g':
        StepOverMark(r.args, ' ');
        LabelAndTarget(r, std::string(1, letter));
        break;
    case 'L': case 'd': ChanceTargets(r, letter); break;
    case 'S': AnswerTargets(r); break;
    case 'N': case 'Q': case 'R': case 'r': VariableTargets(r, letter); break;
    case 'u': RestartTarget(r); break;
    case 'n': case 'p':
        StepOverMark(r.args, ' ');
        AddTarget(r, std::string(1, letter));
        break;
    default: break;
    }
    return r.targets;
}

bool DefinesHotword(const MarkupCommand& command) {
    char letter = command.text.empty() ? '\0' : command.text[0];
    if (letter != '\0' && std::strchr("MmgLdSu", letter) != nullptr) return true;
    if (letter == '\0' || std::strchr("NQRr", letter) == nullptr) return false;
    JoinedParagraph placeless = {" ", {{0, 0}}};
    return !CommandTargets(placeless, command).empty();
}

static int RestartAfterStar(const MarkupCommand& command, char letter) {
    if (command.text.empty() || command.text[0] != letter) return -1;
    ArgumentCursor a = {command.text, 1};
    SkipPastMark(a, '*');
    return ReadArgumentNumber(a);
}

int SavedRestart(const MarkupCommand& command) { return RestartAfterStar(command, 's'); }
int ListedRestart(const MarkupCommand& command) { return RestartAfterStar(command, 'u'); }
