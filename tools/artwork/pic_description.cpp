// A .pic picture's description: one sentence a screen reader says for it. Read apart
// from the drawing, so the book compiler can name a picture without drawing it.
#include <fstream>
#include <sstream>

#include "tools/artwork/tokens.h"

bool ReadDescriptionLine(const std::string& line, std::string* text, std::string* problem,
                         int* column) {
    size_t pos = 0;
    Token name, value, extra;
    std::string tokenProblem;
    if (!NextToken(line, &pos, &name, &tokenProblem) || name.kind != TokenKind::Word ||
        name.text != "description")
        return false;
    problem->clear();
    *column = name.column;
    if (!NextToken(line, &pos, &value, &tokenProblem) || value.kind != TokenKind::String) {
        *problem = tokenProblem.empty() ? "description is: description \"one sentence\"" : tokenProblem;
        return true;
    }
    if (NextToken(line, &pos, &extra, &tokenProblem) || !tokenProblem.empty()) {
        *column = extra.column;
        *problem = "nothing may follow the description's closing quote";
        return true;
    }
    *text = value.text;
    return true;
}

std::string PicDescription(const std::string& text) {
    std::vector<std::string> lines;
    SplitLines(text, &lines);
    for (const std::string& line : lines) {
        std::string description, problem;
        int column = 0;
        if (ReadDescriptionLine(line, &description, &problem, &column) && problem.empty())
            return description;
    }
    return "";
}

bool ReadPicDescriptionFile(const std::string& path, std::string* description) {
    description->clear();
    if (path.size() < 4 || path.compare(path.size() - 4, 4, ".pic") != 0) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream text;
    text << in.rdbuf();
    *description = PicDescription(text.str());
    return true;
}
