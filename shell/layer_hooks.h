// The calls that the lower layers make up to the reader, connected in one place: the
// page's content, built by the shell's page-source selection, and a hotword's navigation.
#pragma once

// Start-up does this first; so does every host that runs the engine without
// StartReader (tests, fuzzers, benchmarks).
void ConnectLayers();
