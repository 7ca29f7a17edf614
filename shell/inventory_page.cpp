// The built-in inventory page and the routing of its buttons.
#include "shell/inventory_page.h"

#include <cstring>

#include "book/book_tables.h"
#include "page/controls.h"
#include "page/page_items.h"
#include "shell/navigation.h"

// The control that each variable's button got on the last inventory page: -1 for none,
// 0 before the first.
static int16_t inventoryButtons[kStoryVariables];

void ClearInventoryPage() {
    for (int16_t& button : inventoryButtons) button = 0;
}

// The text of the variable's current item, or null when it has none to show. The
// page reads item lists as texts; a picture-choice variable shows no item text.
static const char* ChoiceText(const StoryVariable& variable) {
    if (!variable.textItems || variable.limit <= 0) return nullptr;
    int index = variable.state[1];
    return index < variable.limit ? variable.textItems[index] : nullptr;
}

void BuildInventoryPage() {
    int character = -1;
    for (int i = 0; i < kStoryVariables; ++i) {
        const StoryVariable& variable = Book().variables[i];
        inventoryButtons[i] = -1;
        if (!variable.name || std::strcmp(variable.name, "Character") != 0) continue;
        EmitText("You are : ");
        const char* text = ChoiceText(variable);
        inventoryButtons[i] = AddWordButton(text ? text : "");
        EmitLineBreak();
        character = i;
    }
    EmitText("You have the following items");
    for (int i = 0; i < kStoryVariables; ++i) {
        const StoryVariable& variable = Book().variables[i];
        if (variable.state[0] != 1 || i == character) continue;
        EmitLineBreak();
        inventoryButtons[i] = AddWordButton(variable.name ? variable.name : "");
        if (variable.textItems) {
            const char* text = ChoiceText(variable);
            EmitText(" : ");
            EmitText(text ? text : "");
        }
    }
}

void ActivateInventoryButton(int16_t controlId) {
    for (int i = 0; i < kStoryVariables; ++i) {
        if (inventoryButtons[i] != controlId) continue;
        ShowSidePage(Book().variables[i].inventoryParagraph);
        return;
    }
}
