// qh-bookc's map renderer (Graphviz): see MapRenderer in tools/bookc/map.h.
#pragma once

#include <string>

bool RenderMapSvg(const std::string& dot, const std::string& path, std::string* error);
