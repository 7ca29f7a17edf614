// The book layer's one reset: every record it owns as at start-up (the save record, the
// random source, the reader's place). The book the engine reads (UseBook) and the
// story's variables in its tables are not records of a reading: ResetStory and
// RestoreStoryState set those.
#pragma once

void ResetBook();
