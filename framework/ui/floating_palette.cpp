#include "framework/ui/floating_palette.h"

#include <memory>

#include "framework/core/appl.h"
#include "framework/core/ix_text.h"
#include "framework/core/result_codes.h"
#include "framework/core/timer.h"
#include "framework/ui/glow_step.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/menu.h"
#include "framework/ui/ui_host_canvas.h"
#include "framework/ui/ui_message.h"
#include "platform/clock.h"

namespace {

constexpr int64_t kPollMs = 5;
// A newly hot glowing button starts here and steps once at once.
constexpr int32_t kHoverEnteredLevel = 160;
// A pressed button stays lit at least this long.
constexpr int64_t kPressedTicks = 2;
// The fade's step, and the level past which it ends at once.
constexpr int32_t kFadeStep = 12;
constexpr int32_t kLastFadeLevel = 180;

// The beat's second word: non-zero for a beat from outside the main loop.
uint32_t NestedWord(const void* record) { return static_cast<const SHeartbeatRecord*>(record)->reserved1; }

}  // namespace

// ---- the pointer watch

bool RegisterPaletteWatch(CUIHostCanvas& palette, CFCallback watch) {
  CAppl* app = GetApplication();
  if (!app) return false;
  while (app->IsHeartbeatSubscriber(&palette)) app->UnsubscribeHeartbeat(&palette);
  return app->SubscribeHeartbeat(&palette, watch);
}

bool IsPaletteWatchDue(CUIHostCanvas& palette, const void* record, int64_t* last, int64_t interval) {
  CAppl* app = GetApplication();
  CHoElement* root = palette.GetRoot();
  if (!app || !record || NestedWord(record) != 0 || palette.IsStale() || !app->IsActive() || !root ||
      !root->AcceptsEvents(kEventMaskHover) || !root->IsShown() || !palette.IsShown())
    return false;
  const int64_t now = platform::NowTicks();
  if (now - *last < interval) return false;
  *last = now;
  return true;
}

bool IsPointerOverPalette(const CUIHostCanvas& palette, platform::SPoint cursor) {
  return IsPointInRect({cursor.x, cursor.y}, palette.GetFrame()) &&
         platform::WindowFromPoint(cursor) == palette.GetWindow();
}

void HoverPaletteAt(CUIHostCanvas& palette, platform::SPoint cursor) {
  CHoElement* root = palette.GetRoot();
  if (!root) return;
  SPointHV point;
  root->ParentToLocalPoint(&point, palette.ScreenToCanvas({cursor.x, cursor.y}));
  const int32_t err = root->HandleHover(point);
  if (err == kNoErr || err == kHandled) return;
  if (CAppl* app = GetApplication()) app->TellError(err);
}

int32_t PostPaletteTip(CUIHostCanvas& palette, const char* list, uint32_t first, uint32_t second) {
  CUICmFunction* owner = palette.GetOwner();
  if (!owner) return kNoErr;
  CUIMessage message;
  if (!list) {
    message.Init(kTipMessageKind, nullptr, nullptr, nullptr, CUIMessage::kBroadcast);
    return owner->Dispatch(&message);
  }
  CIxTextLocal texts(palette.GetResourceEnvironment(), list, CIxText::kNone);
  if (texts.GetResult() != kNoErr) return kNoErr;
  const uint32_t count = texts.Count();
  message.Init(kTipMessageKind, first < count ? texts.TextAt(first) : nullptr,
               second < count ? texts.TextAt(second) : nullptr, nullptr, CUIMessage::kBroadcast);
  return owner->Dispatch(&message);
}

void WatchPaletteButtons(CUIHostCanvas& palette, CGlowTracker& tracker, const SButtonWatch& how) {
  CAppl* app = GetApplication();
  if (!app) return;
  const platform::SPoint cursor = app->GetCursorPos();
  CElement* before = tracker.GetHotButton();
  if (!IsPointerOverPalette(palette, cursor)) {
    if (!before) return;
    if (how.leaving) how.leaving(before);
    tracker.DropHot();
    SetAppCursor(0, true);
    PostPaletteTip(palette, nullptr);
    return;
  }
  if (app->IsKeyDown(kPaletteSpaceKey)) {
    if (how.dropOnSpace) tracker.DropHot();
    SetAppCursor(kPaletteSpaceCursor, true);
    return;
  }
  if (!before) SetAppCursor(0, true);
  const uint32_t state = tracker.StateEntry(before);
  HoverPaletteAt(palette, cursor);
  CElement* hot = tracker.GetHotButton();
  if (!hot) {
    if (before) PostPaletteTip(palette, nullptr);
    return;
  }
  const bool byState = hot == before || (how.tipByState && how.tipByState(hot));
  if (hot != before || tracker.StateEntry(hot) != state)
    PostPaletteTip(palette, hot->GetName(), 0, byState ? tracker.StateEntry(hot) + 1 : 1);
}

// ---- the fade

int32_t NextFadeLevel(int32_t level) {
  level += kFadeStep;
  return level > kLastFadeLevel ? kPaletteFadeLevels : level;
}

int32_t ShowFadeLevel(CImElement* background, int32_t level) {
  if (!background) return kErrGeneric;
  if (level <= 0) return background->Hide(true);
  const int32_t err = background->SetOpacity(float(level) / float(kPaletteFadeLevels), true);
  if (err || background->IsShown()) return err;
  return background->Show(true);
}

// ---- the buttons

CImElement* AsImage(CElement* element) { return dynamic_cast<CImElement*>(element); }

float OpacityOf(CElement* element) {
  CImElement* image = AsImage(element);
  return image ? image->GetOpacity() : 1.0f;
}

void SetOpacityOf(CElement* element, float opacity, bool redraw) {
  if (CImElement* image = AsImage(element)) image->SetOpacity(opacity, redraw);
}

CElement* BindControl(CUIHostCanvas& palette, const SLayoutNeed& need, ElPressCallback press, ElHoverCallback hover) {
  CElement* found = nullptr;
  palette.BindElementRef(need.name, &found, press, hover, nullptr);
  return found;
}

int32_t BindChildren(CElement* parent, ElPressCallback press, ElHoverCallback hover,
                     const std::function<void(CElement*)>& also) {
  CElSystem* children = parent ? parent->GetChildren() : nullptr;
  CElement* child = nullptr;
  uint32_t count = 0;
  while (children && CElSystem::GetElementAt(children, count, &child) == kNoErr && child) ++count;
  for (uint32_t i = count; i-- > 0;) {
    if (const int32_t err = CElSystem::GetElementAt(children, i, &child)) return err;
    child->SetPressCallback(press);
    child->SetHoverCallback(hover);
    if (also) also(child);
  }
  return kNoErr;
}

bool IsInsideElement(const CElement* element, SPointHV point) {
  const SRect& rect = element->GetRect();
  return IsPointInRect(point, {0, 0, RectHeight(rect), RectWidth(rect)});
}

int32_t SendElementMessage(CElement* element) {
  CUIMessage message;
  message.InitFromElement(0, element, CUIMessage::kBroadcast);
  return element->SendMessageUp(&message, element);
}

void WaitForMouseUp() {
  CAppl* app = GetApplication();
  while (app && app->IsStillDown()) platform::SleepMs(kPollMs);
}

int32_t HoverGlowButton(CGlowTracker& tracker, CElement* element, SPointHV point, uint32_t glowEntry) {
  auto* image = dynamic_cast<CImElement*>(element);
  if (!IsInsideElement(element, point)) {
    if (tracker.GetHotButton() == element) tracker.DropHot();
    return kNoErr;
  }
  if (tracker.GetHotButton() != element) {
    tracker.MakeHot(element);
    tracker.SetPulse(kHoverEnteredLevel, kFallingGlowStep);
    tracker.Track(image, glowEntry);
    element->Redraw();
  } else if (tracker.IsPulseDue()) {
    tracker.Track(image, glowEntry);
  }
  return kHandled;
}

bool HoverTab(CGlowTracker& tracker, CElement* element, SPointHV point) {
  if (!IsInsideElement(element, point)) {
    if (tracker.GetHotButton() == element) tracker.DropHot();
    return false;
  }
  if (tracker.GetHotButton() == element) return true;
  tracker.MakeHot(element);
  tracker.SetPulse(kPressedGlowLevel, kFallingGlowStep);
  SetAppCursor(0, true);
  if (auto* image = dynamic_cast<CImElement*>(element)) {
    const float own = image->GetOpacity();
    image->SetOpacity(kTabHighlightOpacity, true);
    image->SetOpacity(own, false);
  }
  return true;
}

int32_t PressHighlighted(CElement* element, CElement** handled) {
  auto* image = dynamic_cast<CImElement*>(element);
  const float own = image ? image->GetOpacity() : 1.0f;
  if (image) image->SetOpacity(kTabHighlightOpacity, true);
  *handled = element;
  const int32_t answer = SendElementMessage(element);
  if (image) image->SetOpacity(own, false);
  return answer;
}

int32_t PressLit(CElement* element, CElement** handled) {
  auto* image = dynamic_cast<CImElement*>(element);
  const float own = image ? image->GetOpacity() : 1.0f;
  if (image) image->SetOpacity(1.0f, true);
  CTimer().WaitTicks(kPressedTicks);
  WaitForMouseUp();
  if (image) image->SetOpacity(own, true);
  *handled = element;
  return SendElementMessage(element);
}

int32_t PressOnRelease(CElement* element, CElement** handled) {
  WaitForMouseUp();
  *handled = element;
  return SendElementMessage(element);
}

// ---- the pop-up menus

SMenuChoice ChooseFromMenu(CUIHostCanvas& palette, CMenu& menu, SPointHV canvasPoint) {
  SMenuChoice choice;
  uintptr_t result = 0;
  uint32_t row = 0;
  if (!menu.SelectItemAt(palette.CanvasToScreen(canvasPoint), palette.GetWindow(), &result, &row)) return choice;
  if (menu.GetItemData(&choice.command, row)) choice.row = row;
  return choice;
}

int32_t PopUpPaletteMenu(CUIHostCanvas& palette, uint32_t number, SPointHV canvasPoint,
                         const std::function<void(CMenu&)>& prepare, SMenuChoice* choice) {
  *choice = SMenuChoice();
  CMenu* loaded = nullptr;
  if (const int32_t err = CMenu::Load(palette.GetResourceEnvironment(), number, &loaded, palette.GetWindow()))
    return err;
  std::unique_ptr<CMenu> menu(loaded);
  if (prepare) prepare(*menu);
  *choice = ChooseFromMenu(palette, *menu, canvasPoint);
  return kNoErr;
}
