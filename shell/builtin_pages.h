// The pages the reader builds itself: the start-up splashes and title page, the
// instructions, about and sound settings pages, and the hints page that stands in
// for a book without its own paragraph 7.
#pragma once

void BuildPresentsSplash();
void BuildTitleSplash();
void BuildTitlePage();
void BuildInstructionsPage();
void BuildAboutPage();
void BuildSoundSettingsPage();
void BuildHintsPage();
