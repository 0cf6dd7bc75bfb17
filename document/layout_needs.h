// What the document library and the document commands look up in the application's resource file:
// the file dialogs' filter lists, the preparation's progress title and the plug-in texts.
#pragma once

#include <cstdint>

#include "framework/ui/layout_need.h"

namespace need {

// "Quarn files(*.qnc)", "*.qnc", "All Files (*.*)", "*.*": the open and merge dialogs' filter.
extern const SLayoutNeed kGetFileFilter;
// "Quarn files(*.qnc)", "*.qnc": the save dialog's filter.
extern const SLayoutNeed kPutFileFilter;
// Entry 0: the title of the step that prepares a scene after it was read or imported.
extern const SLayoutNeed kProgressResetLoad;
// Entries 0 "All formats", 5 and 6 the render to disk's captions, 7 its progress line, 8 the import's
// caption and 9 its progress line.
extern const SLayoutNeed kPluginText;

}  // namespace need

// Every declaration above, for the test that finds them in data/.
SLayoutNeedTable DocumentLayoutNeeds();
