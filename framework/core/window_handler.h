// The one window procedure serves the main window and every canvas window: each window's user-data
// word binds it to a handler object, which answers the handler operations below (non-zero: handled,
// the procedure then returns the event's result).
#pragma once

#include <cstdint>

#include "platform/window.h"

// The event record the window procedure builds for every message.
struct SWinEvent {
  uint32_t time = 0;  // ticks
  uint32_t heartbeatCount = 0;
  int32_t x = 0;  // screen coordinates; button handlers replace them
  int32_t y = 0;
  uint32_t key = 0;
  uint32_t reserved0 = 0;
  uint32_t virtualKey = 0;
  uint32_t reserved1[3] = {0, 0, 0};
  platform::WindowHandle window = nullptr;
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
  intptr_t result = 0;

  // Time, heartbeat count and cursor position; the next six words zero.
  void Init();
};

class CWindowHandler {
 public:
  virtual ~CWindowHandler() = default;

  virtual platform::WindowHandle GetHandlerWindow() const = 0;
  virtual void SetHandlerWindow(platform::WindowHandle window) = 0;

  virtual int32_t OnMouseDown(SWinEvent& event) = 0;
  virtual int32_t OnKey(SWinEvent& event) = 0;
  virtual int32_t OnUpdate(SWinEvent& event) = 0;
  virtual int32_t OnActivateApp(SWinEvent& event) = 0;
  virtual int32_t OnOtherMessage(SWinEvent& event) = 0;
  virtual int32_t OnMainButtonDown(SWinEvent&) { return 0; }
  virtual int32_t OnMainPaint(SWinEvent&) { return 0; }
  virtual int32_t OnMainDeactivateApp(SWinEvent&) { return 0; }
  virtual int32_t OnMainActivateApp(SWinEvent&) { return 0; }
  virtual int32_t OnMainCreate(SWinEvent&) { return 0; }
  virtual int32_t OnMainDestroy(SWinEvent&) { return 1; }
  virtual int32_t OnMainMove(SWinEvent&) { return 0; }
  virtual int32_t OnMainSize(SWinEvent&) { return 0; }
  virtual int32_t OnMainActivate(SWinEvent&) { return 0; }
  virtual int32_t OnMainClose(SWinEvent& event) { return OnMainQuit(event); }
  virtual int32_t OnMainQuit(SWinEvent&) { return 0; }
  virtual int32_t OnMainEraseBackground(SWinEvent&) { return 0; }
  virtual int32_t OnMouseActivate(SWinEvent&) { return 0; }
  virtual int32_t OnMainGetMinMaxInfo(SWinEvent&) { return 0; }
  virtual int32_t OnMainCommand(SWinEvent&) { return 0; }
  virtual int32_t OnMainSysCommand(SWinEvent&) { return 0; }
  virtual int32_t OnMainMenuSelect(SWinEvent&) { return 0; }
  virtual int32_t OnMainMouseMove(SWinEvent&) { return 0; }
  virtual int32_t OnMainUserMessage(SWinEvent&) { return 0; }
};
