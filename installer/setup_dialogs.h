// Setvane's two dialogs: 101 asks for the target folder, 102 shows the progress while the files are
// written.
#pragma once

#include <cstdint>
#include <string>

#include "platform/window.h"

enum : int32_t { kFolderDialog = 101, kProgressDialog = 102, kFolderField = 1001, kPercentField = 1002 };
// The longest folder the field takes.
inline constexpr uint32_t kFolderLimit = 1023;

// Shows dialog 101 with *folder in its field (Windows-1252, as fields hold text) and the focus on OK.
// OK puts the field's text into *folder and answers true; Cancel answers false.
bool AskFolder(std::string* folder);

// Dialog 102, shown; null when it cannot be made. Its Cancel only closes it.
platform::WindowHandle CreateProgressDialog();
// Shows "Percent Complete: N%" in dialog 102 at once; the file name is not shown.
void ReportProgress(platform::WindowHandle dialog, const char* fileName, int32_t percent);
