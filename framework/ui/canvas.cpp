#include "framework/ui/canvas.h"

#include "framework/core/ui_services.h"
#include "framework/core/win_appl.h"

namespace {

platform::ModuleHandle gInstance = nullptr;
platform::WindowHandle gOwner = nullptr;

}  // namespace

bool CCanvas::RegisterClass(platform::ModuleHandle instance, platform::WindowHandle owner) {
  platform::SWindowClass windowClass;
  windowClass.name = kClassName;
  windowClass.style = kClassStyle;
  windowClass.procedure = &CWinAppl::WindowProc;
  windowClass.extraBytes = 4;
  windowClass.instance = instance;
  windowClass.cursor = platform::ArrowCursor();
  if (!platform::RegisterWindowClass(windowClass)) return false;
  gInstance = instance;
  gOwner = owner;
  return true;
}

void CCanvas::UnregisterClass() {
  platform::UnregisterWindowClass(kClassName, gInstance);
  gInstance = nullptr;
  gOwner = nullptr;
}

platform::WindowHandle CCanvas::GetOwnerWindow() { return gOwner; }

bool RegisterCanvasClass(platform::ModuleHandle instance, platform::WindowHandle owner) {
  return CCanvas::RegisterClass(instance, owner);
}

void UnregisterCanvasClass() { CCanvas::UnregisterClass(); }
