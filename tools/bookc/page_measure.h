// A label's width on the page, measured with the reader's own fonts (the platform's
// text drawing, the page's 10-point faces). Linked only into the programs that have
// the platform: qh-bookc and the live preview.
#pragma once

#include <string>

int PageLabelWidth(const std::string& latin1, bool bold);
