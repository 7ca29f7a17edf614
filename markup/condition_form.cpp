// A recursive reading of the plain condition language. Every term is read and
// evaluated (there is no short circuit here: a skipped term must be as plain as any
// other), and the first fault stops the reading with its place and a message.
#include "markup/condition_form.h"

#include <cstdarg>
#include <cstdio>

namespace {

struct Reader {
    const char* text;
    int at;
    const ConditionStory& story;
    ConditionVariableSeen seen;
    void* seenContext;
    PlainCondition result;
};

}  // namespace

static void SkipBlanks(Reader& r) {
    while (r.text[r.at] == ' ') ++r.at;
}

static char Peek(Reader& r) {
    SkipBlanks(r);
    return r.text[r.at];
}

// Records the first fault only; returns false so that callers can stop at once.
__attribute__((format(printf, 3, 4))) static bool Fault(Reader& r, int at, const char* format, ...) {
    if (!r.result.ok) return false;
    r.result.ok = false;
    r.result.faultAt = at;
    va_list args;
    va_start(args, format);
    std::vsnprintf(r.result.fault, sizeof r.result.fault, format, args);
    va_end(args);
    return false;
}

// What stands at the cursor, for a message: the character, or "the end".
static const char* Found(Reader& r, char* buffer) {
    char c = r.text[r.at];
    if (c == 0) return "the end of the condition";
    std::snprintf(buffer, 8, "'%c'", c);
    return buffer;
}

static bool ReadNumber(Reader& r, int* value, const char* after) {
    char found[8];
    SkipBlanks(r);
    if (r.text[r.at] == '-' || r.text[r.at] == '+')
        return Fault(r, r.at, "a sign before a number is ignored by the reader: write the number alone (%s)", after);
    if (r.text[r.at] < '0' || r.text[r.at] > '9')
        return Fault(r, r.at, "expected a number %s, found %s", after, Found(r, found));
    long number = 0;
    int start = r.at;
    for (; r.text[r.at] >= '0' && r.text[r.at] <= '9'; ++r.at)
        if (number <= 32767) number = number * 10 + (r.text[r.at] - '0');
    if (number > 32767) return Fault(r, start, "a number above 32767 wraps round in the reader");
    *value = int(number);
    return true;
}

// "%" n, the cursor at the "%".
static bool ReadVariable(Reader& r, int* variable) {
    int at = r.at;
    ++r.at;
    if (r.text[r.at] < '0' || r.text[r.at] > '9')
        return Fault(r, r.at, "a variable is written %%n, with its number right after the '%%'");
    if (!ReadNumber(r, variable, "after '%'")) return false;
    if (r.seen) r.seen(r.seenContext, *variable, at);
    return true;
}

// A variable outside the story reads 0, as in the machine.
static int ValueOf(Reader& r, int variable) {
    return r.story.exists(r.story.context, variable) ? r.story.value(r.story.context, variable) : 0;
}

// "X %n" inside its brackets: the owned flag.
static bool ReadOwned(Reader& r, int* value) {
    ++r.at;
    char found[8];
    if (Peek(r) != '%') return Fault(r, r.at, "expected %%n after X, found %s", Found(r, found));
    int variable = 0;
    if (!ReadVariable(r, &variable)) return false;
    *value = r.story.exists(r.story.context, variable) && int8_t(r.story.owned(r.story.context, variable)) != 0;
    return true;
}

// "%n op v" inside its brackets, with v a number or %m.
static bool ReadComparison(Reader& r, int* value) {
    int variable = 0;
    char found[8];
    if (!ReadVariable(r, &variable)) return false;
    char op = Peek(r);
    if (op != '=' && op != 'x' && op != 'y')
        return Fault(r, r.at, "expected a comparison (=, x greater, y less) after the variable, found %s", Found(r, found));
    ++r.at;
    int right = 0;
    if (Peek(r) == '%') {
        int other = 0;
        if (!ReadVariable(r, &other)) return false;
        right = ValueOf(r, other);
    } else {
        const char* after = op == '=' ? "or %m after '='" : op == 'x' ? "or %m after 'x'" : "or %m after 'y'";
        if (!ReadNumber(r, &right, after)) return false;
    }
    int left = ValueOf(r, variable);
    *value = op == '=' ? left == right : op == 'x' ? left > right : left < right;
    return true;
}

static bool ReadTerms(Reader& r, int* value);

// A term: "!" term, or a bracket holding X, a comparison or a group of terms.
static bool ReadTerm(Reader& r, int* value) {
    char found[8];
    char c = Peek(r);
    if (c == '!') {
        ++r.at;
        if (!ReadTerm(r, value)) return false;
        *value = !*value;
        return true;
    }
    if (c == '%' || c == 'X')
        return Fault(r, r.at, "a test stands in its own brackets, as (X %%n) or (%%n = v): without them the reader tests nothing");
    if (c != '(') return Fault(r, r.at, "expected a test in brackets, '!' or '(', found %s", Found(r, found));
    int open = r.at++;
    c = Peek(r);
    bool done = c == 'X' ? ReadOwned(r, value) : c == '%' ? ReadComparison(r, value) : ReadTerms(r, value);
    if (!done) return false;
    if (Peek(r) != ')') {
        if (r.text[r.at] == 0)
            return Fault(r, open, "this '(' is never closed: the reader leaves the test undone and takes another value");
        return Fault(r, r.at, "expected ')', found %s", Found(r, found));
    }
    ++r.at;
    return true;
}

// Terms joined by & and |, applied left to right.
static bool ReadTerms(Reader& r, int* value) {
    if (!ReadTerm(r, value)) return false;
    for (char c = Peek(r); c == '&' || c == '|'; c = Peek(r)) {
        ++r.at;
        int right = 0;
        if (!ReadTerm(r, &right)) return false;
        *value = c == '&' ? (*value && right) : (*value || right);
    }
    return true;
}

PlainCondition ReadPlainCondition(const char* text, int start, const ConditionStory& story,
                                  ConditionVariableSeen seen, void* seenContext) {
    Reader r = {text, start, story, seen, seenContext, {true, 0, -1, ""}};
    char found[8];
    if (Peek(r) == 0) {
        Fault(r, r.at, "an empty condition: the reader takes it as false");
        return r.result;
    }
    int value = 0;
    if (ReadTerms(r, &value) && Peek(r) != 0) {
        if (r.text[r.at] == ')') Fault(r, r.at, "this ')' closes no '('");
        else Fault(r, r.at, "expected '&', '|' or the end of the condition, found %s (and is written &, or |)", Found(r, found));
    }
    r.result.value = value;
    return r.result;
}
