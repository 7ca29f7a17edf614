// Start-up, single instance and shutdown, split so that the reader's own main and the
// headless player share every step: the player runs its script where the reader runs
// its message loop.
#pragma once

// Steps of start-up up to the first paint. Returns false when another reader holds
// the save file; that reader has then been brought to the front, or the reader was
// told that none could be found, and the caller ends with exit code 1.
bool StartReader(int showCommand);
// The message loop; returns the exit code that the quit message carries.
int RunMessageLoop();
// Writes the save record with the story position and closes the file.
void StopReader();
