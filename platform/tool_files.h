// How the build tools (and the headless backend's screenshots) touch files that a user
// names on a command line: an input is read only when it is a regular file of a bounded
// size, and an output replaces only a regular file, through a temporary file created
// exclusively beside it, so that neither a link planted at the output or at a guessable
// temporary name nor a device or a pipe is ever written through.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// Far above any real book or picture (the sample book's source is a quarter of a
// megabyte): a bound on what a mistaken or hostile path can make a tool read.
constexpr long kToolFileLimit = 16L * 1024 * 1024;
constexpr int kToolPathBytes = 4096;
constexpr int kToolReasonBytes = 512;

// Reads the whole of path into out. False, with why set, when it cannot be opened, is
// not a regular file (a folder, a pipe, a device) or is longer than limit bytes.
bool ReadToolInput(const char* path, long limit, std::string* out, char* why, int whySize);

// An output being written: a stream on a temporary file in the output's folder.
struct ToolOutput {
    FILE* stream = nullptr;
    char temporary[kToolPathBytes] = {};
    char path[kToolPathBytes] = {};
};

// Refuses (false, why set) an output path that exists and is not a regular file, or
// whose folder cannot take a temporary file; otherwise opens the temporary file.
bool BeginToolOutput(const char* path, ToolOutput* out, char* why, int whySize);
// Closes the temporary file and renames it over the output; on any failure (and in
// AbandonToolOutput) the temporary file is removed and the output left as it was.
bool FinishToolOutput(ToolOutput* out, char* why, int whySize);
void AbandonToolOutput(ToolOutput* out);

// Begin, write size bytes, finish.
bool WriteToolOutput(const char* path, const void* data, size_t size, char* why, int whySize);
