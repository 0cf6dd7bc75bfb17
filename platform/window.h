// Windows, their classes and the message queue, with the message numbers, virtual keys and answers of
// the desktop system the program was designed against. Two back ends serve this one interface: a
// headless one (windows and surfaces in memory, scripted input on a virtual clock) and GTK 3. The
// headless one is chosen when QUARN2_HEADLESS is set or no display can be opened.
//
// Every input query (PeekMessage, GetQueueStatus, the key and pointer state) first lets the back end
// take pending input, so loops that poll for input end.
#pragma once

#include <cstdint>
#include <string>

#include "platform/surface.h"
#include "platform/system.h"

namespace platform {

struct DeviceContext;
struct SWindow;
using WindowHandle = SWindow*;
struct SMenu;
using MenuHandle = SMenu*;

using WindowProc = intptr_t (*)(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Message numbers.
enum : uint32_t {
  kWmCreate = 0x0001,
  kWmDestroy = 0x0002,
  kWmMove = 0x0003,
  kWmSize = 0x0005,
  kWmActivate = 0x0006,
  kWmPaint = 0x000F,
  kWmSetFocus = 0x0007,
  kWmKillFocus = 0x0008,
  kWmEnable = 0x000A,
  kWmSetText = 0x000C,
  kWmGetText = 0x000D,
  kWmGetTextLength = 0x000E,
  kWmClose = 0x0010,
  kWmQuit = 0x0012,
  kWmEraseBackground = 0x0014,
  kWmEndSession = 0x0016,
  kWmActivateApp = 0x001C,
  kWmSetCursor = 0x0020,
  kWmMouseActivate = 0x0021,
  kWmGetMinMaxInfo = 0x0024,
  kWmSetFont = 0x0030,
  kWmGetFont = 0x0031,
  kWmNcCreate = 0x0081,
  kWmNcDestroy = 0x0082,
  kWmNcCalcSize = 0x0083,
  kWmNcHitTest = 0x0084,
  kWmNcPaint = 0x0085,
  kWmNcActivate = 0x0086,
  kWmGetDlgCode = 0x0087,
  kWmNcLButtonDown = 0x00A1,
  kWmKeyFirst = 0x0100,
  kWmKeyDown = 0x0100,
  kWmKeyUp = 0x0101,
  kWmChar = 0x0102,
  kWmSysKeyDown = 0x0104,
  kWmSysKeyUp = 0x0105,
  kWmSysChar = 0x0106,
  kWmKeyLast = 0x0108,
  kWmInitDialog = 0x0110,
  kWmCommand = 0x0111,
  kWmSysCommand = 0x0112,
  kWmTimer = 0x0113,
  kWmInitMenu = 0x0116,
  kWmMenuSelect = 0x011F,
  kWmMouseFirst = 0x0200,
  kWmMouseMove = 0x0200,
  kWmLButtonDown = 0x0201,
  kWmLButtonUp = 0x0202,
  kWmRButtonDown = 0x0204,
  kWmRButtonUp = 0x0205,
  kWmMouseLast = 0x0209,
  kWmQueryNewPalette = 0x030F,
  kWmUser = 0x0400,
};

// Edit-control messages.
enum : uint32_t { kEmGetSel = 0x00B0, kEmSetSel = 0x00B1, kEmLimitText = 0x00C5 };
// Answers of kWmGetDlgCode.
enum : intptr_t { kDlgcWantArrows = 0x1, kDlgcWantTab = 0x2, kDlgcWantAllKeys = 0x4, kDlgcHasSetSel = 0x8,
                  kDlgcWantChars = 0x80 };
// Low word of kWmActivate's wParam.
enum : uintptr_t { kWaInactive = 0, kWaActive = 1, kWaClickActive = 2 };

// Hit-test answers of kWmNcHitTest.
enum : intptr_t { kHitNowhere = 0, kHitClient = 1, kHitCaption = 2, kHitMenu = 5, kHitBorder = 18 };
// Answers of kWmMouseActivate.
enum : intptr_t { kMaActivate = 1, kMaNoActivate = 3, kMaNoActivateAndEat = 4 };

// Virtual keys (letters and digits are their upper-case characters).
enum : uint32_t {
  kVkLButton = 0x01,
  kVkRButton = 0x02,
  kVkBack = 0x08,
  kVkTab = 0x09,
  kVkReturn = 0x0D,
  kVkShift = 0x10,
  kVkControl = 0x11,
  kVkMenu = 0x12,  // Alt
  kVkCapital = 0x14,
  kVkEscape = 0x1B,
  kVkSpace = 0x20,
  kVkPrior = 0x21,
  kVkNext = 0x22,
  kVkEnd = 0x23,
  kVkHome = 0x24,
  kVkLeft = 0x25,
  kVkUp = 0x26,
  kVkRight = 0x27,
  kVkDown = 0x28,
  kVkInsert = 0x2D,
  kVkDelete = 0x2E,
  kVkNumpad0 = 0x60,  // the keypad's digits with Num Lock on, to 0x69
  kVkMultiply = 0x6A,
  kVkAdd = 0x6B,
  kVkSubtract = 0x6D,
  kVkDecimal = 0x6E,
  kVkDivide = 0x6F,
  kVkF1 = 0x70,
  kVkOemSemicolon = 0xBA,
  kVkOemPlus = 0xBB,
  kVkOemComma = 0xBC,
  kVkOemMinus = 0xBD,
  kVkOemPeriod = 0xBE,
  kVkOemSlash = 0xBF,
  kVkOemTilde = 0xC0,
  kVkOemOpenBracket = 0xDB,
  kVkOemBackslash = 0xDC,
  kVkOemCloseBracket = 0xDD,
  kVkOemQuote = 0xDE,
};

// Window styles, extended styles and class styles the program uses.
enum : uint32_t {
  kWsPopup = 0x80000000,
  kWsChild = 0x40000000,
  kWsVisible = 0x10000000,
  kWsDisabled = 0x08000000,
  kWsCaption = 0x00C00000,
  kWsBorder = 0x00800000,
  kWsTabStop = 0x00010000,
  kWsSysMenu = 0x00080000,
  kWsMinimizeBox = 0x00020000,
  kCsOwnDc = 0x0020,
  kCsByteAlignWindow = 0x1000,
};
enum : uint32_t { kWsExToolWindow = 0x0080 };
// Styles of the class "EDIT".
enum : uint32_t { kEsLeft = 0x0, kEsCenter = 0x1, kEsRight = 0x2, kEsMultiLine = 0x4, kEsAutoHScroll = 0x80 };

// ShowWindow commands.
enum : int32_t { kSwHide = 0, kSwShowNormal = 1, kSwShowMaximized = 3, kSwShow = 5, kSwMinimize = 6, kSwRestore = 9 };

// SetWindowPos flags.
enum : uint32_t {
  kSwpNoSize = 0x0001,
  kSwpNoMove = 0x0002,
  kSwpNoZOrder = 0x0004,
  kSwpNoRedraw = 0x0008,
  kSwpNoActivate = 0x0010,
  kSwpFrameChanged = 0x0020,
  kSwpShowWindow = 0x0040,
  kSwpHideWindow = 0x0080,
};

// GetQueueStatus kinds.
enum : uint32_t {
  kQsKey = 0x0001,
  kQsMouseMove = 0x0002,
  kQsMouseButton = 0x0004,
  kQsPostMessage = 0x0008,
  kQsTimer = 0x0010,
  kQsPaint = 0x0020,
  kQsSendMessage = 0x0040,
  kQsHotKey = 0x0080,
};

// System metrics.
enum : int32_t {
  kSmCxScreen = 0,
  kSmCyScreen = 1,
  kSmCyCaption = 4,
  kSmCxBorder = 5,
  kSmCyBorder = 6,
  kSmCxDlgFrame = 7,
  kSmCyDlgFrame = 8,
  kSmCyMenu = 15,
  kSmSwapButton = 23,
};

// System-menu commands.
enum : uint32_t { kScSize = 0xF000, kScMove = 0xF010, kScMaximize = 0xF030, kScNextWindow = 0xF040, kScPrevWindow = 0xF050 };

// Message-box buttons and icons, and answers.
enum : uint32_t { kMbOk = 0x0, kMbOkCancel = 0x1, kMbYesNoCancel = 0x3, kMbYesNo = 0x4, kMbIconQuestion = 0x20,
                  kMbIconWarning = 0x30 };
enum : int32_t { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

// Open and save dialog flags.
enum : uint32_t {
  kOfnOverwritePrompt = 0x0002,
  kOfnHideReadOnly = 0x0004,
  kOfnEnableHook = 0x0020,
  kOfnPathMustExist = 0x0800,
  kOfnFileMustExist = 0x1000,
  kOfnExplorer = 0x80000,
};

struct SPoint {
  int32_t x = 0;
  int32_t y = 0;
};

struct SWinRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool Contains(SPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool operator==(const SWinRect&) const = default;
};

struct SMessage {
  WindowHandle window = nullptr;
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
  uint32_t time = 0;  // ticks
  SPoint point;       // pointer position when the message was queued
};

struct SWindowClass {
  std::string name;
  uint32_t style = 0;
  WindowProc procedure = nullptr;
  int32_t extraBytes = 0;
  ModuleHandle instance = nullptr;
  const void* icon = nullptr;
  CursorHandle cursor = nullptr;
};

// lParam of kWmNcCreate and kWmCreate.
struct SCreateStruct {
  void* createParam = nullptr;
  ModuleHandle instance = nullptr;
  WindowHandle parent = nullptr;
  int32_t x = 0, y = 0, width = 0, height = 0;
  uint32_t style = 0;
  const char* title = nullptr;
  const char* className = nullptr;
};

// lParam of kWmNcCalcSize with wParam 1: rects[0] holds the new window rectangle on entry and the
// client rectangle on exit.
struct SWindowPos {
  WindowHandle window = nullptr;
  int32_t x = 0, y = 0, width = 0, height = 0;
  uint32_t flags = 0;
};
struct SNcCalcSizeParams {
  SWinRect rects[3];
  SWindowPos* position = nullptr;
};

// What BeginPaint hands out until EndPaint: the context clipped to the update area (the window's own
// context when its class has one), and that area's bounding rectangle.
struct SPaint {
  Surface* surface = nullptr;
  DeviceContext* dc = nullptr;
  SWinRect area;  // client coordinates
  bool erase = false;
};

// lParam of kWmUser when another start of the program forwarded its command line.
struct SForwardedCommandLine {
  const char* commandLine = nullptr;
  const char* folder = nullptr;  // the sender's current folder
};

constexpr intptr_t MakeLParam(int32_t low, int32_t high) {
  return intptr_t(uint32_t(uint16_t(low)) | (uint32_t(uint16_t(high)) << 16));
}
constexpr int32_t LowWordSigned(intptr_t value) { return int16_t(uint16_t(value & 0xFFFF)); }
constexpr int32_t HighWordSigned(intptr_t value) { return int16_t(uint16_t((value >> 16) & 0xFFFF)); }

bool IsHeadless();

// A class the system provides besides "EDIT" (platform/edit_control.h), "STATIC" and the dialogs' class
// (platform/dialog.h): push buttons as child windows of dialogs, and plain windows used hidden as
// owners otherwise.
inline constexpr const char* kButtonClass = "BUTTON";

// Classes.
bool RegisterWindowClass(const SWindowClass& windowClass);
bool UnregisterWindowClass(const std::string& name, ModuleHandle instance);
bool GetWindowClass(const std::string& name, SWindowClass* windowClass);

// Windows. A window with kWsChild lies in its parent's client area, placed and moved in the parent's
// client coordinates; every other window's parent is its owner, and an owned window stays above its
// owner. kWsVisible shows the window once it is created.
WindowHandle CreateWindow(uint32_t exStyle, const std::string& className, const std::string& title, uint32_t style,
                          int32_t x, int32_t y, int32_t width, int32_t height, WindowHandle parent, MenuHandle menu,
                          ModuleHandle instance, void* createParam);
// Makes the next count calls of CreateWindow fail, so tests can reach the paths of a refused window.
void FailNextWindowCreations(uint32_t count);
bool DestroyWindow(WindowHandle window);
bool IsWindow(WindowHandle window);
std::string GetClassName(WindowHandle window);
uint32_t GetWindowStyle(WindowHandle window);
uint32_t GetWindowExStyle(WindowHandle window);
WindowHandle GetParent(WindowHandle window);
bool SetWindowText(WindowHandle window, const std::string& text);
std::string GetWindowText(WindowHandle window);
// A disabled window takes no pointer or key input; kWmEnable tells it of a change. The answer is
// whether it was disabled before.
bool EnableWindow(WindowHandle window, bool enable);
bool IsWindowEnabled(WindowHandle window);
// The window's procedure may be replaced (subclassing); the replaced one is answered, and the new
// one passes what it does not handle on with CallWindowProc.
WindowProc SetWindowProcedure(WindowHandle window, WindowProc procedure);
WindowProc GetWindowProcedure(WindowHandle window);
intptr_t CallWindowProc(WindowProc procedure, WindowHandle window, uint32_t message, uintptr_t wParam,
                        intptr_t lParam);
intptr_t GetWindowUserData(WindowHandle window);
void SetWindowUserData(WindowHandle window, intptr_t value);
// The class's extra bytes, as 32-bit words.
uint32_t GetWindowExtraWord(WindowHandle window, int32_t offset);
void SetWindowExtraWord(WindowHandle window, int32_t offset, uint32_t value);
bool GetWindowRect(WindowHandle window, SWinRect* rect);  // screen coordinates
bool GetClientRect(WindowHandle window, SWinRect* rect);  // {0, 0, width, height}
SPoint ClientToScreen(WindowHandle window, SPoint point);
SPoint ScreenToClient(WindowHandle window, SPoint point);
// Without kSwpNoZOrder the window goes to the top of the window order; kSwpShowWindow and
// kSwpHideWindow show and hide it, and showing activates it unless kSwpNoActivate is given.
bool SetWindowPos(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t flags);
bool MoveWindow(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height, bool repaint);
bool ShowWindow(WindowHandle window, int32_t command);
bool IsWindowVisible(WindowHandle window);
bool IsZoomed(WindowHandle window);
bool IsIconic(WindowHandle window);
// The active window is the foreground one; activating a window brings it to the top and gives it the
// keyboard focus. Keys go to the focus window, or to the active one when nothing has the focus.
bool SetForegroundWindow(WindowHandle window);
WindowHandle GetForegroundWindow();
WindowHandle SetActiveWindow(WindowHandle window);  // the window that was active
WindowHandle GetActiveWindow();
WindowHandle SetFocus(WindowHandle window);  // the window that had the focus
WindowHandle GetFocus();
WindowHandle FindWindow(const std::string& className, const std::string& title);
// The topmost showing program window under a screen point (a child window inside its parent); null
// when none.
WindowHandle WindowFromPoint(SPoint screen);
// The system's own answers. A non-client press on the caption (kWmNcLButtonDown with kHitCaption, the
// point in screen coordinates) moves the window with the pointer until the left button is up, taking
// the pointer's messages meanwhile, and then answers.
intptr_t DefWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Painting: each window has a 32-bit surface the size of its window rectangle; client coordinates are
// offset by the non-client strip at its top.
Surface* GetWindowSurface(WindowHandle window);
SPoint ClientOrigin(WindowHandle window);  // of the client area inside the window's surface
// The update area: what InvalidateRect adds (null: the whole client area) and ValidateRect takes away
// (null: all of it), cut to the client area. A visible window with an update area gets kWmPaint.
bool InvalidateRect(WindowHandle window, const SWinRect* clientRect, bool erase);
bool ValidateRect(WindowHandle window, const SWinRect* clientRect = nullptr);
// Every window of the program, child windows included, to be repainted whole.
void InvalidateAllWindows();
// The update area's bounding rectangle; false when there is none.
bool GetUpdateRect(WindowHandle window, SWinRect* rect);
// Sends kWmPaint at once when the window is visible and has an update area.
bool UpdateWindow(WindowHandle window);
// Takes the update area, sends kWmEraseBackground with the paint context (wParam) when erasing was
// asked, and leaves the context clipped to the area until EndPaint.
bool BeginPaint(WindowHandle window, SPaint* paint);
void EndPaint(WindowHandle window, const SPaint& paint);
void FillClientRect(WindowHandle window, const SWinRect& clientRect, uint32_t color);
// Fills the window area outside the client area, where the caption and menu bar would be drawn.
void FillNonClient(WindowHandle window, uint32_t color);

// Menus: an empty menu bar is enough until the menus come; the system menu records item states.
MenuHandle CreateMenu();
void DestroyMenu(MenuHandle menu);
void EnableSystemMenuItem(WindowHandle window, uint32_t command, bool enabled);
bool IsSystemMenuItemEnabled(WindowHandle window, uint32_t command);

// Window timers: kWmTimer (wParam the id) comes when the queue is otherwise empty and the period has
// passed since the timer was set or its last message was taken, once however long it waited. The
// same window and id again restarts the timer. SetTimer answers the id, 0 on failure.
uint32_t SetTimer(WindowHandle window, uint32_t id, uint32_t periodMs);
bool KillTimer(WindowHandle window, uint32_t id);

// The queue.
bool PeekMessage(SMessage* message, WindowHandle window, uint32_t first, uint32_t last, bool remove);
bool PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
intptr_t SendMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
intptr_t DispatchMessage(const SMessage& message);
// Paints the windows whose paint messages wait, after a dialog uncovered them, and takes nothing else
// from the queue. At most kMostPaintDispatches: a window whose painting does not validate it would
// come back for ever.
inline constexpr int kMostPaintDispatches = 1000;
void DispatchPaintMessages();
// Posts the character message of a key-down (US layout); false when the key makes no character.
bool TranslateMessage(const SMessage& message);
// Kinds of messages waiting (high 16 bits) among those of mask.
uint32_t GetQueueStatus(uint32_t mask);
// The idle wait: answers at once when messages are waiting, else blocks until input may have come or
// timeoutMs have passed. The time passes for real, also on the headless back end's virtual clock
// (which keeps pace), except that script input still waiting for its moment is reached at once.
void WaitMessage(int64_t timeoutMs);

// Keys and pointer. A key reads as it was before its oldest stroke still in the queue, so handlers see
// the modifiers of their own message even when a burst of input is queued at once.
bool IsKeyDownAsync(uint32_t virtualKey);
// The keyboard's state now, whatever strokes wait in the queue: for loops that poll without pumping
// (drags), which would otherwise never see a modifier change until they end.
bool IsKeyDownNow(uint32_t virtualKey);
bool IsKeyToggled(uint32_t virtualKey);  // Caps Lock's state, also as before its presses still queued
// Mapping 2: the unshifted character of a virtual key (letters upper case), 0 when none.
uint32_t MapVirtualKey(uint32_t virtualKey, uint32_t mapping);
SPoint GetCursorPos();
// The longest time between the two presses of a double click, in ms.
uint32_t GetDoubleClickTime();

// Cursors: the system's arrow, wait and text (I-beam) cursors, the program's shapes by number, and
// cursors made from pictures. A cursor lives as long as the process.
int32_t ShowCursor(bool show);  // the display counter after the change; shown while >= 0
CursorHandle ArrowCursor();
CursorHandle WaitCursor();
CursorHandle IBeamCursor();
// The shape the number stands for (crosshair, grab, resize arrows, zoom, pointer, move: 107 to 124);
// null for a number that has none.
CursorHandle ShapeCursor(uint32_t number);
// A cursor of width × height pixels 0xAARRGGBB (rows top first) with its hot spot; the same cursor
// again for the same name and picture. Null for an empty or oversized picture (over 256 a side).
CursorHandle CreatePictureCursor(const std::string& name, int32_t width, int32_t height, const uint32_t* pixels,
                                 int32_t hotX, int32_t hotY);
CursorHandle SetCursor(CursorHandle cursor);  // the previous cursor
CursorHandle GetCursor();
// Moves the pointer to a screen point.
bool SetCursorPos(int32_t x, int32_t y);

// The window's identifier in the display system (an X window id), for tools outside the program;
// 0 headless.
uint64_t NativeWindowId(WindowHandle window);

int32_t GetSystemMetrics(int32_t index);

int32_t MessageBox(WindowHandle owner, const std::string& text, const std::string& caption, uint32_t style);

// Open and save dialogs. filter holds "description\0pattern\0...\0"; filterIndex counts from 1, in and
// out. file holds the initial name and receives the chosen path. On false, CommonDialogError() is 0
// when the user cancelled. defaultExtension (without its dot): an opened name without an extension
// that names no file takes it when the name with it does; a name to save without one takes it.
struct SFileDialog {
  WindowHandle owner = nullptr;
  std::string filter;
  uint32_t filterIndex = 0;
  std::string file;
  std::string title;
  std::string initialFolder;
  std::string defaultExtension;
  uint32_t flags = 0;
};
bool GetOpenFileName(SFileDialog* dialog);
bool GetSaveFileName(SFileDialog* dialog);
uint32_t CommonDialogError();

}  // namespace platform
