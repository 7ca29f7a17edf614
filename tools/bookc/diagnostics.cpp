// Formatting of the compiler's messages. Every message is kept in the Diagnostics
// record and, unless a test asked for silence, printed at once to standard error.
#include "tools/bookc/diagnostics.h"

#include <cstdarg>

static void Emit(Diagnostics& diag, const char* prefix, const char* format, va_list args) {
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    std::string line = prefix;
    line += text;
    diag.lines.push_back(line);
    if (diag.echo != nullptr) std::fprintf(diag.echo, "%s\n", line.c_str());
}

static std::string Where(const Diagnostics& diag, SourcePos pos, const char* severity) {
    char where[64];
    std::snprintf(where, sizeof where, ":%d:%d: %s: ", pos.line, pos.column, severity);
    return diag.file + where;
}

void ReportError(Diagnostics& diag, SourcePos pos, const char* format, ...) {
    va_list args;
    va_start(args, format);
    Emit(diag, Where(diag, pos, "error").c_str(), format, args);
    va_end(args);
    diag.errors++;
}

void ReportWarning(Diagnostics& diag, SourcePos pos, const char* format, ...) {
    va_list args;
    va_start(args, format);
    Emit(diag, Where(diag, pos, "warning").c_str(), format, args);
    va_end(args);
    diag.warnings++;
}

void ReportToolError(Diagnostics& diag, const char* format, ...) {
    va_list args;
    va_start(args, format);
    Emit(diag, "qh-bookc: error: ", format, args);
    va_end(args);
    diag.errors++;
}

bool HasFailed(const Diagnostics& diag) {
    return diag.errors > 0 || (diag.warningsAreErrors && diag.warnings > 0);
}
