#include "platform/window.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <memory>
#include <unordered_set>

#include "platform/clock.h"
#include "platform/file.h"
#include "platform/window_backend.h"

namespace platform {
namespace {

std::vector<SWindowClass> gClasses;
std::vector<SWindow*> gWindows;
// The same windows for the liveness question, asked many times a heartbeat.
std::unordered_set<const SWindow*> gLiveWindows;
// Key input takes its window only when the program takes it (RouteKeyInput).
struct SQueued : SMessage {
  bool keyInput = false;
  WindowHandle keyTarget = nullptr;
};
std::deque<SQueued> gQueue;
WindowHandle gActive = nullptr;
WindowHandle gFocus = nullptr;
uint64_t gTopZ = 0;
uint32_t gCreationFailures = 0;
bool gKeys[256] = {};
bool gToggled[256] = {};
SPoint gCursor;
int32_t gCursorCount = 0;
uint32_t gDialogError = 0;

struct STimer {
  WindowHandle window = nullptr;
  uint32_t id = 0;
  int64_t periodMs = 0;
  int64_t dueMs = 0;
};
std::vector<STimer> gTimers;

SCursor CursorOfKind(SCursor::Kind kind, uint32_t number = 0) {
  SCursor cursor;
  cursor.kind = kind;
  cursor.number = number;
  return cursor;
}

const SCursor gArrow = CursorOfKind(SCursor::Kind::kArrow);
const SCursor gWait = CursorOfKind(SCursor::Kind::kWait);
const SCursor gIBeam = CursorOfKind(SCursor::Kind::kIBeam);
std::deque<SCursor> gMadeCursors;  // shapes and pictures; a deque keeps their addresses
CursorHandle gCursorShape = &gArrow;
uint32_t gCursorSets = 0;

std::unique_ptr<WindowBackend> gBackend;
DisplayBackendFactory gDisplayBackend = nullptr;

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

// What a screen point is over: the menu bar lies right above the client area and the caption above
// it; the rest of the non-client area is frame, which a press must not take for the caption.
intptr_t HitTest(const SWindow& w, SPoint screen) {
  if (!w.rect.Contains(screen)) return kHitNowhere;
  const SPoint p{screen.x - w.rect.left, screen.y - w.rect.top};
  if (w.client.Contains(p)) return kHitClient;
  if (p.x < w.client.left || p.x >= w.client.right) return kHitBorder;
  const int32_t menuTop = w.client.top - (w.menu ? Backend().Metric(kSmCyMenu) : 0);
  const int32_t captionTop = menuTop - ((w.style & kWsCaption) == kWsCaption ? Backend().Metric(kSmCyCaption) : 0);
  if (p.y >= menuTop && p.y < w.client.top) return kHitMenu;
  if (p.y >= captionTop && p.y < menuTop) return kHitCaption;
  return kHitBorder;
}

// The windows whose parent is parent (null: the top-level ones), topmost first.
std::vector<SWindow*> ChildrenTopFirst(const SWindow* parent, bool children) {
  std::vector<SWindow*> list;
  for (SWindow* w : gWindows) {
    if (IsChildWindow(w) == children && (!children || w->parent == parent)) list.push_back(w);
  }
  std::sort(list.begin(), list.end(), [](const SWindow* a, const SWindow* b) { return a->z > b->z; });
  return list;
}

// Of the windows whose parent is parent (null: the top-level ones), the topmost showing one under the
// point. One pass and no list: every heartbeat asks this, and z is unique.
SWindow* TopmostAt(const SWindow* parent, bool children, SPoint screen) {
  SWindow* top = nullptr;
  for (SWindow* w : gWindows) {
    if (IsChildWindow(w) != children || (children && w->parent != parent)) continue;
    if ((!top || w->z > top->z) && w->rect.Contains(screen) && IsShowing(w)) top = w;
  }
  return top;
}

// Within a window, the topmost showing child window under the point, else the window itself.
SWindow* DeepestAt(SWindow* w, SPoint screen) {
  SWindow* child = TopmostAt(w, true, screen);
  return child ? DeepestAt(child, screen) : w;
}

// The topmost showing window under a screen point.
SWindow* WindowAt(SPoint screen) {
  SWindow* w = TopmostAt(nullptr, false, screen);
  return w ? DeepestAt(w, screen) : nullptr;
}

// To the top of its siblings, and the windows it owns above it in their old order.
void BringToTop(SWindow* w) {
  w->z = ++gTopZ;
  Backend().WindowRaised(w);
  std::vector<SWindow*> owned;
  for (SWindow* other : gWindows) {
    if (other->parent == w && !IsChildWindow(other)) owned.push_back(other);
  }
  std::sort(owned.begin(), owned.end(), [](const SWindow* a, const SWindow* b) { return a->z < b->z; });
  for (SWindow* other : owned) BringToTop(other);
}

// The screen point of a child window's parent-client coordinates; others are in screen coordinates.
SPoint ScreenOfPlacement(const SWindow* w, int32_t x, int32_t y) {
  if (!IsChildWindow(w) || !w->parent) return {x, y};
  const SWindow* p = w->parent;
  return {x + p->rect.left + p->client.left, y + p->rect.top + p->client.top};
}

// Child windows travel with their parent.
void MoveChildren(SWindow* parent, int32_t dx, int32_t dy) {
  for (SWindow* child : gWindows) {
    if (child->parent != parent || !IsChildWindow(child)) continue;
    child->rect = {child->rect.left + dx, child->rect.top + dy, child->rect.right + dx, child->rect.bottom + dy};
    Backend().WindowChanged(child);
    MoveChildren(child, dx, dy);
  }
}

SQueued& Post(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  SQueued m;
  m.window = window;
  m.message = message;
  m.wParam = wParam;
  m.lParam = lParam;
  m.time = uint32_t(NowTicks());
  m.point = gCursor;
  gQueue.push_back(m);
  return gQueue.back();
}

void PostKeyInput(WindowHandle target, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  SQueued& m = Post(nullptr, message, wParam, lParam);
  m.keyInput = true;
  m.keyTarget = target;
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

void InvalidateAll(SWindow* w) { InvalidateRect(w, nullptr, true); }

// The window losing activation hears first, with the new one in lParam; then the new one, with the
// old one.
void Activate(SWindow* w) {
  WindowHandle previous = Live(gActive);
  if (previous && previous != w) SendMessage(previous, kWmActivate, kWaInactive, reinterpret_cast<intptr_t>(w));
  gActive = w;
  gFocus = w;
  BringToTop(w);
  Backend().ForegroundChanged(w);
  if (previous != w && Live(w))
    SendMessage(w, kWmActivate, kWaActive, reinterpret_cast<intptr_t>(previous));
}

// Input does not reach a disabled window, nor a child of one.
bool TakesInput(const SWindow* w) {
  for (; w; w = IsChildWindow(w) ? w->parent : nullptr) {
    if (w->disabled) return false;
  }
  return true;
}

// The timer that has been due longest, or none: timers that are due at every query take turns.
STimer* DueTimer(WindowHandle window) {
  STimer* due = nullptr;
  for (STimer& t : gTimers) {
    if (t.dueMs <= NowMs() && (!window || t.window == window) && (!due || t.dueMs < due->dueMs)) due = &t;
  }
  return due;
}

bool IsInside(const SWindow* w, const SWindow* ancestor) {
  for (; w; w = IsChildWindow(w) ? w->parent : nullptr) {
    if (w == ancestor) return true;
  }
  return false;
}

void ForgetActivation(SWindow* w) {
  if (gActive == w) gActive = nullptr;
  if (IsInside(Live(gFocus), w)) gFocus = nullptr;
}

bool TakesActivation(SWindow* w, const SWindow* leaving) {
  return w && w != leaving && Live(w) && !IsChildWindow(w) && IsShowing(w) && !w->disabled;
}

// The active window went (hidden or destroyed): activation passes to its owner when that can take
// it, else to the topmost other top-level window that can, as a desktop hands it on. The keys typed
// next still reach the program, the same on both back ends.
void PassActivationOn(SWindow* w) {
  const bool wasActive = gActive == w;
  ForgetActivation(w);
  if (!wasActive) return;
  SWindow* next = TakesActivation(w->parent, w) ? w->parent : nullptr;
  for (SWindow* other : ChildrenTopFirst(nullptr, false)) {
    if (!next && TakesActivation(other, w)) next = other;
  }
  if (next) Activate(next);
}

// Keys go to the focus window when it lies in the target (or no target is named), else the target.
WindowHandle KeyWindow(WindowHandle target) {
  SWindow* focus = Live(gFocus) ? gFocus : Live(gActive);
  if (!target) return focus;
  SWindow* t = Live(target);
  return t && focus && IsInside(focus, t) ? focus : t;
}

// Key input goes to the window that has the focus when the program takes it, not when it was typed:
// keys typed ahead reach the window that a key before them gave the focus to, however fast input comes.
// False when no window takes it then: it is dropped.
bool RouteKeyInput(SQueued& m) {
  if (!m.keyInput) return true;
  m.window = KeyWindow(m.keyTarget);
  return m.window && TakesInput(m.window);
}

void Show(SWindow* w, bool activate) {
  w->visible = true;
  Backend().WindowChanged(w);
  if (activate) Activate(w);
  SendMessage(w, kWmNcPaint, 1, 0);
  InvalidateAll(w);
}

void Hide(SWindow* w) {
  w->visible = false;
  Backend().WindowChanged(w);
  PassActivationOn(w);
}

SCursor* MadeCursor(const SCursor& cursor) {
  gMadeCursors.push_back(cursor);
  return &gMadeCursors.back();
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

// A toggle key's state (Caps Lock's) likewise: as before the presses of it still queued.
bool ToggleState(uint32_t vk) {
  vk &= 0xFF;
  bool toggled = gToggled[vk];
  for (const SMessage& m : gQueue) {
    const bool press = m.message == kWmKeyDown || m.message == kWmSysKeyDown;
    if (press && (m.wParam & 0xFF) == vk && ((m.lParam >> 30) & 1) == 0) toggled = !toggled;
  }
  return toggled;
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
  if (vk >= kVkNumpad0 && vk <= kVkNumpad0 + 9) return '0' + (vk - kVkNumpad0);
  struct SKeyChars {
    uint32_t vk;
    char plain, shifted;
  };
  static constexpr SKeyChars kKeys[] = {
      {kVkSpace, ' ', ' '},        {kVkTab, '\t', '\t'},           {kVkOemSemicolon, ';', ':'},
      {kVkOemPlus, '=', '+'},      {kVkOemComma, ',', '<'},        {kVkOemMinus, '-', '_'},
      {kVkOemPeriod, '.', '>'},    {kVkOemSlash, '/', '?'},        {kVkOemTilde, '`', '~'},
      {kVkOemOpenBracket, '[', '{'}, {kVkOemBackslash, '\\', '|'}, {kVkOemCloseBracket, ']', '}'},
      {kVkOemQuote, '\'', '"'},       {kVkMultiply, '*', '*'},        {kVkAdd, '+', '+'},
      {kVkSubtract, '-', '-'},       {kVkDecimal, '.', '.'},         {kVkDivide, '/', '/'},
  };
  for (const SKeyChars& k : kKeys) {
    if (k.vk == vk) return uint8_t(shift ? k.shifted : k.plain);
  }
  return 0;
}

void RemoveMouseMessages() {
  gQueue.erase(std::remove_if(gQueue.begin(), gQueue.end(), [](const SMessage& m) { return IsMouseMessage(m.message); }),
               gQueue.end());
}

// The system's modal move: the window keeps its offset from the pointer until the button is up.
void MoveWithPointer(SWindow* w, SPoint grabbed) {
  const SPoint offset{grabbed.x - w->rect.left, grabbed.y - w->rect.top};
  for (;;) {
    const bool down = IsKeyDownAsync(kVkLButton);
    RemoveMouseMessages();
    if (!Live(w)) return;
    const SPoint p = GetCursorPos();
    if (p.x - offset.x != w->rect.left || p.y - offset.y != w->rect.top)
      SetWindowPos(w, p.x - offset.x, p.y - offset.y, 0, 0, kSwpNoSize | kSwpNoZOrder | kSwpNoActivate);
    if (!down || !Backend().InputMayCome()) return;
    Backend().Wait(5);
  }
}

}  // namespace

WindowBackend& Backend() {
  if (!gBackend) {
    if (!WantsHeadless() && gDisplayBackend) gBackend.reset(gDisplayBackend());
    if (!gBackend) gBackend.reset(NewHeadlessBackend());
  }
  return *gBackend;
}

void SetDisplayBackendFactory(DisplayBackendFactory factory) { gDisplayBackend = factory; }

bool IsHeadless() { return Backend().IsHeadless(); }

const std::vector<SWindow*>& AllWindows() { return gWindows; }

bool IsChildWindow(const SWindow* w) { return (w->style & kWsChild) != 0 && w->parent != nullptr; }

bool IsShowing(const SWindow* w) {
  for (; w; w = IsChildWindow(w) ? w->parent : nullptr) {
    if (!w->visible || w->iconic) return false;
  }
  return true;
}

WindowHandle FindLiveWindow(WindowHandle window) {
  if (!window) return nullptr;
  return gLiveWindows.count(window) ? window : nullptr;
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
  if (!GetWindowClass(className, &windowClass) &&
      !(RegisterSystemClass(className) && GetWindowClass(className, &windowClass)))
    return nullptr;
  if (gCreationFailures > 0) {
    --gCreationFailures;
    return nullptr;
  }
  auto* w = new SWindow;
  w->className = className;
  w->procedure = windowClass.procedure;
  w->classStyle = windowClass.style;
  w->style = style;
  w->exStyle = exStyle;
  w->title = title;
  w->disabled = (style & kWsDisabled) != 0;
  w->parent = Live(parent);
  const SPoint at = ScreenOfPlacement(w, x, y);
  w->rect = {at.x, at.y, at.x + width, at.y + height};
  w->z = ++gTopZ;
  w->menu = menu;
  w->instance = instance;
  w->extraWords.assign(size_t(std::max(windowClass.extraBytes, 0) + 3) / 4, 0);
  w->surface.Resize(width, height);
  w->client = {0, NonClientTop(*w), width, height};
  gWindows.push_back(w);
  gLiveWindows.insert(w);
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
  if (style & kWsVisible) Show(w, !IsChildWindow(w));
  return w;
}

void FailNextWindowCreations(uint32_t count) { gCreationFailures = count; }

bool DestroyWindow(WindowHandle window) {
  SWindow* w = Live(window);
  if (!w) return false;
  for (SWindow* child : std::vector<SWindow*>(gWindows)) {
    if (child->parent == w) DestroyWindow(child);
  }
  PassActivationOn(w);
  SendMessage(w, kWmDestroy, 0, 0);
  SendMessage(w, kWmNcDestroy, 0, 0);
  for (const SMessage& m : gQueue) {
    if (m.window == w && m.message == kWmUser) ReleaseForwardedCommandLine(m.lParam);
  }
  gQueue.erase(
      std::remove_if(gQueue.begin(), gQueue.end(), [w](const SQueued& m) { return m.window == w && !m.keyInput; }),
      gQueue.end());
  gTimers.erase(std::remove_if(gTimers.begin(), gTimers.end(), [w](const STimer& t) { return t.window == w; }),
                gTimers.end());
  Backend().WindowDestroyed(w);
  DestroyOwnDC(w);
  gWindows.erase(std::find(gWindows.begin(), gWindows.end(), w));
  gLiveWindows.erase(w);
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

uint32_t GetWindowExStyle(WindowHandle window) {
  SWindow* w = Live(window);
  return w ? w->exStyle : 0;
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

bool EnableWindow(WindowHandle window, bool enable) {
  SWindow* w = Live(window);
  if (!w) return false;
  const bool wasDisabled = w->disabled;
  if (wasDisabled == !enable) return wasDisabled;
  w->disabled = !enable;
  if (!enable && (gFocus == w || gActive == w)) ForgetActivation(w);
  SendMessage(w, kWmEnable, enable ? 1 : 0, 0);
  return wasDisabled;
}

bool IsWindowEnabled(WindowHandle window) {
  SWindow* w = Live(window);
  return w && !w->disabled;
}

WindowProc SetWindowProcedure(WindowHandle window, WindowProc procedure) {
  SWindow* w = Live(window);
  if (!w || !procedure) return nullptr;
  WindowProc previous = w->procedure;
  w->procedure = procedure;
  return previous;
}

WindowProc GetWindowProcedure(WindowHandle window) {
  SWindow* w = Live(window);
  return w ? w->procedure : nullptr;
}

intptr_t CallWindowProc(WindowProc procedure, WindowHandle window, uint32_t message, uintptr_t wParam,
                        intptr_t lParam) {
  return procedure && Live(window) ? procedure(window, message, wParam, lParam) : 0;
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
  if (!(flags & kSwpNoMove)) {
    const SPoint at = ScreenOfPlacement(w, x, y);
    rect = {at.x, at.y, at.x + rect.Width(), at.y + rect.Height()};
  }
  if (!(flags & kSwpNoSize)) rect.right = rect.left + std::max(width, 0), rect.bottom = rect.top + std::max(height, 0);
  const bool moved = rect.left != w->rect.left || rect.top != w->rect.top;
  const bool sized = rect.Width() != w->rect.Width() || rect.Height() != w->rect.Height();
  const bool frame = (flags & kSwpFrameChanged) != 0;
  if (frame || sized) RecomputeClient(w, rect, flags);
  const int32_t dx = rect.left - w->rect.left, dy = rect.top - w->rect.top;
  w->rect = rect;
  w->surface.Resize(rect.Width(), rect.Height());
  if (frame) ++w->frameRecomputations;
  if (!(flags & kSwpNoZOrder)) BringToTop(w);
  Backend().WindowChanged(w);
  if (moved) MoveChildren(w, dx, dy);
  if (moved) {
    const SPoint origin = ClientToScreen(w, {0, 0});
    SendMessage(w, kWmMove, 0, MakeLParam(origin.x, origin.y));
  }
  if (sized) SendMessage(w, kWmSize, 0, MakeLParam(w->client.Width(), w->client.Height()));
  if ((frame || sized) && w->visible) {
    SendMessage(w, kWmNcPaint, 1, 0);
    if (!(flags & kSwpNoRedraw)) InvalidateAll(w);
  }
  if ((flags & kSwpShowWindow) && !w->visible) Show(w, !(flags & kSwpNoActivate) && !IsChildWindow(w));
  else if ((flags & kSwpHideWindow) && w->visible) Hide(w);
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
    case kSwHide: w->visible = false; break;
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
  if (!w->visible) PassActivationOn(w);
  else if (command != kSwMinimize) Show(w, !IsChildWindow(w));
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
  Activate(w);
  return true;
}

WindowHandle GetForegroundWindow() { return gActive; }

WindowHandle SetActiveWindow(WindowHandle window) {
  SWindow* w = Live(window);
  WindowHandle previous = gActive;
  if (w) Activate(w);
  return previous;
}

WindowHandle GetActiveWindow() { return gActive; }

WindowHandle SetFocus(WindowHandle window) {
  WindowHandle previous = gFocus;
  gFocus = Live(window);
  if (gFocus != previous) Backend().FocusChanged(gFocus);
  return previous;
}

WindowHandle GetFocus() { return gFocus; }

WindowHandle FindWindow(const std::string& className, const std::string& title) {
  for (SWindow* w : gWindows) {
    if (w->className == className && w->title == title) return w;
  }
  return nullptr;
}

WindowHandle WindowFromPoint(SPoint screen) { return WindowAt(screen); }

intptr_t DefWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  SWindow* w = Live(window);
  if (!w) return 0;
  switch (message) {
    case kWmNcCreate: return 1;
    case kWmNcCalcSize:
      if (wParam) reinterpret_cast<SNcCalcSizeParams*>(lParam)->rects[0].top += NonClientTop(*w);
      return 0;
    case kWmNcHitTest: return HitTest(*w, {LowWordSigned(lParam), HighWordSigned(lParam)});
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
    case kWmNcLButtonDown:
      if (wParam == uintptr_t(kHitCaption)) MoveWithPointer(w, {LowWordSigned(lParam), HighWordSigned(lParam)});
      return 0;
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
  SWinRect client;
  GetClientRect(w, &client);
  const SWinRect area = clientRect ? Intersection(*clientRect, client) : client;
  if (area.IsEmpty()) return true;
  w->updateArea.Add(area);
  w->erase = w->erase || erase;
  return true;
}

void InvalidateAllWindows() {
  for (SWindow* w : gWindows) InvalidateRect(w, nullptr, true);
}

bool ValidateRect(WindowHandle window, const SWinRect* clientRect) {
  SWindow* w = Live(window);
  if (!w) return false;
  if (clientRect) w->updateArea.Subtract(*clientRect);
  else w->updateArea.Clear();
  if (w->updateArea.IsEmpty()) w->erase = false;
  return true;
}

bool GetUpdateRect(WindowHandle window, SWinRect* rect) {
  SWindow* w = Live(window);
  *rect = w ? w->updateArea.Box() : SWinRect{};
  return w && !w->updateArea.IsEmpty();
}

bool UpdateWindow(WindowHandle window) {
  SWindow* w = Live(window);
  if (!w) return false;
  if (IsShowing(w) && !w->updateArea.IsEmpty()) SendMessage(w, kWmPaint, 0, 0);
  return true;
}

bool BeginPaint(WindowHandle window, SPaint* paint) {
  SWindow* w = Live(window);
  if (!w) return false;
  const RectSet area = w->updateArea;
  const bool erase = w->erase;
  w->updateArea.Clear();
  w->erase = false;
  paint->surface = &w->surface;
  paint->area = area.Box();
  paint->erase = erase;
  paint->dc = BeginPaintContext(w, area);
  if (!paint->dc) return false;
  if (erase) SendMessage(w, kWmEraseBackground, reinterpret_cast<uintptr_t>(paint->dc), 0);
  return true;
}

void EndPaint(WindowHandle window, const SPaint& paint) {
  EndPaintContext(paint.dc);
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

// ---- the system menu

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
  for (auto it = gQueue.begin(); it != gQueue.end();) {
    if (!RouteKeyInput(*it)) {
      it = gQueue.erase(it);
      continue;
    }
    if ((window && it->window != window) || !InRange(it->message, first, last)) {
      ++it;
      continue;
    }
    *message = *it;
    if (remove) gQueue.erase(it);
    return true;
  }
  // A paint message stands for an invalid window until it is painted; it comes after all others but
  // the timers.
  if (InRange(kWmPaint, first, last)) {
    for (SWindow* w : gWindows) {
      if (!w->updateArea.IsEmpty() && IsShowing(w) && (!window || window == w)) {
        *message = SMessage{w, kWmPaint, 0, 0, uint32_t(NowTicks()), gCursor};
        return true;
      }
    }
  }
  STimer* timer = InRange(kWmTimer, first, last) ? DueTimer(window) : nullptr;
  if (!timer) return false;
  *message = SMessage{timer->window, kWmTimer, timer->id, 0, uint32_t(NowTicks()), gCursor};
  if (remove) timer->dueMs = NowMs() + timer->periodMs;
  return true;
}

void DispatchPaintMessages() {
  SMessage message;
  for (int i = 0; i < kMostPaintDispatches && PeekMessage(&message, nullptr, kWmPaint, kWmPaint, true); ++i) {
    TranslateMessage(message);
    DispatchMessage(message);
  }
}

uint32_t SetTimer(WindowHandle window, uint32_t id, uint32_t periodMs) {
  if (!Live(window) || id == 0) return 0;
  const int64_t period = std::max<int64_t>(periodMs, 1);
  for (STimer& t : gTimers) {
    if (t.window == window && t.id == id) {
      t.periodMs = period;
      t.dueMs = NowMs() + period;
      return id;
    }
  }
  gTimers.push_back({window, id, period, NowMs() + period});
  return id;
}

bool KillTimer(WindowHandle window, uint32_t id) {
  const auto it = std::find_if(gTimers.begin(), gTimers.end(),
                               [&](const STimer& t) { return t.window == window && t.id == id; });
  if (it == gTimers.end()) return false;
  gTimers.erase(it);
  return true;
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
                                 ToggleState(kVkCapital));
  if (!c) return false;
  // The character comes next, before anything queued after the key.
  SMessage character = message;
  character.message = message.message == kWmKeyDown ? kWmChar : kWmSysChar;
  character.wParam = c;
  gQueue.push_front(SQueued{character});
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
    if (!w->updateArea.IsEmpty() && IsShowing(w)) kinds |= kQsPaint;
  }
  if (DueTimer(nullptr)) kinds |= kQsTimer;
  kinds &= mask;
  return (kinds << 16) | kinds;
}

void WaitMessage(int64_t timeoutMs) {
  if (GetQueueStatus(kQsKey | kQsMouseMove | kQsMouseButton | kQsPostMessage | kQsPaint | kQsTimer)) return;
  timeoutMs = Backend().IdleWaitMs(timeoutMs);
  for (const STimer& t : gTimers) timeoutMs = std::min(timeoutMs, std::max<int64_t>(t.dueMs - NowMs(), 0));
  Backend().Wait(timeoutMs);
}

// ---- keys and pointer

bool IsKeyDownAsync(uint32_t virtualKey) {
  PollInput();
  return virtualKey < 256 && KeyState(virtualKey);
}

bool IsKeyDownNow(uint32_t virtualKey) {
  PollInput();
  return virtualKey < 256 && gKeys[virtualKey];
}

bool IsKeyToggled(uint32_t virtualKey) {
  PollInput();
  return virtualKey < 256 && ToggleState(virtualKey);
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

uint32_t GetDoubleClickTime() { return Backend().DoubleClickTime(); }

void QueueKey(WindowHandle target, uint32_t virtualKey, bool down) {
  virtualKey &= 0xFF;
  const bool wasDown = gKeys[virtualKey];
  if (down && !wasDown) gToggled[virtualKey] = !gToggled[virtualKey];
  gKeys[virtualKey] = down;
  const bool system = gKeys[kVkMenu] || virtualKey == kVkMenu;
  const uint32_t message = down ? (system ? kWmSysKeyDown : kWmKeyDown) : (system ? kWmSysKeyUp : kWmKeyUp);
  // Bit 30: the key was down before this stroke.
  PostKeyInput(target, message, virtualKey, intptr_t(down ? (wasDown ? 0x40000001u : 1u) : 0xC0000001u));
}

void QueueChar(WindowHandle target, uint32_t character) { PostKeyInput(target, kWmChar, character, 1); }

void ActivationLeft() {
  WindowHandle previous = Live(gActive);
  gActive = nullptr;
  gFocus = nullptr;
  if (previous) SendMessage(previous, kWmActivate, kWaInactive, 0);
}

void SetKeyState(uint32_t virtualKey, bool down) {
  virtualKey &= 0xFF;
  if (down && !gKeys[virtualKey]) gToggled[virtualKey] = !gToggled[virtualKey];
  gKeys[virtualKey] = down;
}

uint32_t CharacterOfKey(uint32_t virtualKey) {
  return CharacterOf(virtualKey & 0xFF, gKeys[kVkShift], gKeys[kVkControl], gToggled[kVkCapital]);
}

void QueuePointerMove(SPoint screen) {
  gCursor = screen;
  SWindow* w = WindowAt(screen);
  if (w && TakesInput(w)) {
    const SPoint p = ScreenToClient(w, screen);
    Post(w, kWmMouseMove, (gKeys[kVkLButton] ? 1 : 0) | (gKeys[kVkRButton] ? 2 : 0), MakeLParam(p.x, p.y));
  }
}

void QueueButton(bool left, bool down) {
  gKeys[left ? kVkLButton : kVkRButton] = down;
  SWindow* w = WindowAt(gCursor);
  if (!w || !TakesInput(w)) return;
  const SPoint p = ScreenToClient(w, gCursor);
  SWinRect client;
  GetClientRect(w, &client);
  if (!client.Contains(p)) {
    if (down && left) Post(w, kWmNcLButtonDown, uintptr_t(HitTest(*w, gCursor)), MakeLParam(gCursor.x, gCursor.y));
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

CursorHandle ArrowCursor() { return &gArrow; }
CursorHandle WaitCursor() { return &gWait; }
CursorHandle IBeamCursor() { return &gIBeam; }

CursorHandle ShapeCursor(uint32_t number) {
  const SCursor shape = CursorOfKind(SCursor::Kind::kShape, number);
  if (!CursorShapeName(shape)) return nullptr;
  for (const SCursor& c : gMadeCursors) {
    if (c.kind == SCursor::Kind::kShape && c.number == number) return &c;
  }
  return MadeCursor(shape);
}

CursorHandle CreatePictureCursor(const std::string& name, int32_t width, int32_t height, const uint32_t* pixels,
                                 int32_t hotX, int32_t hotY) {
  constexpr int32_t kMaxSide = 256;
  if (!pixels || width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return nullptr;
  SCursor cursor = CursorOfKind(SCursor::Kind::kPicture);
  cursor.name = name;
  cursor.width = width;
  cursor.height = height;
  cursor.hotX = hotX;
  cursor.hotY = hotY;
  cursor.pixels.assign(pixels, pixels + size_t(width) * size_t(height));
  for (const SCursor& c : gMadeCursors) {
    if (c.kind == cursor.kind && c.name == cursor.name && c.width == width && c.height == height &&
        c.hotX == hotX && c.hotY == hotY && c.pixels == cursor.pixels)
      return &c;
  }
  return MadeCursor(cursor);
}

const SCursor* CursorOf(CursorHandle cursor) { return static_cast<const SCursor*>(cursor); }

const char* CursorShapeName(const SCursor& cursor) {
  switch (cursor.kind) {
    case SCursor::Kind::kArrow: return "default";
    case SCursor::Kind::kWait: return "wait";
    case SCursor::Kind::kIBeam: return "text";
    case SCursor::Kind::kPicture: return nullptr;
    case SCursor::Kind::kShape: break;
  }
  struct SShape {
    uint32_t first, last;
    const char* name;
  };
  static constexpr SShape kShapes[] = {
      {107, 107, "crosshair"},   {108, 108, "grab"},       {110, 111, "ns-resize"}, {112, 112, "grabbing"},
      {114, 114, "ew-resize"},   {115, 115, "all-scroll"}, {116, 116, "nwse-resize"}, {117, 119, "crosshair"},
      {120, 120, "zoom-out"},    {121, 121, "zoom-in"},    {122, 122, "pointer"},   {123, 123, "nesw-resize"},
      {124, 124, "move"},
  };
  for (const SShape& shape : kShapes) {
    if (cursor.number >= shape.first && cursor.number <= shape.last) return shape.name;
  }
  return nullptr;
}

uint32_t CursorSetCount() { return gCursorSets; }

CursorHandle SetCursor(CursorHandle cursor) {
  CursorHandle previous = gCursorShape;
  ++gCursorSets;
  gCursorShape = cursor;
  Backend().CursorChanged(gCursorShape, gCursorCount);
  return previous;
}

CursorHandle GetCursor() { return gCursorShape; }

bool SetCursorPos(int32_t x, int32_t y) {
  gCursor = {x, y};
  Backend().PointerWarped(gCursor);
  return true;
}

uint64_t NativeWindowId(WindowHandle window) {
  SWindow* w = Live(window);
  return w ? Backend().NativeId(w) : 0;
}

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

bool GetSaveFileName(SFileDialog* dialog) {
  if (!Backend().FileDialog(true, dialog, &gDialogError)) return false;
  const std::string& file = dialog->file;
  const size_t name = file.find_last_of('/');
  const bool hasExtension = file.find('.', name == std::string::npos ? 0 : name + 1) != std::string::npos;
  if (!dialog->defaultExtension.empty() && !hasExtension) dialog->file += "." + dialog->defaultExtension;
  return true;
}

uint32_t CommonDialogError() { return gDialogError; }

}  // namespace platform
