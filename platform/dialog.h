// Modal dialogs from a template in memory, run as a nested message loop. The template is the system's
// own layout: style (bytes 0 to 3, machine order), extended style (4 to 7), item count (8 and 9), then
// position and size (four 16-bit values, taken as pixels). Only templates without items are run.
//
// The dialog is a pop-up window owned by the given window, which is disabled while the loop runs. Its
// frame is the platform's: the dialog frame for kDsModalFrame, a one-pixel border for kWsBorder. The
// procedure gets kWmInitDialog with the parameter first; the window shows once it has answered. The
// loop ends with EndDialog. On GTK the pop-up holds the pointer and the keyboard while it is open.
#pragma once

#include <cstdint>

#include "platform/system.h"
#include "platform/window.h"

namespace platform {

// Non-zero when the message was handled.
using DialogProc = intptr_t (*)(WindowHandle dialog, uint32_t message, uintptr_t wParam, intptr_t lParam);

enum : uint32_t { kDsModalFrame = 0x80 };
inline constexpr const char* kDialogClass = "#32770";

// EndDialog's result; -1 when the template has items or the window cannot be made.
intptr_t DialogBoxIndirectParam(ModuleHandle instance, const void* dialogTemplate, WindowHandle owner,
                                DialogProc procedure, intptr_t parameter);
bool EndDialog(WindowHandle dialog, intptr_t result);

}  // namespace platform
