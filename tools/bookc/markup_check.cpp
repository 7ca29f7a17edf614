// How each command will be read. A condition is read twice: in plain form, strictly,
// and by the reader's condition machine over every combination of the values that
// could decide it; the two must agree and the machine must report nothing. The
// other commands' numbers are read with the reader's argument readers.
#include "tools/bookc/markup_check.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <vector>

#include "markup/condition_form.h"

// ---------------------------------------------------------------------------
// References
// ---------------------------------------------------------------------------

static SourcePos PosAt(const JoinedParagraph& joined, const MarkupCommand& command, size_t offset) {
    size_t at = command.start + 1 + offset;
    return at < joined.pos.size() ? joined.pos[at] : joined.pos.back();
}

static bool CheckVariable(const BookModel& book, int variable, SourcePos pos, Diagnostics& diag) {
    if (variable < 0 || variable >= kStoryVariables) {
        ReportError(diag, pos, "variable %d does not exist (0 to %d): the reader reports \"Story variable %d does not exist\"",
                    variable, kStoryVariables - 1, variable);
        return false;
    }
    if (book.variables[variable].declared) return true;
    ReportError(diag, pos, "variable %d is not declared: it has no name, limit 0 and never holds a value", variable);
    return false;
}

static void CheckPicture(const BookModel& book, int picture, SourcePos pos, Diagnostics& diag) {
    if (picture < 0 || picture >= kPictures)
        ReportError(diag, pos, "picture %d does not exist (0 to %d): the reader reports \"Picture %d does not exist\"",
                    picture, kPictures - 1, picture);
    else if (!book.pictures[picture].declared)
        ReportError(diag, pos, "picture %d is not declared: the reader shows nothing here", picture);
}

static void CheckSound(const BookModel& book, int sound, SourcePos pos, Diagnostics& diag) {
    if (sound < 0 || sound >= kSounds)
        ReportError(diag, pos, "sound %d does not exist (0 to %d): the reader reports \"Sound %d does not exist\"",
                    sound, kSounds - 1, sound);
    else if (!book.sounds[sound].declared)
        ReportError(diag, pos, "sound %d is not declared: the reader plays nothing here", sound);
}

static void CheckRestart(int restart, SourcePos pos, Diagnostics& diag) {
    if (restart < 0 || restart >= kRestartPoints)
        ReportError(diag, pos, "restart point %d does not exist (0 to %d): the reader reports \"Restart point %d does not exist\"",
                    restart, kRestartPoints - 1, restart);
}

// ---------------------------------------------------------------------------
// Conditions
// ---------------------------------------------------------------------------

// One assignment of the story: each variable's value and owned flag.
struct TrialStory {
    const BookModel& book;
    std::vector<int> value, owned;     // by variable number
    std::string report;                // the machine's first message
};

static bool TrialExists(void*, int variable) { return variable >= 0 && variable < kStoryVariables; }
static int TrialValue(void* c, int v) { return static_cast<TrialStory*>(c)->value[size_t(v)]; }
static int TrialOwned(void* c, int v) { return static_cast<TrialStory*>(c)->owned[size_t(v)]; }
static void TrialReport(void* c, const char* message) {
    TrialStory& s = *static_cast<TrialStory*>(c);
    if (s.report.empty()) s.report = message;
}

struct Seen {
    std::vector<std::pair<int, int>> variables;   // (variable, index of its "%")
};

static void NoteVariable(void* c, int variable, int at) { static_cast<Seen*>(c)->variables.push_back({variable, at}); }

// The values worth trying for a variable: small ones and either side of every number
// the condition compares with.
static std::vector<int> CandidateValues(const std::string& text) {
    std::set<int> values = {-1, 0, 1, 2};
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] < '0' || text[i] > '9' || (i > 0 && (text[i - 1] == '%' || (text[i - 1] >= '0' && text[i - 1] <= '9'))))
            continue;
        int n = 0;
        for (size_t j = i; j < text.size() && text[j] >= '0' && text[j] <= '9' && n < 100000; j++) n = n * 10 + (text[j] - '0');
        for (int d = -1; d <= 1; d++) values.insert(n + d);
    }
    return std::vector<int>(values.begin(), values.end());
}

// Sets trial number k of the combinations (or a spread-out draw when there are too many).
static void SetTrial(TrialStory& story, const std::vector<int>& variables, const std::vector<int>& candidates,
                     uint64_t k) {
    for (int v : variables) {
        size_t choices = candidates.size() * 2;
        size_t pick = size_t(k % choices);
        k /= choices;
        int value = candidates[pick / 2];
        bool number = story.book.variables[size_t(v)].kind == kKindNumber;
        story.value[size_t(v)] = number ? value : (value & 0xFF);
        story.owned[size_t(v)] = number ? int(int8_t(value & 0xFF)) : int(pick % 2);
    }
}

constexpr uint64_t kMostTrials = 4096;

ConditionVerdict JudgeCondition(const BookModel& book, const std::string& commandText, std::string* why, int* at) {
    int start = commandText.size() > 1 && commandText[1] == ' ' ? 2 : 1;
    TrialStory story = {book, std::vector<int>(kStoryVariables, 0), std::vector<int>(kStoryVariables, 0), ""};
    ConditionStory reading = {TrialExists, TrialValue, TrialOwned, TrialReport, &story};
    Seen seen;
    PlainCondition plain = ReadPlainCondition(commandText.c_str(), start, reading, NoteVariable, &seen);
    if (!plain.ok) {
        *why = plain.fault;
        *at = plain.faultAt;
        return ConditionVerdict::NotPlain;
    }
    std::vector<int> variables;
    for (auto [variable, where] : seen.variables) {
        if (variable < 0 || variable >= kStoryVariables || !book.variables[size_t(variable)].declared) {
            *at = where;
            return ConditionVerdict::BadReference;
        }
        if (std::find(variables.begin(), variables.end(), variable) == variables.end()) variables.push_back(variable);
    }
    std::vector<int> candidates = CandidateValues(commandText);
    uint64_t combinations = 1;
    for (size_t i = 0; i < variables.size() && combinations <= kMostTrials; i++) combinations *= candidates.size() * 2;
    uint64_t trials = std::min(combinations, kMostTrials);
    for (uint64_t t = 0; t < trials; t++) {
        SetTrial(story, variables, candidates, combinations <= kMostTrials ? t : t * 2654435761u);
        int end = 0;
        int machine = RunConditionMachine(commandText.c_str(), start, reading, &end) != 0;
        int expected = ReadPlainCondition(commandText.c_str(), start, reading).value;
        *at = start;
        if (!story.report.empty()) {
            *why = "the reader reports \"" + story.report + "\"";
            return ConditionVerdict::ReaderReports;
        }
        if (machine != expected) {
            *why = "the reader's result differs from the written one when";
            for (int v : variables)
                *why += " %" + std::to_string(v) + " = " + std::to_string(story.value[size_t(v)]) +
                        (story.owned[size_t(v)] ? " (owned)" : "");
            return ConditionVerdict::ReadDifferently;
        }
    }
    return ConditionVerdict::Plain;
}

// The text between a command's ">" and the next "{" or "<": a ">" there means an
// earlier ">" cut the command short.
static size_t CutAt(const JoinedParagraph& joined, const MarkupCommand& command) {
    for (size_t i = command.end; i < joined.text.size(); i++) {
        char c = joined.text[i];
        if (c == '{' || c == '<' || c == '}') break;
        if (c == '>') return command.end - 1;
    }
    return std::string::npos;
}

static void CheckCondition(const BookModel& book, const JoinedParagraph& joined, const MarkupCommand& command,
                           Diagnostics& diag) {
    std::string why;
    int at = 0;
    ConditionVerdict verdict = JudgeCondition(book, command.text, &why, &at);
    if (verdict == ConditionVerdict::Plain) return;
    if (verdict == ConditionVerdict::BadReference) {
        ArgumentCursor a = {command.text, size_t(at + 1)};
        CheckVariable(book, ReadArgumentNumber(a), PosAt(joined, command, size_t(at)), diag);
        return;
    }
    size_t cut = CutAt(joined, command);
    if (verdict == ConditionVerdict::NotPlain && cut != std::string::npos) {
        SourcePos end = joined.pos[cut];
        ReportError(diag, PosAt(joined, command, size_t(at)),
                    "in <%s>: %s; the '>' at %d:%d ends the command (greater than is written x, less than y)",
                    command.text.c_str(), why.c_str(), end.line, end.column);
        return;
    }
    ReportError(diag, PosAt(joined, command, size_t(at)), "in <%s>: %s", command.text.c_str(), why.c_str());
}

// ---------------------------------------------------------------------------
// The other commands' numbers
// ---------------------------------------------------------------------------

// A, V, v, W: one number after one optional space; nothing may follow it.
static int SingleNumber(const JoinedParagraph& joined, const MarkupCommand& command, Diagnostics& diag, bool* ok) {
    ArgumentCursor a = {command.text, 1};
    StepOverMark(a, ' ');
    size_t start = a.at;
    int number = ReadArgumentNumber(a);
    *ok = a.at > start;
    if (!*ok)
        ReportError(diag, PosAt(joined, command, start), "<%c> needs a number right after it (one blank at most): the reader reads 0",
                    command.text[0]);
    else if (!ArgumentsEnd(a))
        ReportError(diag, PosAt(joined, command, a.at), "the reader reads <%c %d> and ignores '%s'", command.text[0],
                    number, command.text.substr(a.at).c_str());
    return number;
}

// "%" v where a variable is named: the number must follow the "%" at once, or the
// reader reads variable 0. Returns the variable, or -1 (reported).
static int VariableAt(const BookModel& book, const JoinedParagraph& joined, const MarkupCommand& command,
                      ArgumentCursor& a, Diagnostics& diag) {
    size_t percent = a.at++;
    char first = PeekArgument(a);
    if (!(first >= '0' && first <= '9') && first != '-' && first != '+') {
        ReportError(diag, PosAt(joined, command, percent), "no number right after '%%': the reader reads variable 0");
        return -1;
    }
    int variable = ReadArgumentNumber(a);
    return CheckVariable(book, variable, PosAt(joined, command, percent), diag) ? variable : -1;
}

// The variable after the first "%" of l, N, Q, R and r; returns its number, or -1.
static int NamedVariable(const BookModel& book, const JoinedParagraph& joined, const MarkupCommand& command,
                         ArgumentCursor& a, Diagnostics& diag) {
    size_t percent = command.text.find('%', a.at);
    if (percent == std::string::npos) {
        ReportError(diag, PosAt(joined, command, 0), "<%c> names no variable (%%n): the reader takes variable 0",
                    command.text[0]);
        return -1;
    }
    a.at = percent;
    return VariableAt(book, joined, command, a, diag);
}

// A label that is not in quotes shows what it names: "$n" a picture, "%v" a variable.
static void CheckLabel(const BookModel& book, const JoinedParagraph& joined, const MarkupCommand& command,
                       ArgumentCursor a, Diagnostics& diag) {
    if (PeekArgument(a) == '%') {
        VariableAt(book, joined, command, a, diag);
    } else if (PeekArgument(a) == '$') {
        size_t at = a.at++;
        CheckPicture(book, ReadArgumentNumber(a), PosAt(joined, command, at), diag);
    }
}

// N and Q: the variable, then a label and a target if anything follows.
static void CheckOwnedFlag(const BookModel& book, const JoinedParagraph& joined, const MarkupCommand& command,
                           Diagnostics& diag) {
    ArgumentCursor a = {command.text, 1};
    bool named = command.text.find('%') != std::string::npos;   // else the reader reads nothing more
    NamedVariable(book, joined, command, a, diag);
    StepOverMark(a, ' ');
    if (named) CheckLabel(book, joined, command, a, diag);
}

// R and r: the variable, the operand (a number, %w, -%w, or z for R), then a label.
static void CheckAssignment(const BookModel& book, const JoinedParagraph& joined, const MarkupCommand& command,
                            Diagnostics& diag) {
    ArgumentCursor a = {command.text, 1};
    int variable = NamedVariable(book, joined, command, a, diag);
    if (command.text.find('%') == std::string::npos) return;   // the reader's search ran to the end
    StepOverMark(a, ' ');
    if (PeekArgument(a) == '-' && a.at + 1 < a.text.size() && a.text[a.at + 1] == '%') a.at++;
    if (PeekArgument(a) == '%') {
        VariableAt(book, joined, command, a, diag);
    } else if (PeekArgument(a) == 'z' && command.text[0] == 'R') {
        a.at++;
    } else {
        size_t start = a.at;
        int value = ReadArgumentNumber(a);
        const VariableSource* v = variable >= 0 ? &book.variables[size_t(variable)] : nullptr;
        int kept = v ? std::max<int>(std::min<int>(value, v->limit - 1), v->minimum) : value;
        if (command.text[0] == 'R' && a.at > start && kept != value)
            ReportWarning(diag, PosAt(joined, command, start),
                          "<R> sets variable %d to %d, which its limits (min=%d, limit=%d) make %d", variable, value,
                          v->minimum, v->limit, kept);
    }
    StepOverMark(a, ' ');
    CheckLabel(book, joined, command, a, diag);
}

// M, m, g: a label ("$n", "%v" or quoted), then the target.
static void CheckNavigationLabel(const BookModel& book, const JoinedParagraph& joined, const MarkupCommand& command,
                                 Diagnostics& diag) {
    ArgumentCursor a = {command.text, 1};
    StepOverMark(a, ' ');
    CheckLabel(book, joined, command, a, diag);
}

static void CheckRestartNumber(const JoinedParagraph& joined, const MarkupCommand& command, Diagnostics& diag) {
    size_t star = command.text.find('*');
    if (star == std::string::npos) {
        ReportError(diag, PosAt(joined, command, 0), "<%c> names no restart point (*n): the reader takes restart point 0",
                    command.text[0]);
        return;
    }
    ArgumentCursor a = {command.text, star + 1};
    CheckRestart(ReadArgumentNumber(a), PosAt(joined, command, star), diag);
}

void CheckCommandReading(const BookModel& book, const JoinedParagraph& joined, const MarkupCommand& command,
                         Diagnostics& diag) {
    char letter = command.text.empty() ? '\0' : command.text[0];
    bool ok = false;
    ArgumentCursor a = {command.text, 1};
    switch (letter) {
    case 'O': case 'o': CheckCondition(book, joined, command, diag); break;
    case 'A': {
        int sound = SingleNumber(joined, command, diag, &ok);
        if (ok) CheckSound(book, sound, PosAt(joined, command, 1), diag);
        break;
    }
    case 'V': case 'v': {
        int picture = SingleNumber(joined, command, diag, &ok);
        if (ok) CheckPicture(book, picture, PosAt(joined, command, 1), diag);
        break;
    }
    case 'W': {
        int alignment = SingleNumber(joined, command, diag, &ok);
        if (ok && (alignment < 0 || alignment > 2))
            ReportError(diag, PosAt(joined, command, 1), "alignment %d is not 0, 1 or 2: the reader reports it", alignment);
        break;
    }
    case 'l': NamedVariable(book, joined, command, a, diag); break;
    case 'N': case 'Q': CheckOwnedFlag(book, joined, command, diag); break;
    case 'R': case 'r': CheckAssignment(book, joined, command, diag); break;
    case 'M': case 'm': case 'g': CheckNavigationLabel(book, joined, command, diag); break;
    case 's': case 'u': CheckRestartNumber(joined, command, diag); break;
    default: break;
    }
}

// ---------------------------------------------------------------------------
// Widths
// ---------------------------------------------------------------------------

static void CheckPictureWidth(const BookModel& book, int picture, SourcePos pos, Diagnostics& diag) {
    if (picture < 0 || picture >= kPictures || !book.pictures[size_t(picture)].declared) return;
    int width = book.pictures[size_t(picture)].width;
    if (width > kPageTextWidth)
        ReportWarning(diag, pos, "picture %d is %d pixels wide; the page shows %d of it and clips the rest", picture,
                      width, kPageTextWidth);
}

// The quoted label of a hotword command, and where it starts in the command's text.
static bool QuotedLabel(const std::string& text, std::string* label, size_t* at) {
    size_t open = text.find('"');
    size_t close = open == std::string::npos ? open : text.find('"', open + 1);
    if (close == std::string::npos) return false;
    *label = text.substr(open + 1, close - open - 1);
    *at = open;
    return true;
}

void CheckCommandWidth(const BookModel& book, const JoinedParagraph& joined, const MarkupCommand& command, bool bold,
                       int (*labelWidth)(const std::string& latin1, bool bold), Diagnostics& diag) {
    char letter = command.text.empty() ? '\0' : command.text[0];
    if (letter == 'V' || letter == 'v') {
        ArgumentCursor a = {command.text, 1};
        StepOverMark(a, ' ');
        CheckPictureWidth(book, ReadArgumentNumber(a), PosAt(joined, command, a.at), diag);
        return;
    }
    size_t dollar = command.text.find('$');
    if (std::string("MmgNQRr").find(letter) != std::string::npos && dollar != std::string::npos) {
        ArgumentCursor a = {command.text, dollar + 1};
        CheckPictureWidth(book, ReadArgumentNumber(a), PosAt(joined, command, dollar), diag);
    }
    std::string label;
    size_t at = 0;
    if (!labelWidth || std::string("MmgLdNQRru").find(letter) == std::string::npos ||
        !QuotedLabel(command.text, &label, &at))
        return;
    int measured = labelWidth(label, bold);
    int width = std::max<int>(measured, 3 * int(label.size())) + 12;   // as the button is made
    if (width > kPageTextWidth)
        ReportWarning(diag, PosAt(joined, command, at), "the button \"%s\" is %d pixels wide; the page has %d and "
                      "clips it (shorten the label or break it into two buttons)", label.c_str(), width, kPageTextWidth);
}
