// The calls that the lower layers make up to the reader, connected in one place:
// the page's content, a hotword's navigation, sound cues, the displayed paragraph
// for restart points, and where the save file is kept.
#pragma once

// Start-up does this first; so does every host that runs the engine without
// StartReader (tests, fuzzers, benchmarks).
void ConnectLayers();
