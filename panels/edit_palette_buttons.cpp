// The edit palette's picture buttons: the press callbacks that drag, scatter and convert the
// selection while the mouse button is held, and the hover callbacks that light the button under the
// pointer. A button's shown state is kept in its user word 0, so that a glow step, which shows a
// blended picture of its own, never loses which entry the button stands in.
#include <cstdlib>
#include <iterator>
#include <memory>

#include "editing/document.h"
#include "editing/document_host.h"
#include "editing/matrix_action.h"
#include "editing/selection.h"
#include "framework/core/appl.h"
#include "framework/core/result_codes.h"
#include "framework/core/timer.h"
#include "framework/image/image.h"
#include "framework/image/ix_image.h"
#include "framework/ui/canvas.h"
#include "framework/ui/floating_palette.h"
#include "framework/ui/glow_step.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/ui_message.h"
#include "panels/edit_palette.h"
#include "panels/layout_needs.h"
#include "platform/clock.h"
#include "platform/window.h"

namespace {

constexpr int64_t kPollMs = 5;
constexpr int64_t kPressedTicks = 2;
constexpr int32_t kEnteredLevel = kPressedGlowLevel;
constexpr int32_t kFallingStep = kFallingGlowStep;
// The randomize mode changes with this much sideways pointer travel.
constexpr int32_t kModeStepPixels = 4;
constexpr uint32_t kNoZone = 0;
constexpr uint32_t kZoneLimit = 255;
// The change bits of "objinfochanged": a drag step asks for the preview at once.
constexpr uint32_t kSelectionChanged = 4;
constexpr uint32_t kDragStepChanged = 0x80000004;
constexpr uint32_t kStateWord = 0;
constexpr uint32_t kCursorWord = 1;

CAppl* App() { return GetApplication(); }

uint32_t ShownState(CElement* element) { return CEditPalette::ButtonState(element); }

// The current palette's hot button; buttons only hover while their palette lives.
CGlowTracker& Tracker() {
  static CGlowTracker none;
  CEditPalette* palette = CEditPalette::GetCurrent();
  return palette ? palette->GetTracker() : none;
}

// Entry n of the button's list, for the moment; painted at once, since the press callbacks hold the
// loop until the button is released.
void ShowEntry(CElement* element, uint32_t entry) {
  if (CImElement* image = AsImage(element)) image->SelectEntry(entry, false, false, true);
  if (CEditPalette* palette = CEditPalette::GetCurrent()) palette->UpdateNow();
}

// Entry n of the button's list, which it then stands in.
void ShowState(CElement* element, uint32_t state) {
  element->SetUserWord(kStateWord, state);
  ShowEntry(element, state);
}

bool IsKeyHeld(uint32_t key) { return CSelection::IsKeyHeld(key); }

// The root coordinates of a hosted tree are the screen's.
SPointHV ElementToScreen(CElement* element, SPointHV local) {
  SPointHV screen;
  element->LocalToRootPoint(&screen, local);
  return screen;
}

SPointHV Pointer() {
  CAppl* app = App();
  const platform::SPoint p = app ? app->GetCursorPos() : platform::SPoint{};
  return {p.x, p.y};
}

// What the buttons act on: the current edit palette's document window and its document.
struct STarget {
  CDocumentHost* window = nullptr;
  C3dDocument* document = nullptr;

  bool IsUsable() const { return window && document; }
  CSelection& Selection() const { return document->GetSelection(); }
};

STarget Target() {
  STarget target;
  CEditPalette* palette = CEditPalette::GetCurrent();
  target.window = palette ? palette->GetOwnerWindow() : nullptr;
  target.document = target.window ? target.window->GetHostDocument() : nullptr;
  return target;
}

// The undo record of a drag, taken before it (CMatrixAction::OfSelection; the drag goes on without
// one), pushed when something moved, so that a press without movement leaves the last undo step
// alone.
int32_t EndRecord(const STarget& target, std::unique_ptr<CMatrixAction> action, bool moved) {
  if (!action || !moved) return kNoErr;
  return target.document->GetUndoHistory().Push(action.release());
}

void AfterStep(const STarget& target) {
  target.window->Invalidate(true);
  target.window->RedrawNow();
  target.window->NotifyDragStep(kDragStepChanged);
}

// Polls the pointer while the button is held and hands each movement since the last position (at
// first the press point, so that travel during the pressed look's wait counts) to step, which
// answers whether it changed anything; only such a step redraws and counts as a move. With keepAt
// the pointer is put back there after each step, so that the drag goes on without the pointer
// leaving the button. Whether anything moved.
template <typename F>
bool DragLoop(const STarget& target, SPointHV start, bool keepAt, F step) {
  CAppl* app = App();
  bool moved = false;
  SPointHV last = start;
  while (app && app->IsStillDown()) {
    const SPointHV now = Pointer();
    if (now == last) {
      platform::SleepMs(kPollMs);
      continue;
    }
    const bool changed = step(now.h - last.h, now.v - last.v);
    if (keepAt) SetCursorPosition(start.h, start.v);
    last = keepAt ? start : now;
    if (!changed) continue;
    AfterStep(target);
    moved = true;
  }
  return moved;
}

void EndOfDrag(const STarget& target, CElement* element, uint32_t hoverState) {
  SetAppCursor(0, true);
  target.window->SetDragState(false);
  target.window->Invalidate(true);
  target.window->RedrawNow();
  target.window->NotifyObjInfoChanged(kSelectionChanged);
  Tracker().SetPulse(kEnteredLevel, kFallingStep);
  ShowState(element, hoverState);
}

void ShowPressed(CElement* element, uint32_t state) {
  ShowState(element, state);
  SetAppCursor(CEditPalette::kCursorPressed, true);
  CTimer().WaitTicks(kPressedTicks);
}

// The zone buttons: what a zone shows and which cursor goes with it.
enum class EZoneButton { kResize, kRotate, kReposition };

uint32_t HoverState(EZoneButton button, uint32_t zone) {
  if (button == EZoneButton::kResize && zone > 1 && IsKeyHeld(platform::kVkMenu)) return zone / 2 + 14;
  return zone;
}

// 0 keeps the cursor as it is.
uint32_t ZoneCursor(EZoneButton button, uint32_t zone) {
  switch (button) {
    case EZoneButton::kResize: {
      constexpr uint32_t kByPair[] = {CEditPalette::kCursorCentre, CEditPalette::kCursorHorizontal,
                                      CEditPalette::kCursorDepth, CEditPalette::kCursorVertical};
      return zone / 2 < std::size(kByPair) ? kByPair[zone / 2] : 0;
    }
    case EZoneButton::kRotate: {
      constexpr uint32_t kByZone[] = {0, CEditPalette::kCursorVertical, CEditPalette::kCursorHorizontal,
                                      CEditPalette::kCursorDepth};
      return zone < std::size(kByZone) ? kByZone[zone] : 0;
    }
    case EZoneButton::kReposition: {
      constexpr uint32_t kByPair[] = {CEditPalette::kCursorHorizontal, CEditPalette::kCursorVertical,
                                      CEditPalette::kCursorDepth};
      return (zone - 1) / 2 < std::size(kByPair) ? kByPair[(zone - 1) / 2] : 0;
    }
  }
  return 0;
}

int32_t TrackZoneButton(EZoneButton button, CElement* element, SPointHV point) {
  if (!IsInsideElement(element, point)) {
    if (Tracker().GetHotButton() == element) {
      ShowState(element, 0);
      Tracker().DropHot();
      SetAppCursor(0, true);
    }
    return kNoErr;
  }
  const uint32_t zone = CEditPalette::ZoneAt(element, point);
  if (Tracker().GetHotButton() != element) {
    Tracker().MakeHot(element);
    Tracker().SetPulse(kEnteredLevel, kFallingStep);
    element->Redraw();
    SetAppCursor(0, true);
  }
  if (zone != kNoZone) {
    if (button == EZoneButton::kRotate && zone > 3) return kHandled;
    if (const uint32_t cursor = ZoneCursor(button, zone)) SetAppCursor(cursor, true);
  }
  const uint32_t state = HoverState(button, zone);
  if (ShownState(element) != state) {
    Tracker().SetPulse(kEnteredLevel, kFallingStep);
    Tracker().RestartTimers();
    ShowState(element, state);
    if (state == 0) {
      SetAppCursor(0, true);
      Tracker().DropHot();
    }
  } else if (state != 0 && Tracker().IsPulseDue()) {
    Tracker().Track(AsImage(element), state);
  }
  return kHandled;
}

}  // namespace

// ---- the hot button

uint32_t CEditPalette::ButtonState(const CElement* element) { return element->GetUserWord(kStateWord); }

// ---- zones and modes

uint32_t CEditPalette::ZoneAt(CElement* element, SPointHV point) {
  CImElement* image = AsImage(element);
  const int32_t alpha = image ? ZoneMapAlpha(*image, point) : -1;
  return alpha < 0 || uint32_t(alpha) == kZoneLimit ? kNoZone : uint32_t(alpha);
}

void CEditPalette::RandomizeAmplitudes(uint32_t mode, vector3<double>* position, vector3<double>* rotation,
                                       double* scale) {
  // Modes beyond the eight scatter the position only.
  if (mode > 7) mode = 4;
  *position = mode < 4 ? vector3<double>{1, 0, 1} : vector3<double>{1, 1, 1};
  *rotation = (mode & 1) ? vector3<double>{1, 1, 1} : vector3<double>{};
  *scale = (mode & 2) ? 1.0 : 0.0;
}

// ---- the drags

int32_t CEditPalette::PressResize(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  // By zone: 1 the centre, then the faces across x, z and y.
  constexpr int32_t kHandleOfZone[] = {-1, CSelection::kCentreHandle, 1, 0, 4, 5, 3, 2};
  const uint32_t zone = ZoneAt(element, point);
  const STarget target = Target();
  if (zone == kNoZone || zone >= std::size(kHandleOfZone) || !target.IsUsable()) return kNoErr;
  *handled = element;
  CSelection& selection = target.Selection();
  selection.SetEditKind(CSelection::kResize);
  auto action = CMatrixAction::OfSelection(selection);
  const bool alt = IsKeyHeld(platform::kVkMenu);
  ShowPressed(element, zone > 1 && alt ? zone / 2 + 17 : zone + 7);
  const uint32_t mask = selection.GetAxisOverrideMask() |
                        (IsKeyHeld(platform::kVkControl) ? uint32_t(CSelection::kOverrideUniform) : 0u);
  selection.SetAxisOverride(true, mask);
  SHandleDrag drag;
  selection.BeginHandleDrag(kHandleOfZone[zone], &drag);
  target.window->SetDragState(true);
  const bool moved = DragLoop(target, ElementToScreen(element, point), false, [&](int32_t dx, int32_t dy) {
    selection.DragHandleStep(dx, dy, &drag);
    return true;
  });
  const int32_t err = EndRecord(target, std::move(action), moved);
  selection.SetAxisOverride(false, mask & ~uint32_t(CSelection::kOverrideUniform));
  EndOfDrag(target, element, HoverState(EZoneButton::kResize, zone));
  return err;
}

int32_t CEditPalette::PressRotate(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  // By zone: about y, x and z.
  constexpr int32_t kHandleOfZone[] = {-1, 3, 1, 5};
  const uint32_t zone = ZoneAt(element, point);
  const STarget target = Target();
  if (zone == kNoZone || zone >= std::size(kHandleOfZone) || !target.IsUsable()) return kNoErr;
  *handled = element;
  CSelection& selection = target.Selection();
  selection.SetEditKind(CSelection::kRotate);
  auto action = CMatrixAction::OfSelection(selection);
  ShowPressed(element, zone + 3);
  SHandleDrag drag;
  selection.BeginHandleDrag(kHandleOfZone[zone], &drag);
  target.window->SetDragState(true);
  const bool control = IsKeyHeld(platform::kVkControl);
  CAppl* app = App();
  if (app) app->HideCursor();
  const SPointHV press = ElementToScreen(element, point);
  SetCursorPosition(press.h, press.v);
  // Without Ctrl the pointer goes back to the press point after each step; with it, the movement is
  // taken from where the pointer is, so that no step counts the same travel twice.
  const bool moved = DragLoop(target, press, !control, [&](int32_t dx, int32_t dy) {
    selection.DragHandleStep(dx, dy, &drag);
    return true;
  });
  const int32_t err = EndRecord(target, std::move(action), moved);
  SetAppCursor(0, false);
  SetCursorPosition(press.h, press.v);
  if (app) app->ShowCursor();
  EndOfDrag(target, element, zone);
  return err;
}

int32_t CEditPalette::PressReposition(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  // By zone: the directions along x (0, 1), y (2, 3) and z (4, 5).
  constexpr int32_t kDirectionOfZone[] = {-1, 1, 0, 2, 3, 5, 4};
  const uint32_t zone = ZoneAt(element, point);
  const STarget target = Target();
  if (zone == kNoZone || zone >= std::size(kDirectionOfZone) || !target.IsUsable()) return kNoErr;
  *handled = element;
  CSelection& selection = target.Selection();
  auto action = CMatrixAction::OfSelection(selection);
  ShowPressed(element, zone + 6);
  const uint32_t direction = uint32_t(kDirectionOfZone[zone]);
  SHandleDrag drag;
  selection.BeginHandleDrag(int32_t(direction), &drag);
  target.window->SetDragState(true);
  // Up raises the selection: the vertical movement counts against y.
  const bool vertical = direction / 2 == 1;
  const bool moved = DragLoop(target, ElementToScreen(element, point), false, [&](int32_t dx, int32_t dy) {
    selection.NudgeSelection(vertical ? -dy : dx, uint32_t(drag.handle), 1);
    return true;
  });
  const int32_t err = EndRecord(target, std::move(action), moved);
  EndOfDrag(target, element, zone);
  return err;
}

// ---- randomize

int32_t CEditPalette::PressRandomizeMode(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  CImElement* image = AsImage(element);
  CIxImage* list = image ? image->GetImageList() : nullptr;
  if (!list || ZoneAt(element, point) == kNoZone) return kNoErr;
  *handled = element;
  const uint32_t count = list->Count();
  const uint32_t max = count ? count - 1 : 0;
  uint32_t mode = ShownState(element);
  SetAppCursor(kCursorPressed, true);
  CAppl* app = App();
  int32_t lastX = ElementToScreen(element, point).h;
  bool stepped = false;
  while (app && app->IsStillDown()) {
    const int32_t x = Pointer().h;
    if (std::abs(x - lastX) <= kModeStepPixels) {
      platform::SleepMs(kPollMs);
      continue;
    }
    if (x < lastX && mode > 0) ShowState(element, --mode);
    else if (x > lastX && mode < max) ShowState(element, ++mode);
    lastX = x;
    stepped = true;
  }
  if (!stepped) ShowState(element, mode >= max ? 0 : mode + 1);
  return kNoErr;
}

int32_t CEditPalette::PressRandomize(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  const STarget target = Target();
  CEditPalette* palette = GetCurrent();
  if (!target.IsUsable() || !palette) return kNoErr;
  *handled = element;
  vector3<double> position, rotation;
  double scale = 0;
  CImElement* modeButton = palette->GetRandomizeButton();
  RandomizeAmplitudes(modeButton ? ShownState(modeButton) : 0, &position, &rotation, &scale);
  CSelection& selection = target.Selection();
  auto action = CMatrixAction::OfSelection(selection);
  selection.PrepareRandomize(position, rotation, scale);
  SetAppCursor(kCursorPressed, true);
  target.window->SetDragState(true);
  // Only the sideways travel scatters, so that going back to the start undoes it; up and down
  // neither redraws nor records.
  const bool moved = DragLoop(target, ElementToScreen(element, point), false, [&](int32_t dx, int32_t) {
    if (dx) selection.ApplyRandomizeStep(dx);
    return dx != 0;
  });
  const int32_t err = EndRecord(target, std::move(action), moved);
  target.window->SetDragState(false);
  SetAppCursor(0, true);
  target.window->Invalidate(true);
  return err;
}

// ---- convert object

namespace {

// The list item (an element named for its target) under the screen point, or none.
CElement* ItemAt(CLayoutHostCanvas* list, SPointHV screen) {
  CElement* root = list->GetRoot();
  if (!root) return nullptr;
  CElSystem* items = root->GetChildren();
  for (const SLayoutNeed& need : need::kConvertItems) {
    CElement* item = nullptr;
    if (CElSystem::FindElement(items, need.name, &item, false) || !item) continue;
    SPointHV local;
    item->RootToLocalPoint(&local, screen);
    if (IsInsideElement(item, local)) return item;
  }
  return nullptr;
}

// The lit item shows the list's highlight colour as its fill.
class CItemHighlight {
 public:
  explicit CItemHighlight(CLayoutHostCanvas* list) : fList(list) {}
  ~CItemHighlight() { Light(nullptr); }
  CElement* Lit() const { return fItem; }
  void Light(CElement* item) {
    if (item == fItem) return;
    if (auto* old = dynamic_cast<CCoElement*>(fItem)) old->SetFillColor(fNormal, true);
    fItem = item;
    if (auto* now = dynamic_cast<CCoElement*>(fItem)) {
      fNormal = now->GetFillColor();
      CImVector lit;
      lit.Set(0xFF, 0x4A, 0x6E, 0x9A);
      now->SetFillColor(lit, true);
    }
    fList->UpdateNow();
  }

 private:
  CLayoutHostCanvas* fList;
  CElement* fItem = nullptr;
  CImVector fNormal;
};

}  // namespace

int32_t CEditPalette::PressConvertObject(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  CEditPalette* palette = GetCurrent();
  CLayoutHostCanvas* list = palette ? palette->GetConvertList() : nullptr;
  if (!list) return kNoErr;
  *handled = element;
  ShowEntry(element, 2);
  // The list opens below the button.
  const SPointHV below = ElementToScreen(element, {0, RectHeight(element->GetRect())});
  list->MoveTo(below);
  list->Show();
  list->UpdateNow();
  CItemHighlight highlight(list);
  CAppl* app = App();
  while (app && app->IsStillDown()) {
    highlight.Light(ItemAt(list, Pointer()));
    platform::SleepMs(kPollMs);
  }
  CElement* chosen = ItemAt(list, Pointer());
  highlight.Light(nullptr);
  int32_t err = kNoErr;
  if (chosen) {
    CUIMessage message;
    message.Init(0, chosen->GetName(), chosen->GetWindowName(), need::kEditPalette.name, 0);
    err = palette->HandleEvent(&message);
  }
  Tracker().SetPulse(kEnteredLevel, kFallingStep);
  list->Hide();
  // Lit as the hovered button it still is; it stands in its normal state.
  ShowEntry(element, 1);
  return err == kHandled ? kNoErr : err;
}

// ---- the plain, option and tab buttons

int32_t CEditPalette::TrackButtonPress(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  const auto overButton = [element] {
    SPointHV local;
    element->RootToLocalPoint(&local, Pointer());
    return IsInsideElement(element, local);
  };
  ShowEntry(element, 1);
  CTimer().WaitTicks(kPressedTicks);
  bool inside = true;
  CAppl* app = App();
  while (app && app->IsStillDown()) {
    if (overButton() != inside) {
      inside = !inside;
      ShowEntry(element, inside ? 1 : 0);
    }
    platform::SleepMs(kPollMs);
  }
  Tracker().SetPulse(kEnteredLevel, kFallingStep);
  ShowEntry(element, 0);
  *handled = element;
  if (!overButton()) return kNoErr;
  const int32_t answer = SendElementMessage(element);
  return answer == kHandled ? kNoErr : answer;
}

int32_t CEditPalette::InvokeButtonAction(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  CEditPalette* palette = GetCurrent();
  const SPointHV screen = ElementToScreen(element, point);
  const SPointHV inCanvas = palette ? palette->ScreenToCanvas(screen) : screen;
  CUIMessage message;
  message.InitWithPoints(0, element, inCanvas, SPointHV{0, 0}, 0);
  return element->SendMessageUp(&message, element);
}

int32_t CEditPalette::PressButton(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  return PressHighlighted(element, handled);
}

int32_t CEditPalette::PostButtonMessage(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  return PressOnRelease(element, handled);
}

// ---- hover

int32_t CEditPalette::TrackResize(CElement* element, SPointHV point) {
  return TrackZoneButton(EZoneButton::kResize, element, point);
}

int32_t CEditPalette::TrackRotate(CElement* element, SPointHV point) {
  return TrackZoneButton(EZoneButton::kRotate, element, point);
}

int32_t CEditPalette::TrackReposition(CElement* element, SPointHV point) {
  return TrackZoneButton(EZoneButton::kReposition, element, point);
}

int32_t CEditPalette::TrackButtonHover(CElement* element, SPointHV point) {
  const uint32_t ownCursor = element->GetUserWord(kCursorWord);
  const bool wasHot = Tracker().GetHotButton() == element;
  const int32_t answer = HoverGlowButton(Tracker(), element, point, 1);
  if (answer == kHandled && !wasHot) SetAppCursor(ownCursor, true);
  else if (answer != kHandled && wasHot && ownCursor) SetAppCursor(0, true);
  return answer;
}

int32_t CEditPalette::TrackRandomizeMode(CElement* element, SPointHV point) {
  if (!IsInsideElement(element, point)) return TrackButtonHover(element, point);
  if (Tracker().GetHotButton() != element) {
    Tracker().MakeHot(element);
    Tracker().SetPulse(kEnteredLevel, kFallingStep);
    SetAppCursor(0, true);
  }
  SetAppCursor(ZoneAt(element, point) != kNoZone ? uint32_t(kCursorPressed) : 0u, true);
  return kHandled;
}

int32_t CEditPalette::TrackHotButton(CElement* element, SPointHV point) {
  return HoverTab(Tracker(), element, point) ? kHandled : kNoErr;
}

// The tab labels take the hover without claiming it.
int32_t CEditPalette::SwitchHotButton(CElement* element, SPointHV point) {
  HoverTab(Tracker(), element, point);
  return kNoErr;
}
