// qh-play explore: random readings of the book from a fresh start, to find what an
// author needs to know: paragraphs never reached, message boxes, pages without a way on.
#pragma once

#include <cstdint>

struct ExploreOptions {
    int runs = 100;
    uint32_t seed = 1;
    int steps = 400;       // actions per reading at most
    bool json = false;
    bool coverage = false; // also count condition blocks taken and skipped
};

// Runs the readings on the started reader and prints the report; returns the exit
// code: 1 when a message box was shown, else 0.
int Explore(const ExploreOptions& options);
// Starts the reader on the headless backend, explores, and shuts it down again.
int ExploreReader(const ExploreOptions& options);
