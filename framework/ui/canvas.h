// A canvas: one platform window with its element tree.
//
// Placeholder until the user-interface framework's issues build canvases: only the window class
// "CCanvas" is registered, for real, with the shared window procedure.
#pragma once

#include "platform/system.h"
#include "platform/window.h"

class CCanvas {
 public:
  static constexpr const char* kClassName = "CCanvas";
  static constexpr uint32_t kClassStyle = 0x1020;

  // Registers the class and remembers instance and owner for later canvas windows.
  static bool RegisterClass(platform::ModuleHandle instance, platform::WindowHandle owner);
  static void UnregisterClass();
  static platform::WindowHandle GetOwnerWindow();
};
