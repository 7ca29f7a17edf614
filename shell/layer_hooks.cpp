// Each lower layer declares the type of what it needs from above; the shell, which
// sees every layer, hands the functions down here.
#include "shell/layer_hooks.h"

#include "book/save_file.h"
#include "book/story_state.h"
#include "markup/markup_hooks.h"
#include "page/layout.h"
#include "platform/data_folder.h"
#include "platform/files.h"
#include "shell/navigation.h"
#include "shell/sound_cues.h"

static int16_t DisplayedParagraph() { return Navigation().displayedParagraph; }

void ConnectLayers() {
    SetPageContentBuilder(BuildPageContent);
    ConnectMarkup({NavigateTo, PlaySoundCue, StopSoundCue});
    SetDisplayedParagraphSource(DisplayedParagraph);
    SetSaveFilePlace({GetDataFolder, ReplaceFileContents, RemoveInterruptedReplacements});
}
