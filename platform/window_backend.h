// Inside the platform: the window records that both back ends share, and what a back end supplies.
// The common part (window.cpp) keeps windows, classes, the queue, key state and surfaces; a back end
// shows them and feeds input into the queue through the Queue* functions.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/window.h"

namespace platform {

struct SMenu {
  int32_t unused = 0;
};

struct SWindow {
  std::string className;
  WindowProc procedure = nullptr;
  uint32_t classStyle = 0;
  uint32_t style = 0;
  uint32_t exStyle = 0;
  std::string title;
  SWinRect rect;         // screen coordinates
  SWinRect client;       // inside the window: {left, top, right, bottom} relative to rect's corner
  bool visible = false;
  bool zoomed = false;
  bool iconic = false;
  WindowHandle parent = nullptr;
  MenuHandle menu = nullptr;
  ModuleHandle instance = nullptr;
  intptr_t userData = 0;
  std::vector<uint32_t> extraWords;
  Surface surface;       // the whole window rectangle
  bool invalid = false;
  bool erase = false;
  SWinRect invalidArea;  // client coordinates
  std::map<uint32_t, bool> systemMenuEnabled;
  uint32_t frameRecomputations = 0;
  bool menuBarShown = false;
  void* backendData = nullptr;
};

class WindowBackend {
 public:
  virtual ~WindowBackend() = default;

  virtual bool IsHeadless() const = 0;
  // Takes pending input into the queue.
  virtual void Poll() = 0;
  virtual SPoint CursorPos() = 0;
  virtual int32_t Metric(int32_t index) = 0;

  virtual void WindowCreated(SWindow*) {}
  virtual void WindowDestroyed(SWindow*) {}
  // Title, rectangle or visibility changed.
  virtual void WindowChanged(SWindow*) {}
  virtual void SurfaceChanged(SWindow*) {}
  virtual void MenuBarChanged(SWindow*) {}
  virtual void ForegroundChanged(SWindow*) {}
  virtual void CursorChanged(CursorHandle, int32_t /*showCount*/) {}

  virtual int32_t MessageBox(SWindow* owner, const std::string& text, const std::string& caption, uint32_t style) = 0;
  // False with *error 0 when cancelled.
  virtual bool FileDialog(bool save, SFileDialog* dialog, uint32_t* error) = 0;
  virtual void Beep() {}
  // A movie's compressor: full frames, the only one, unless the user cancels.
  virtual bool ChooseCompression() { return true; }

  // The clipboard's blocks, one per format (clipboard.cpp keeps the open state).
  virtual bool ClipboardEmpty() = 0;
  virtual bool ClipboardHas(uint32_t format) = 0;
  virtual bool ClipboardSet(uint32_t format, std::vector<uint8_t> bytes) = 0;
  virtual bool ClipboardGet(uint32_t format, std::vector<uint8_t>* bytes) = 0;
};

WindowBackend& Backend();
WindowBackend* NewHeadlessBackend();
// The back end for a display, used unless QUARN2_HEADLESS is set; its factory answers null when no
// display can be opened. Without one every program is headless.
void SetDesktopBackend(WindowBackend* (*factory)());

// Input that back ends feed in. Key messages go to target (the foreground window when null);
// pointer messages to the window under the pointer.
void QueueKey(WindowHandle target, uint32_t virtualKey, bool down);
void QueueChar(WindowHandle target, uint32_t character);
void QueuePointerMove(SPoint screen);
void QueueButton(bool left, bool down);
// A message for a window from outside the program's own calls (closing, focus, moves).
void QueueWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// The back end's own change of a window's rectangle (a window manager moved or sized it).
void NoteWindowRect(WindowHandle window, const SWinRect& rect);
const std::vector<SWindow*>& AllWindows();
WindowHandle FindLiveWindow(WindowHandle window);  // null when the handle is stale

// The pointer position as the common part last saw it (headless input sets it).
void SetCursorPosition(SPoint screen);

// Forwarded command lines of later starts; polled with input (single_instance.cpp).
void PollForwardedCommandLines();
void ReleaseForwardedCommandLine(intptr_t lParam);

}  // namespace platform
