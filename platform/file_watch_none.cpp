// Watching files where there are none to watch: the web edition carries its book
// compiled in and reads no file that could change under it, so a watch is refused as
// one whose folder cannot be watched is on the desktop.
#include "platform/file_watch.h"

bool WatchFile(const char*) { return false; }
void ForgetWatchedFiles() {}
bool WatchedFilesChanged() { return false; }
