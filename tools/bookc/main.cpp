// qh-bookc: the book compiler's program entry; the work is done by qh_bookc_lib.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/bookc/driver.h"
#include "tools/bookc/map_render.h"
#include "tools/bookc/page_measure.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    Diagnostics diag;
    std::string standardOut;
    int code = RunBookCompiler(args, diag, standardOut, RenderMapSvg, PageLabelWidth);
    std::fwrite(standardOut.data(), 1, standardOut.size(), stdout);
    if (code == 2) std::fprintf(stderr, "try 'qh-bookc --help'\n");
    return code;
}
