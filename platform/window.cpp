#include "platform/window.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <memory>

#include "platform/clock.h"
#include "platform/file.h"
#include "platform/window_backend.h"

namespace platform {
namespace {

std::vector<SWindowClass> gClasses;
std::vector<SWindow*> gWindows;
std::vector<std::unique_ptr<SMenu>> gMenus;
std::deque<SMessage> gQueue;
WindowHandle gForeground = nullptr;
bool gKeys[256] = {};
bool gToggled[256] = {};
SPoint gCursor;
int32_t gCursorCount = 0;
uint32_t gDialogError = 0;

const char gArrowMarker = 0;
const char gWaitMarker = 0;
CursorHandle gCursorShape = &gArrowMarker;

std::unique_ptr<WindowBackend> gBackend;
WindowBackend* (*gDesktopFactory)() = nullptr;

bool WantsHeadless() {
  const char* value = std::getenv("QUARN2_HEADLESS");
  return value && *value;
}

void PollInput() {
  Backend().Poll();
  PollForwardedCommandLines();
}

bool InRange(uint32_t message, uint32_t first, uint32_t last) {
  return (first == 0 && last == 0) || (message >= first && message <= last);
}

bool IsKeyMessage(uint32_t message) { return message >= kWmKeyFirst && message <= kWmKeyLast; }
bool IsMouseMessage(uint32_t message) { return message >= kWmMouseFirst && message <= kWmMouseLast; }

int32_t NonClientTop(const SWindow& w) {
  int32_t top = 0;
  if ((w.style & kWsCaption) == kWsCaption) top += Backend().Metric(kSmCyCaption);
  if (w.menu) top += Backend().Metric(kSmCyMenu);
  return top;
}

SWindow* Live(WindowHandle window) { return FindLiveWindow(window); }

// The topmost visible window under a screen point; the newest window is on top.
SWindow* WindowAt(SPoint screen) {
  for (auto it = gWindows.rbegin(); it != gWindows.rend(); ++it) {
    if ((*it)->visible && !(*it)->iconic && (*it)->rect.Contains(screen)) return *it;
  }
  return nullptr;
}

void Post(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  SMessage m;
  m.window = window;
  m.message = message;
  m.wParam = wParam;
  m.lParam = lParam;
  m.time = uint32_t(NowTicks());
  m.point = gCursor;
  gQueue.push_back(m);
}

// Recomputes the client area through the window's own procedure.
void RecomputeClient(SWindow* w, const SWinRect& newRect, uint32_t flags) {
  SWindowPos position{w, newRect.left, newRect.top, newRect.Width(), newRect.Height(), flags};
  SNcCalcSizeParams params;
  params.rects[0] = params.rects[2] = newRect;
  params.rects[1] = w->rect;
  params.position = &position;
  SendMessage(w, kWmNcCalcSize, 1, reinterpret_cast<intptr_t>(&params));
  const SWinRect& c = params.rects[0];
  w->client = {c.left - newRect.left, c.top - newRect.top, c.right - newRect.left, c.bottom - newRect.top};
}

void InvalidateAll(SWindow* w) {
  SWinRect client;
  GetClientRect(w, &client);
  InvalidateRect(w, &client, true);
}

bool IsKeyStroke(uint32_t message) {
  return message == kWmKeyDown || message == kWmKeyUp || message == kWmSysKeyDown || message == kWmSysKeyUp;
}

// A key's state as the program has seen it: before the oldest stroke of that key still queued, else
// as the keyboard has it now. Input may arrive in bursts (a whole Ctrl+Q at once), and the handler of
// the Q must still see Ctrl down. Buttons answer their current state, for loops that poll without
// pumping.
bool KeyState(uint32_t vk) {
  vk &= 0xFF;
  if (vk != kVkLButton && vk != kVkRButton) {
    for (const SMessage& m : gQueue) {
      if (IsKeyStroke(m.message) && (m.wParam & 0xFF) == vk) return ((m.lParam >> 30) & 1) != 0;
    }
  }
  return gKeys[vk];
}

uint32_t CharacterOf(uint32_t vk, bool shift, bool control, bool caps) {
  if (vk >= 'A' && vk <= 'Z') {
    if (control) return vk - 'A' + 1;
    return (shift != caps) ? vk : vk - 'A' + 'a';
  }
  if (vk == kVkReturn) return control ? 0x0A : 0x0D;
  if (vk == kVkBack) return control ? 0x7F : 0x08;
  if (vk == kVkEscape) return 0x1B;
  if (control) {
    // Only the keys that have a control character of their own make one; the others (space among
    // them) make none, so that Ctrl+Shift+Space is a key and not also a character.
    switch (vk) {
      case kVkOemOpenBracket: return 0x1B;
      case kVkOemBackslash: return 0x1C;
      case kVkOemCloseBracket: return 0x1D;
      default: return 0;
    }
  }
  if (vk >= '0' && vk <= '9') return shift ? uint32_t(")!@#$%^&*("[vk - '0']) : vk;
  struct SKeyChars {
    uint32_t vk;
    char plain, shifted;
  };
  static constexpr SKeyChars kKeys[] = {
      {kVkSpace, ' ', ' '},        {kVkTab, '\t', '\t'},           {kVkOemSemicolon, ';', ':'},
      {kVkOemPlus, '=', '+'},      {kVkOemComma, ',', '<'},        {kVkOemMinus, '-', '_'},
      {kVkOemPeriod, '.', '>'},    {kVkOemSlash, '/', '?'},        {kVkOemTilde, '`', '~'},
      {kVkOemOpenBracket, '[', '{'}, {kVkOemBackslash, '\\', '|'}, {kVkOemCloseBracket, ']', '}'},
      {kVkOemQuote, '\'', '"'},
  };
  for (const SKeyChars& k : kKeys) {
    if (k.vk == vk) return uint8_t(shift ? k.shifted : k.plain);
  }
  return 0;
}

}  // namespace

void SetDesktopBackend(WindowBackend* (*factory)()) { gDesktopFactory = factory; }

WindowBackend& Backend() {
  if (!gBackend) {
    if (!WantsHeadless() && gDesktopFactory) gBackend.reset(gDesktopFactory());
    if (!gBackend) gBackend.reset(NewHeadlessBackend());
  }
  return *gBackend;
}

bool IsHeadless() { return Backend().IsHeadless(); }

const std::vector<SWindow*>& AllWindows() { return gWindows; }

WindowHandle FindLiveWindow(WindowHandle window) {
  if (!window) return nullptr;
  return std::find(gWindows.begin(), gWindows.end(), window) != gWindows.end() ? window : nullptr;
}

void SetCursorPosition(SPoint screen) { gCursor = screen; }

// ---- classes

bool RegisterWindowClass(const SWindowClass& windowClass) {
  if (windowClass.name.empty() || !windowClass.procedure) return false;
  for (const SWindowClass& c : gClasses) {
    if (c.name == windowClass.name) return false;
  }
  gClasses.push_back(windowClass);
  return true;
}

bool UnregisterWindowClass(const std::string& name, ModuleHandle) {
  for (SWindow* w : gWindows) {
    if (w->className == name) return false;  // still in use
  }
  auto it = std::find_if(gClasses.begin(), gClasses.end(), [&](const SWindowClass& c) { return c.name == name; });
  if (it == gClasses.end()) return false;
  gClasses.erase(it);
  return true;
}

bool GetWindowClass(const std::string& name, SWindowClass* windowClass) {
  for (const SWindowClass& c : gClasses) {
    if (c.name == name) {
      *windowClass = c;
      return true;
    }
  }
  return false;
}

// ---- windows

WindowHandle CreateWindow(uint32_t exStyle, const std::string& className, const std::string& title, uint32_t style,
                          int32_t x, int32_t y, int32_t width, int32_t height, WindowHandle parent, MenuHandle menu,
                          ModuleHandle instance, void* createParam) {
  SWindowClass windowClass;
  if (!GetWindowClass(className, &windowClass)) return nullptr;
  auto* w = new SWindow;
  w->className = className;
  w->procedure = windowClass.procedure;
  w->classStyle = windowClass.style;
  w->style = style;
  w->exStyle = exStyle;
  w->title = title;
  w->rect = {x, y, x + width, y + height};
  w->parent = Live(parent);
  w->menu = menu;
  w->instance = instance;
  w->extraWords.assign(size_t(std::max(windowClass.extraBytes, 0) + 3) / 4, 0);
  w->surface.Resize(width, height);
  w->client = {0, NonClientTop(*w), width, height};
  gWindows.push_back(w);
  Backend().WindowCreated(w);

  SCreateStruct create{createParam, instance, w->parent, x, y, width, height, style, title.c_str(), className.c_str()};
  if (!SendMessage(w, kWmNcCreate, 0, reinterpret_cast<intptr_t>(&create))) {
    DestroyWindow(w);
    return nullptr;
  }
  RecomputeClient(w, w->rect, 0);
  if (SendMessage(w, kWmCreate, 0, reinterpret_cast<intptr_t>(&create)) == -1) {
    DestroyWindow(w);
    return nullptr;
  }
  return w;
}

bool DestroyWindow(WindowHandle window) {
  SWindow* w = Live(window);
  if (!w) return false;
  for (SWindow* child : std::vector<SWindow*>(gWindows)) {
    if (child->parent == w) DestroyWindow(child);
  }
  if (gForeground == w) gForeground = nullptr;
  SendMessage(w, kWmDestroy, 0, 0);
  SendMessage(w, kWmNcDestroy, 0, 0);
  for (const SMessage& m : gQueue) {
    if (m.window == w && m.message == kWmUser) ReleaseForwardedCommandLine(m.lParam);
  }
  gQueue.erase(std::remove_if(gQueue.begin(), gQueue.end(), [w](const SMessage& m) { return m.window == w; }),
               gQueue.end());
  Backend().WindowDestroyed(w);
  gWindows.erase(std::find(gWindows.begin(), gWindows.end(), w));
  delete w;
  return true;
}

bool IsWindow(WindowHandle window) { return Live(window) != nullptr; }

std::string GetClassName(WindowHandle window) {
  SWindow* w = Live(window);
  return w ? w->className : std::string();
}

uint32_t GetWindowStyle(WindowHandle window) {
  SWindow* w = Live(window);
  return w ? w->style : 0;
}

WindowHandle GetParent(WindowHandle window) {
  SWindow* w = Live(window);
  return w ? w->parent : nullptr;
}

bool SetWindowText(WindowHandle window, const std::string& text) {
  SWindow* w = Live(window);
  if (!w) return false;
  w->title = text;
  Backend().WindowChanged(w);
  return true;
}

std::string GetWindowText(WindowHandle window) {
  SWindow* w = Live(window);
  return w ? w->title : std::string();
}

intptr_t GetWindowUserData(WindowHandle window) {
  SWindow* w = Live(window);
  return w ? w->userData : 0;
}

void SetWindowUserData(WindowHandle window, intptr_t value) {
  if (SWindow* w = Live(window)) w->userData = value;
}

uint32_t GetWindowExtraWord(WindowHandle window, int32_t offset) {
  SWindow* w = Live(window);
  if (!w || offset < 0 || size_t(offset) / 4 >= w->extraWords.size()) return 0;
  return w->extraWords[size_t(offset) / 4];
}

void SetWindowExtraWord(WindowHandle window, int32_t offset, uint32_t value) {
  SWindow* w = Live(window);
  if (w && offset >= 0 && size_t(offset) / 4 < w->extraWords.size()) w->extraWords[size_t(offset) / 4] = value;
}

bool GetWindowRect(WindowHandle window, SWinRect* rect) {
  SWindow* w = Live(window);
  if (!w) return false;
  *rect = w->rect;
  return true;
}

bool GetClientRect(WindowHandle window, SWinRect* rect) {
  SWindow* w = Live(window);
  if (!w) return false;
  *rect = {0, 0, std::max(w->client.Width(), 0), std::max(w->client.Height(), 0)};
  return true;
}

SPoint ClientOrigin(WindowHandle window) {
  SWindow* w = Live(window);
  return w ? SPoint{w->client.left, w->client.top} : SPoint{};
}

SPoint ClientToScreen(WindowHandle window, SPoint point) {
  SWindow* w = Live(window);
  if (!w) return point;
  return {point.x + w->rect.left + w->client.left, point.y + w->rect.top + w->client.top};
}

SPoint ScreenToClient(WindowHandle window, SPoint point) {
  SWindow* w = Live(window);
  if (!w) return point;
  return {point.x - w->rect.left - w->client.left, point.y - w->rect.top - w->client.top};
}

bool SetWindowPos(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t flags) {
  SWindow* w = Live(window);
  if (!w) return false;
  SWinRect rect = w->rect;
  if (!(flags & kSwpNoMove)) rect = {x, y, x + rect.Width(), y + rect.Height()};
  if (!(flags & kSwpNoSize)) rect.right = rect.left + std::max(width, 0), rect.bottom = rect.top + std::max(height, 0);
  const bool moved = rect.left != w->rect.left || rect.top != w->rect.top;
  const bool sized = rect.Width() != w->rect.Width() || rect.Height() != w->rect.Height();
  const bool frame = (flags & kSwpFrameChanged) != 0;
  if (frame || sized) RecomputeClient(w, rect, flags);
  w->rect = rect;
  w->surface.Resize(rect.Width(), rect.Height());
  if (frame) ++w->frameRecomputations;
  Backend().WindowChanged(w);
  if (moved) {
    const SPoint origin = ClientToScreen(w, {0, 0});
    SendMessage(w, kWmMove, 0, MakeLParam(origin.x, origin.y));
  }
  if (sized) SendMessage(w, kWmSize, 0, MakeLParam(w->client.Width(), w->client.Height()));
  if ((frame || sized) && w->visible) {
    SendMessage(w, kWmNcPaint, 1, 0);
    if (!(flags & kSwpNoRedraw)) InvalidateAll(w);
  }
  return true;
}

bool MoveWindow(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height, bool repaint) {
  const uint32_t redraw = repaint ? 0u : uint32_t(kSwpNoRedraw);
  return SetWindowPos(window, x, y, width, height, kSwpNoZOrder | kSwpNoActivate | redraw);
}

bool ShowWindow(WindowHandle window, int32_t command) {
  SWindow* w = Live(window);
  if (!w) return false;
  const bool wasVisible = w->visible;
  switch (command) {
    case kSwHide:
      w->visible = false;
      if (gForeground == w) gForeground = nullptr;
      break;
    case kSwMinimize:
      w->visible = true;
      w->iconic = true;
      break;
    case kSwShowMaximized:
      w->visible = true;
      w->iconic = false;
      w->zoomed = true;
      SetWindowPos(w, 0, 0, Backend().Metric(kSmCxScreen), Backend().Metric(kSmCyScreen), kSwpNoZOrder);
      break;
    case kSwRestore:
    case kSwShowNormal:
      w->visible = true;
      w->iconic = false;
      w->zoomed = false;
      break;
    default:
      w->visible = true;
      break;
  }
  Backend().WindowChanged(w);
  if (w->visible && command != kSwMinimize) {
    SetForegroundWindow(w);
    SendMessage(w, kWmNcPaint, 1, 0);
    InvalidateAll(w);
  }
  return wasVisible;
}

bool IsWindowVisible(WindowHandle window) {
  SWindow* w = Live(window);
  return w && w->visible;
}

bool IsZoomed(WindowHandle window) {
  SWindow* w = Live(window);
  return w && w->zoomed;
}

bool IsIconic(WindowHandle window) {
  SWindow* w = Live(window);
  return w && w->iconic;
}

bool SetForegroundWindow(WindowHandle window) {
  SWindow* w = Live(window);
  if (!w) return false;
  gForeground = w;
  Backend().ForegroundChanged(w);
  return true;
}

WindowHandle GetForegroundWindow() { return gForeground; }

WindowHandle FindWindow(const std::string& className, const std::string& title) {
  for (SWindow* w : gWindows) {
    if (w->className == className && w->title == title) return w;
  }
  return nullptr;
}

intptr_t DefWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  SWindow* w = Live(window);
  if (!w) return 0;
  switch (message) {
    case kWmNcCreate: return 1;
    case kWmNcCalcSize:
      if (wParam) reinterpret_cast<SNcCalcSizeParams*>(lParam)->rects[0].top += NonClientTop(*w);
      return 0;
    case kWmNcHitTest: {
      const SPoint p{LowWordSigned(lParam), HighWordSigned(lParam)};
      if (!w->rect.Contains(p)) return kHitNowhere;
      return p.y - w->rect.top < w->client.top ? kHitCaption : kHitClient;
    }
    case kWmNcPaint:
      // The system's own non-client drawing: caption strip and, with a menu, the menu bar.
      w->surface.Fill(0, 0, w->surface.Width(), w->client.top, 0x404040);
      w->menuBarShown = w->menu != nullptr;
      Backend().MenuBarChanged(w);
      Backend().SurfaceChanged(w);
      return 0;
    case kWmNcActivate: return 1;
    case kWmMouseActivate: return kMaActivate;
    case kWmPaint: {
      SPaint paint;
      BeginPaint(w, &paint);
      EndPaint(w, paint);
      return 0;
    }
    case kWmClose: DestroyWindow(w); return 0;
    default: return 0;
  }
}

// ---- painting

Surface* GetWindowSurface(WindowHandle window) {
  SWindow* w = Live(window);
  return w ? &w->surface : nullptr;
}

bool InvalidateRect(WindowHandle window, const SWinRect* clientRect, bool erase) {
  SWindow* w = Live(window);
  if (!w) return false;
  SWinRect area;
  if (clientRect) area = *clientRect;
  else GetClientRect(w, &area);
  if (area.IsEmpty()) return true;
  if (w->invalid) {
    w->invalidArea = {std::min(w->invalidArea.left, area.left), std::min(w->invalidArea.top, area.top),
                      std::max(w->invalidArea.right, area.right), std::max(w->invalidArea.bottom, area.bottom)};
  } else {
    w->invalidArea = area;
  }
  w->invalid = true;
  w->erase = w->erase || erase;
  return true;
}

bool ValidateRect(WindowHandle window) {
  SWindow* w = Live(window);
  if (!w) return false;
  w->invalid = false;
  w->erase = false;
  return true;
}

bool BeginPaint(WindowHandle window, SPaint* paint) {
  SWindow* w = Live(window);
  if (!w) return false;
  paint->surface = &w->surface;
  paint->area = w->invalid ? w->invalidArea : SWinRect{};
  paint->erase = w->erase;
  const bool erase = w->erase;
  w->invalid = false;
  w->erase = false;
  if (erase) SendMessage(w, kWmEraseBackground, 0, 0);
  return true;
}

void EndPaint(WindowHandle window, const SPaint&) {
  if (SWindow* w = Live(window)) Backend().SurfaceChanged(w);
}

void FillClientRect(WindowHandle window, const SWinRect& clientRect, uint32_t color) {
  SWindow* w = Live(window);
  if (!w) return;
  const SWinRect& c = w->client;
  w->surface.Fill(std::max(c.left + clientRect.left, c.left), std::max(c.top + clientRect.top, c.top),
                  std::min(c.left + clientRect.right, c.right), std::min(c.top + clientRect.bottom, c.bottom), color);
  Backend().SurfaceChanged(w);
}

void FillNonClient(WindowHandle window, uint32_t color) {
  SWindow* w = Live(window);
  if (!w) return;
  Surface& s = w->surface;
  const SWinRect& c = w->client;
  s.Fill(0, 0, s.Width(), c.top, color);
  s.Fill(0, c.bottom, s.Width(), s.Height(), color);
  s.Fill(0, c.top, c.left, c.bottom, color);
  s.Fill(c.right, c.top, s.Width(), c.bottom, color);
  // Painting over the strip is what keeps the menu bar from being drawn.
  w->menuBarShown = false;
  Backend().MenuBarChanged(w);
  Backend().SurfaceChanged(w);
}

// ---- menus

MenuHandle CreateMenu() {
  gMenus.push_back(std::make_unique<SMenu>());
  return gMenus.back().get();
}

void DestroyMenu(MenuHandle menu) {
  for (SWindow* w : gWindows) {
    if (w->menu == menu) w->menu = nullptr;
  }
  gMenus.erase(std::remove_if(gMenus.begin(), gMenus.end(), [menu](const auto& m) { return m.get() == menu; }),
               gMenus.end());
}

void EnableSystemMenuItem(WindowHandle window, uint32_t command, bool enabled) {
  if (SWindow* w = Live(window)) w->systemMenuEnabled[command] = enabled;
}

bool IsSystemMenuItemEnabled(WindowHandle window, uint32_t command) {
  SWindow* w = Live(window);
  if (!w) return false;
  auto it = w->systemMenuEnabled.find(command);
  return it == w->systemMenuEnabled.end() || it->second;
}

// ---- queue

bool PeekMessage(SMessage* message, WindowHandle window, uint32_t first, uint32_t last, bool remove) {
  PollInput();
  for (auto it = gQueue.begin(); it != gQueue.end(); ++it) {
    if ((window && it->window != window) || !InRange(it->message, first, last)) continue;
    *message = *it;
    if (remove) gQueue.erase(it);
    return true;
  }
  // A paint message stands for an invalid window until it is painted; it comes after all others.
  if (!InRange(kWmPaint, first, last)) return false;
  for (SWindow* w : gWindows) {
    if (w->invalid && w->visible && (!window || window == w)) {
      *message = SMessage{w, kWmPaint, 0, 0, uint32_t(NowTicks()), gCursor};
      return true;
    }
  }
  return false;
}

bool PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (window && !Live(window)) return false;
  Post(window, message, wParam, lParam);
  return true;
}

intptr_t SendMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  SWindow* w = Live(window);
  if (!w || !w->procedure) return 0;
  return w->procedure(w, message, wParam, lParam);
}

intptr_t DispatchMessage(const SMessage& message) {
  SWindow* w = Live(message.window);
  if (!w) return 0;
  const intptr_t answer = SendMessage(w, message.message, message.wParam, message.lParam);
  if (message.message == kWmUser) ReleaseForwardedCommandLine(message.lParam);
  // A procedure that ignores a paint message would otherwise get it again at once, forever.
  if (message.message == kWmPaint && Live(message.window)) ValidateRect(message.window);
  return answer;
}

bool TranslateMessage(const SMessage& message) {
  if (message.message != kWmKeyDown && message.message != kWmSysKeyDown) return false;
  const uint32_t c = CharacterOf(uint32_t(message.wParam) & 0xFF, KeyState(kVkShift), KeyState(kVkControl),
                                 gToggled[kVkCapital]);
  if (!c) return false;
  // The character comes next, before anything queued after the key.
  SMessage character = message;
  character.message = message.message == kWmKeyDown ? kWmChar : kWmSysChar;
  character.wParam = c;
  gQueue.push_front(character);
  return true;
}

uint32_t GetQueueStatus(uint32_t mask) {
  PollInput();
  uint32_t kinds = 0;
  for (const SMessage& m : gQueue) {
    if (IsKeyMessage(m.message)) kinds |= kQsKey;
    else if (m.message == kWmMouseMove) kinds |= kQsMouseMove;
    else if (IsMouseMessage(m.message)) kinds |= kQsMouseButton;
    else kinds |= kQsPostMessage;
  }
  for (SWindow* w : gWindows) {
    if (w->invalid && w->visible) kinds |= kQsPaint;
  }
  kinds &= mask;
  return (kinds << 16) | kinds;
}

// ---- keys and pointer

bool IsKeyDownAsync(uint32_t virtualKey) {
  PollInput();
  return virtualKey < 256 && KeyState(virtualKey);
}

bool IsKeyToggled(uint32_t virtualKey) {
  PollInput();
  return virtualKey < 256 && gToggled[virtualKey];
}

uint32_t MapVirtualKey(uint32_t virtualKey, uint32_t mapping) {
  if (mapping != 2) return 0;
  const uint32_t c = CharacterOf(virtualKey, false, false, false);
  return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c;
}

SPoint GetCursorPos() {
  PollInput();
  gCursor = Backend().CursorPos();
  return gCursor;
}

void QueueKey(WindowHandle target, uint32_t virtualKey, bool down) {
  virtualKey &= 0xFF;
  const bool wasDown = gKeys[virtualKey];
  if (down && !wasDown) gToggled[virtualKey] = !gToggled[virtualKey];
  gKeys[virtualKey] = down;
  WindowHandle w = target ? Live(target) : gForeground;
  if (!w) return;
  const bool system = gKeys[kVkMenu] || virtualKey == kVkMenu;
  const uint32_t message = down ? (system ? kWmSysKeyDown : kWmKeyDown) : (system ? kWmSysKeyUp : kWmKeyUp);
  // Bit 30: the key was down before this stroke.
  Post(w, message, virtualKey, intptr_t(down ? (wasDown ? 0x40000001u : 1u) : 0xC0000001u));
}

void QueueChar(WindowHandle target, uint32_t character) {
  WindowHandle w = target ? Live(target) : gForeground;
  if (w) Post(w, kWmChar, character, 1);
}

void QueuePointerMove(SPoint screen) {
  gCursor = screen;
  if (SWindow* w = WindowAt(screen)) {
    const SPoint p = ScreenToClient(w, screen);
    Post(w, kWmMouseMove, (gKeys[kVkLButton] ? 1 : 0) | (gKeys[kVkRButton] ? 2 : 0), MakeLParam(p.x, p.y));
  }
}

void QueueButton(bool left, bool down) {
  gKeys[left ? kVkLButton : kVkRButton] = down;
  SWindow* w = WindowAt(gCursor);
  if (!w) return;
  const SPoint p = ScreenToClient(w, gCursor);
  SWinRect client;
  GetClientRect(w, &client);
  if (!client.Contains(p)) {
    if (down && left) Post(w, kWmNcLButtonDown, kHitCaption, MakeLParam(gCursor.x, gCursor.y));
    return;
  }
  const uint32_t message = left ? (down ? kWmLButtonDown : kWmLButtonUp) : (down ? kWmRButtonDown : kWmRButtonUp);
  Post(w, message, (gKeys[kVkLButton] ? 1 : 0) | (gKeys[kVkRButton] ? 2 : 0), MakeLParam(p.x, p.y));
}

void QueueWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (Live(window)) Post(window, message, wParam, lParam);
}

void NoteWindowRect(WindowHandle window, const SWinRect& rect) {
  SWindow* w = Live(window);
  if (!w) return;
  SetWindowPos(w, rect.left, rect.top, rect.Width(), rect.Height(), kSwpNoZOrder | kSwpNoActivate);
}

// ---- cursors, metrics, boxes, dialogs

int32_t ShowCursor(bool show) {
  gCursorCount += show ? 1 : -1;
  Backend().CursorChanged(gCursorShape, gCursorCount);
  return gCursorCount;
}

CursorHandle ArrowCursor() { return &gArrowMarker; }
CursorHandle WaitCursor() { return &gWaitMarker; }

CursorHandle SetCursor(CursorHandle cursor) {
  CursorHandle previous = gCursorShape;
  gCursorShape = cursor;
  Backend().CursorChanged(gCursorShape, gCursorCount);
  return previous;
}

CursorHandle GetCursor() { return gCursorShape; }

int32_t GetSystemMetrics(int32_t index) { return Backend().Metric(index); }

int32_t MessageBox(WindowHandle owner, const std::string& text, const std::string& caption, uint32_t style) {
  return Backend().MessageBox(Live(owner), text, caption, style);
}

bool GetOpenFileName(SFileDialog* dialog) {
  if (!Backend().FileDialog(false, dialog, &gDialogError)) return false;
  const std::string& file = dialog->file;
  const size_t name = file.find_last_of('/');
  const bool hasExtension = file.find('.', name == std::string::npos ? 0 : name + 1) != std::string::npos;
  if (!dialog->defaultExtension.empty() && !hasExtension && !PathExists(file)) {
    const std::string extended = file + "." + dialog->defaultExtension;
    if (PathExists(extended)) dialog->file = extended;
  }
  return true;
}

bool GetSaveFileName(SFileDialog* dialog) { return Backend().FileDialog(true, dialog, &gDialogError); }

uint32_t CommonDialogError() { return gDialogError; }

}  // namespace platform
