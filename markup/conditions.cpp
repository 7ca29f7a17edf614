// Condition expressions on the story: the condition machine run over the command
// buffer, reading the story variables and reporting through the reader's message box.
#include "markup/conditions.h"

#include "book/error_message.h"
#include "book/story_state.h"
#include "markup/arguments.h"
#include "markup/condition_machine.h"
#include "markup/scanner.h"

static bool StoryHas(void*, int variable) { return RequireVariable(variable); }
static int StoryValue(void*, int variable) { return VariableValue(variable); }
static int StoryOwned(void*, int variable) { return int8_t(OwnedFlag(variable)); }
static void StoryReport(void*, const char* message) { ShowErrorMessage("%s", message); }

int8_t EvaluateCondition() {
    static const ConditionStory story = {StoryHas, StoryValue, StoryOwned, StoryReport, nullptr};
    int end = 0;
    int8_t result = RunConditionMachine(Scan().commandBuffer, Scan().commandBuffer[1] == ' ' ? 2 : 1, story, &end);
    SetArgumentCursor(int16_t(end + 1));
    return result;
}
