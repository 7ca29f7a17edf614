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

// qh-play route N: readings from a fresh start, each with its own seed, until one
// reaches paragraph N in the story; the shortest found is printed as a script that
// replays it (seed, goto 2, then one line an action), its length and seed on standard
// error. Returns 1, saying so, when no reading reached N.
struct RouteOptions {
    int paragraph = 0;
    int runs = 300;
    uint32_t seed = 1;
    int steps = 400;
};
int RouteReader(const RouteOptions& options);
