// The compiler's command line: qh-bookc [options] BOOK. Kept in the library so that
// tests run exactly what the program runs.
#pragma once

#include <string>
#include <vector>

#include "tools/bookc/diagnostics.h"
#include "tools/bookc/lint.h"
#include "tools/bookc/map.h"

// Runs the compiler on args (without the program name). Messages go to diag; what
// --stats and --graph print is appended to standardOut. Returns the exit code:
// 0 done, 1 the book or an output failed, 2 the command line is wrong.
// drawMap draws --map; without one, --map is refused. labelWidth measures labels for
// --check; without one, their widths are not checked.
int RunBookCompiler(const std::vector<std::string>& args, Diagnostics& diag, std::string& standardOut,
                    MapRenderer drawMap = nullptr, LabelWidth labelWidth = nullptr);

// Writes content to a temporary file beside path and renames it into place, so a
// failure never leaves a half-written file. Reports and returns false on failure.
bool WriteFileAtomically(const std::string& path, const std::string& content, Diagnostics& diag);
