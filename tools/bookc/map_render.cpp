// The map drawn by Graphviz's library: the dot layout, written as SVG. Only qh-bookc
// links this file, so nothing else needs Graphviz.
#include "tools/bookc/map_render.h"

#include <graphviz/cgraph.h>
#include <graphviz/gvc.h>

#include "tools/bookc/driver.h"

bool RenderMapSvg(const std::string& dot, const std::string& file, std::string* error) {
    GVC_t* context = gvContext();
    Agraph_t* graph = agmemread(dot.c_str());
    char* data = nullptr;
    unsigned int length = 0;
    bool drawn = graph && gvLayout(context, graph, "dot") == 0 &&
                 gvRenderData(context, graph, "svg", &data, &length) == 0;
    std::string svg = drawn ? std::string(data, length) : std::string();
    if (data) gvFreeRenderData(data);
    if (graph) {
        gvFreeLayout(context, graph);
        agclose(graph);
    }
    gvFreeContext(context);
    if (!drawn) {
        *error = "Graphviz could not lay out the map";
        return false;
    }
    Diagnostics quiet;
    quiet.echo = nullptr;
    if (WriteFileAtomically(file, svg, quiet)) return true;
    *error = quiet.lines.empty() ? "cannot write '" + file + "'" : quiet.lines[0];
    return false;
}
