// The window classes the system itself provides, registered on their first use.
#include "platform/dialog.h"
#include "platform/dialog_internal.h"
#include "platform/edit_control.h"
#include "platform/window_backend.h"

namespace platform {

intptr_t EditClassProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
intptr_t DialogClassProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

bool RegisterSystemClass(const std::string& name) {
  SWindowClass windowClass;
  windowClass.name = name;
  windowClass.cursor = ArrowCursor();
  if (name == kEditClass) {
    windowClass.procedure = &EditClassProc;
    windowClass.cursor = IBeamCursor();
  } else if (name == kButtonClass) {
    windowClass.procedure = &ButtonClassProc;
  } else if (name == kStaticClass) {
    windowClass.procedure = &StaticClassProc;
  } else if (name == kDialogClass) {
    windowClass.procedure = &DialogClassProc;
  } else {
    return false;
  }
  return RegisterWindowClass(windowClass);
}

}  // namespace platform
