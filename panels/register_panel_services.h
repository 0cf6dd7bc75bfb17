// The palettes' and dialogs' part of the start-up: they register what the framework core calls of
// them (the input/output progress dialog). The program's entry calls it, and so does every test
// program that drives that dialog.
#pragma once

void RegisterPanelServices();
