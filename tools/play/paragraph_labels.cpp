// The paragraph names of the book qh-play reads from source; the built-in book's
// tables hold no names, so its paragraphs are numbers only.
#include "tools/play/paragraph_labels.h"

static std::array<std::string, kParagraphRows + 1> paragraphNames;

void UseParagraphNames(const std::array<std::string, kParagraphRows + 1>& names) { paragraphNames = names; }

std::string ParagraphCalled(int paragraph) {
    std::string called = std::to_string(paragraph);
    if (paragraph >= 1 && paragraph <= kParagraphRows && !paragraphNames[size_t(paragraph)].empty())
        called += " (" + paragraphNames[size_t(paragraph)] + ")";
    return called;
}
