// Inside the platform: the window records that both back ends share, and what a back end supplies.
// The common part (window.cpp) keeps windows, classes, the queue, key state and surfaces; a back end
// shows them and feeds input into the queue through the Queue* functions.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/rect_set.h"
#include "platform/window.h"

namespace platform {

class PrintBackend;

struct SMenuItem {
  std::string text;  // Windows-1252; empty for a separator
  uint32_t id = 0;
  bool grayed = false;
  bool checked = false;
  bool separator = false;
  MenuHandle subMenu = nullptr;  // not owned
};

struct SMenu {
  std::vector<SMenuItem> items;
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
  bool disabled = false;
  bool zoomed = false;
  bool iconic = false;
  WindowHandle parent = nullptr;
  MenuHandle menu = nullptr;
  ModuleHandle instance = nullptr;
  intptr_t userData = 0;
  std::vector<uint32_t> extraWords;
  Surface surface;       // the whole window rectangle
  RectSet updateArea;    // client coordinates
  bool erase = false;
  uint64_t z = 0;        // a higher value lies above a lower one
  DeviceContext* ownDc = nullptr;  // of a class with kCsOwnDc, made on first use
  std::map<uint32_t, bool> systemMenuEnabled;
  uint32_t frameRecomputations = 0;
  bool menuBarShown = false;
  void* backendData = nullptr;
};

bool IsChildWindow(const SWindow* w);
// Whether a window shows: visible, not minimised, and for a child window its parent shows too.
bool IsShowing(const SWindow* w);

// A cursor: the system's own, a numbered shape or a picture.
struct SCursor {
  enum class Kind { kArrow, kWait, kIBeam, kShape, kPicture };
  Kind kind = Kind::kArrow;
  uint32_t number = 0;  // of a shape
  std::string name;     // of a picture
  int32_t width = 0, height = 0, hotX = 0, hotY = 0;
  std::vector<uint32_t> pixels;  // 0xAARRGGBB, rows top first
};
const SCursor* CursorOf(CursorHandle cursor);
// The name of the standard shape a cursor stands for ("default", "wait", "text", "crosshair", ...);
// null for a picture.
const char* CursorShapeName(const SCursor& cursor);
uint32_t CursorSetCount();

// What an edit control holds: its text, the selection from anchor to caret, the text limit and its
// font (a GdiObject, null for the system font).
struct SEditState {
  std::string text;
  uint32_t anchor = 0;
  uint32_t caret = 0;
  uint32_t limit = 0;
  void* font = nullptr;
  uint32_t SelectionStart() const { return anchor < caret ? anchor : caret; }
  uint32_t SelectionEnd() const { return anchor < caret ? caret : anchor; }
};
// Null for a window that is no edit control.
SEditState* EditStateOf(WindowHandle window);

// A print dialog's scripted answer: a printer of that resolution and page size (pixels) with the
// copies chosen, or a cancel.
struct SPrintAnswer {
  bool cancel = true;
  int32_t dpiX = 0;
  int32_t dpiY = 0;
  int32_t pageWidth = 0;
  int32_t pageHeight = 0;
  uint32_t copies = 1;
};

// After this long with no input and nothing drawn a program counts as idle, and its idle waits stretch
// to kQuietWaitMs: the loop then wakes four times a second, not a hundred; a while later once a second.
// Input, a watched descriptor or a due timer ends any wait at once.
constexpr int64_t kQuietAfterMs = 1000;
constexpr int64_t kQuietWaitMs = 250;
constexpr int64_t kLongQuietAfterMs = 5000;
constexpr int64_t kLongQuietWaitMs = 1000;

// How long an idle wait asked for ms may last after quietMs of quiet.
constexpr int64_t QuietWaitMs(int64_t ms, int64_t quietMs) {
  if (quietMs > kLongQuietAfterMs) return ms > kLongQuietWaitMs ? ms : kLongQuietWaitMs;
  if (quietMs > kQuietAfterMs) return ms > kQuietWaitMs ? ms : kQuietWaitMs;
  return ms;
}

class WindowBackend {
 public:
  virtual ~WindowBackend() = default;

  virtual bool IsHeadless() const = 0;
  // Takes pending input into the queue.
  virtual void Poll() = 0;
  // Blocks until input may have come or ms have passed.
  virtual void Wait(int64_t ms) { SleepMs(ms); }
  // How long an idle wait asked for ms may last: a back end that sees the program quiet (no input,
  // nothing drawn) for a while lets it sleep longer, so that an idle program hardly wakes.
  virtual int64_t IdleWaitMs(int64_t ms) { return ms; }
  // A descriptor other than the display's to watch in the back end's own main loop, ready called when
  // it can be read; false when the back end has no loop, and the caller polls it with input instead.
  virtual bool WatchDescriptor(int /*fd*/, void (*/*ready*/)()) { return false; }
  virtual void UnwatchDescriptor(int /*fd*/) {}
  virtual SPoint CursorPos() = 0;
  virtual int32_t Metric(int32_t index) = 0;
  // The screen without the desktop's own panels; the whole screen unless the back end knows better.
  virtual SWinRect WorkArea() { return {0, 0, Metric(kSmCxScreen), Metric(kSmCyScreen)}; }

  virtual void WindowCreated(SWindow*) {}
  virtual void WindowDestroyed(SWindow*) {}
  // Title, rectangle or visibility changed.
  virtual void WindowChanged(SWindow*) {}
  virtual void SurfaceChanged(SWindow*) {}
  // Shows what changed now, without waiting for the next pump.
  virtual void Flush() {}
  // Part of the surface changed (surface coordinates).
  virtual void AreaChanged(SWindow* w, const SWinRect&) { SurfaceChanged(w); }
  // The window went to the top of the window order.
  virtual void WindowRaised(SWindow*) {}
  virtual void PointerWarped(SPoint) {}
  virtual uint64_t NativeId(SWindow*) { return 0; }
  virtual void MenuBarChanged(SWindow*) {}
  // A menu's items or their states changed.
  virtual void MenusChanged() {}
  // The program changed an edit control's text, selection, limit or font.
  virtual void EditChanged(SWindow*) {}
  // A key-down or character for an edit control: true when the back end's own control took it, with
  // *acted telling whether it changed the text or the caret; false leaves it to the platform's model.
  virtual bool EditInput(SWindow*, uint32_t /*message*/, uintptr_t /*wParam*/, bool* /*acted*/) { return false; }
  // The keyboard focus moved to the window, or away from every window (null).
  virtual void FocusChanged(SWindow*) {}
  virtual void ForegroundChanged(SWindow*) {}
  virtual void CursorChanged(CursorHandle, int32_t /*showCount*/) {}

  virtual int32_t MessageBox(SWindow* owner, const std::string& text, const std::string& caption, uint32_t style) = 0;
  // False with *error 0 when cancelled.
  virtual bool FileDialog(bool save, SFileDialog* dialog, uint32_t* error) = 0;
  virtual void Beep() {}
  // The screen for screen contexts, in screen coordinates: RefreshScreen brings an area up to date
  // before it is read, and what contexts draw onto the surface stays there until then. Null when
  // there is no screen to draw on.
  virtual Surface* ScreenSurface() = 0;
  virtual void RefreshScreen(const SWinRect& area) = 0;
  virtual uint32_t DoubleClickTime() = 0;  // ms
  // Whether input may still come: a headless script that has run out brings none.
  virtual bool InputMayCome() { return true; }
  // A movie's compressor: full frames, the only one, unless the user cancels.
  virtual bool ChooseCompression() { return true; }
  // A scripted answer for the modal dialog being shown: the texts of its items, then the button to
  // press (platform/dialog.h); false when there is none.
  virtual bool TakeDialogAnswer(int32_t* /*button*/, std::vector<std::pair<int32_t, std::string>>* /*texts*/) {
    return false;
  }
  // A scripted answer for the print dialog (platform/print.h); false when there is none.
  virtual bool TakePrintAnswer(SPrintAnswer* /*answer*/) { return false; }

  // The clipboard's blocks, one per format (clipboard.cpp keeps the open state).
  virtual bool ClipboardEmpty() = 0;
  virtual bool ClipboardHas(uint32_t format) = 0;
  virtual bool ClipboardSet(uint32_t format, std::vector<uint8_t> bytes) = 0;
  virtual bool ClipboardGet(uint32_t format, std::vector<uint8_t>* bytes) = 0;

  // A file shown by the desktop's viewer for its type, over the parent window (null: none); false,
  // with the Windows error set, when no viewer could be started.
  virtual bool ShowWithViewer(SWindow* /*parent*/, const std::string& /*path*/) {
    SetLastError(kWinNotSupported);
    return false;
  }

  // The printing this back end offers (platform/print_backend.h); null where it prints nothing.
  virtual PrintBackend* Printing() { return nullptr; }
};

WindowBackend& Backend();
WindowBackend* NewHeadlessBackend();
// The back end of a real display, which the first Backend() call tries unless QUARN2_HEADLESS is set;
// the factory answers null when no display can be opened. Without one every run is headless.
using DisplayBackendFactory = WindowBackend* (*)();
void SetDisplayBackendFactory(DisplayBackendFactory factory);

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
// The device contexts' part of painting and of a window's end (device_context.cpp): the context that
// paints the area (the window's own one when its class has one), clipped to it until the end.
DeviceContext* BeginPaintContext(SWindow* w, const RectSet& area);
void EndPaintContext(DeviceContext* dc);
void DestroyOwnDC(SWindow* w);

// The user chose the item at position of a pop-up menu: the messages go to the window whose menu bar
// holds it. False when no window's bar does, or the item cannot be chosen.
bool ChooseMenuItem(MenuHandle menu, uint32_t position);
// The pop-up menu of the bar entry with that title and the position of its item with that text
// (the whole text, or the part before its tab without trailing blanks); false when there is none.
bool FindMenuBarItem(const std::string& title, const std::string& item, MenuHandle* menu, uint32_t* position);

// Activation went to a window outside the program: the active window hears it (lParam null).
void ActivationLeft();

// Key state that a back end takes in without queueing the stroke (keys it hands an edit control at
// once), and the character a key makes with the modifiers held now (0 when none).
void SetKeyState(uint32_t virtualKey, bool down);
uint32_t CharacterOfKey(uint32_t virtualKey);
// The virtual key of an X key name ("Tab", "a", "Control_L", "F5", "KP_Add"), 0 for a name of no key
// the program knows; both back ends name keys so.
uint32_t VirtualKeyNamed(const char* name);

// The classes the system itself provides ("EDIT", "BUTTON", "STATIC" and the dialog class), registered on
// their first use; false for any other name.
bool RegisterSystemClass(const std::string& name);

// The pointer position as the common part last saw it (headless input sets it).
void SetCursorPosition(SPoint screen);

// Forwarded command lines of later starts; polled with input unless the back end watches the socket
// (single_instance.cpp).
void PollForwardedCommandLines();
void ReleaseForwardedCommandLine(intptr_t lParam);

}  // namespace platform
