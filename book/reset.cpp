// The book layer's reset, one call for every record of the layer.
#include "book/reset.h"

#include "book/reader_place.h"
#include "book/save_file.h"
#include "book/story_state.h"

void ResetBook() {
    ClearSaveRecord();
    ClearStoryRun();
    ClearPlace();
}
