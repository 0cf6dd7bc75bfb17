// What the editing library looks up in the application's resource file.
#pragma once

#include "framework/ui/layout_need.h"

namespace need {

// Entry 0: the title of the replicate command's progress.
extern const SLayoutNeed kProgressReplicate;

}  // namespace need

// Every declaration above, for the test that finds them in data/.
SLayoutNeedTable EditingLayoutNeeds();
