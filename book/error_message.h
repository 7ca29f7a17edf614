// The one way the reader reports a failure: a modal box with the text and an OK
// button; the operation that reported goes on with what it has when it closes.
#pragma once

constexpr int kErrorMessageLength = 99;   // characters shown at most

// printf-style; the formatted text is cut at kErrorMessageLength characters.
void ShowErrorMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
