// The display palette's buttons, which are highlights over its pictures, the depth cue drag, and its
// pointer watch: the tools back where the pointer comes over the strip, the hot control and its tip,
// and the fade while the pointer is away, in step with the selection palette.
#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "editing/document_host.h"
#include "framework/core/appl.h"
#include "framework/core/result_codes.h"
#include "framework/core/timer.h"
#include "framework/ui/canvas.h"
#include "framework/ui/floating_palette.h"
#include "framework/ui/ho_element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/ui_message.h"
#include "panels/display_palette.h"
#include "panels/selection_palette.h"
#include "platform/clock.h"
#include "render/view.h"

namespace {

constexpr int64_t kPressedTicks = 2;
constexpr int64_t kPollMs = 5;
constexpr float kLit = 1.0f;
constexpr float kHalfLit = 0.5f;
// "objinfochanged" after a change of the view's look.
constexpr uint32_t kViewLookChanged = 4;
// The user words of "sel left" and "sel right" (0: the selection palette's fade restarts; "sel
// left" 1: the pointer is over this palette) and of "display top" and "display bottom" (0: the
// selection palette's tools are hidden; "display top" 1: the pointer is over the selection palette).
constexpr uint32_t kRestartWord = 0;
constexpr uint32_t kHoldWord = 1;

bool IsShownElement(const CElement* element) { return element && element->IsShown(); }

uint32_t WordOf(const CElement* element, uint32_t word) { return element ? element->GetUserWord(word) : 0; }

// A press callback's answer: a handled message is no failure to report.
int32_t Answer(int32_t answer) { return answer == kHandled ? kNoErr : answer; }

}  // namespace

// ---- the buttons

int32_t CDisplayPalette::PressButton(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  return Answer(PressLit(element, handled));
}

int32_t CDisplayPalette::PressToggle(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  CTimer().WaitTicks(kPressedTicks);
  WaitForMouseUp();
  const bool on = element->GetUserWord(kStateWord) == 0;
  element->SetUserWord(kStateWord, on ? 1 : 0);
  SetOpacityOf(element, on ? kLit : 0.0f);
  *handled = element;
  return Answer(SendElementMessage(element));
}

// The menu opens once the button is up: a menu opened under a pointer still pressed would take the
// release as the choice of the row beneath it.
int32_t CDisplayPalette::PressMenuButton(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  const float own = OpacityOf(element);
  SetOpacityOf(element, kLit);
  WaitForMouseUp();
  SetOpacityOf(element, own);
  SPointHV corner;
  element->LocalToRootPoint(&corner, {0, 0});
  CUIMessage message;
  message.InitWithPoints(0, element, corner, point, 0);
  *handled = element;
  return Answer(element->SendMessageUp(&message, element));
}

int32_t CDisplayPalette::PressPan(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  CDisplayPalette* palette = GetCurrent();
  const float own = OpacityOf(element);
  SetOpacityOf(element, kLit);
  SPointHV anchor;
  element->LocalToRootPoint(&anchor, point);
  const int32_t err = palette && palette->fWindow ? palette->fWindow->TrackCameraDrag(anchor) : kNoErr;
  SetOpacityOf(element, own);
  return Answer(err);
}

int32_t CDisplayPalette::PressDepthCue(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  CDisplayPalette* palette = GetCurrent();
  CImElement* image = AsImage(element);
  if (palette && image) palette->DragDepthCue(image, point);
  return kNoErr;
}

// Two pixels up or down are one step of the value (0 to 200), which is the view's depth cue amount
// × 100; the window is drawn at each step, lightly while the drag lasts.
void CDisplayPalette::DragDepthCue(CImElement* element, SPointHV press) {
  CAppl* app = GetApplication();
  CView* view = fWindow ? fWindow->GetHostView() : nullptr;
  if (!app || !view) return;
  SViewStyle& style = view->GetStyle();
  if (app->IsControlDown()) {
    style.depthCue = !style.depthCue;
    fWindow->Invalidate(true);
    return;
  }
  const float own = element->GetOpacity();
  element->SetOpacity(kLit, true);
  int32_t value = int32_t(std::lround(style.depthCueStrength * 100.0f));
  int32_t lastY = press.v;
  const auto redraw = [this] {
    fWindow->Invalidate(true);
    fWindow->RedrawNow();
    fWindow->NotifyDragStep(kViewLookChanged);
  };
  fWindow->SetDragState(true);
  while (app->IsStillDown()) {
    SetAppCursor(kDepthCueCursor, true);
    const platform::SPoint cursor = app->GetCursorPos();
    SPointHV local;
    element->RootToLocalPoint(&local, {cursor.x, cursor.y});
    const int32_t delta = (local.v - lastY) / 2;
    if (delta != 0) {
      value = std::clamp(value + delta, 0, kMaxDepthCue);
      style.depthCueStrength = float(value) * 0.01f;
      element->SetUserWord(kStateWord, uint32_t(value));
      lastY = local.v;
      redraw();
    } else {
      platform::SleepMs(kPollMs);
    }
  }
  SetAppCursor(0, true);
  fWindow->SetDragState(false);
  redraw();
  element->SetOpacity(own, true);
  SendElementMessage(element);
}

int32_t CDisplayPalette::HoverButton(CElement* element, SPointHV point) {
  CDisplayPalette* palette = GetCurrent();
  return palette ? palette->Hover(element, point, false) : kNoErr;
}

int32_t CDisplayPalette::HoverToggle(CElement* element, SPointHV point) {
  CDisplayPalette* palette = GetCurrent();
  return palette ? palette->Hover(element, point, true) : kNoErr;
}

// A newly hot control is drawn once at least half lit (a toggle that is on, lit), keeping its own
// opacity; the one before goes back to its own look.
int32_t CDisplayPalette::Hover(CElement* element, SPointHV point, bool toggle) {
  if (!IsInsideElement(element, point)) {
    if (fHot == element) DropHot();
    return kNoErr;
  }
  if (fHot == element) return kHandled;
  DropHot();
  fHot = element;
  if (CImElement* image = AsImage(element)) {
    const float own = image->GetOpacity();
    const float lit = toggle && element->GetUserWord(kStateWord) ? kLit : kHalfLit;
    image->SetOpacity(std::max(own, lit), true);
    image->SetOpacity(own, false);
  }
  return kHandled;
}

void CDisplayPalette::DropHot() {
  if (fHot) fHot->Redraw();
  fHot = nullptr;
}

// ---- the pointer watch

int32_t CDisplayPalette::WatchPointer(void* palette, void* record, void*) {
  if (palette) static_cast<CDisplayPalette*>(palette)->WatchPointer(record);
  return kNoErr;
}

void CDisplayPalette::WatchPointer(const void* record) {
  if (!IsPaletteWatchDue(*this, record, &fLastWatch, 0)) return;
  CAppl* app = GetApplication();
  const platform::SPoint cursor = app->GetCursorPos();
  const bool inside = IsPointerOverPalette(*this, cursor);
  if (fSelectionLeft) fSelectionLeft->SetUserWord(kHoldWord, inside ? 1 : 0);
  const int64_t now = platform::NowTicks();
  if (inside) WatchInside(now, {cursor.x, cursor.y});
  else WatchAway(now);
}

void CDisplayPalette::WatchInside(int64_t now, SPointHV cursor) {
  fHoverTick = now;
  fFadeTick = 0;
  if (fFade > 0 && fFade < kPaletteFadeLevels && fSelectionPalette && fSelectionPalette->GetRoot())
    fSelectionPalette->GetRoot()->Redraw();
  SetSelectionWord(kRestartWord, 0);
  if (fFade != 0) ShowFadeLevel(fBackground, 0);
  fFade = 0;
  SPointHV local;
  GetRoot()->ParentToLocalPoint(&local, ScreenToCanvas(cursor));
  if (ShowToolsUnder(local)) {
    if (CImElement* plop = fControls[need::kPlopRenderMode]; plop && plop->GetUserWord(kStateWord))
      plop->SetOpacity(kLit, false);
    GetRoot()->Redraw();
  }
  CAppl* app = GetApplication();
  if (app->IsKeyDown(kPaletteSpaceKey)) {
    SetAppCursor(kPaletteSpaceCursor, true);
    return;
  }
  SetAppCursor(0, true);
  CElement* before = fHot;
  HoverPaletteAt(*this, {cursor.h, cursor.v});
  if (fHot != before) PostPaletteTip(*this, fHot ? fHot->GetName() : nullptr);
}

// Over "display tools bottom" the lower tools come back with the selection palette's arrows; above
// it, the toggles with their background. Whether anything came back.
bool CDisplayPalette::ShowToolsUnder(SPointHV local) {
  bool shown = false;
  if (fToolsBottom && !fToolsBottom->IsShown() && IsPointInRect(local, fToolsBottom->GetRect())) {
    for (CElement* element : {fTop, fToolsBottom}) {
      if (element) element->Show(false);
    }
    for (CElement* arrow : {fSelectionLeft, fSelectionRight}) {
      if (arrow) arrow->Show(true);
    }
    shown = true;
  }
  if (fToolsBackground && !fToolsBackground->IsShown() && fToolsBottom && local.v < fToolsBottom->GetRect().top) {
    fToolsBackground->Show(false);
    for (need::EDisplayControl toggle : {need::kNanoEditMode, need::kPlopRenderMode, need::kWireframeShadows,
                                         need::kHideUndergroundShadows}) {
      if (fControls[toggle]) fControls[toggle]->Show(false);
    }
    if (fSelectionLeft) fSelectionLeft->Show(true);
    shown = true;
  }
  return shown;
}

void CDisplayPalette::WatchAway(int64_t now) {
  const bool restart = WordOf(fTop, kRestartWord) || WordOf(fBottom, kRestartWord);
  if (fFade == kPaletteFadeLevels && (IsShownElement(fTop) || IsShownElement(fBottom)) && restart) {
    fFade = 0;
    fHoverTick = fFadeTick = 0;
    for (CElement* part : {fTop, fBottom}) {
      if (part) part->SetUserWord(kRestartWord, 0);
    }
  }
  if (fHot) {
    DropHot();
    PostPaletteTip(*this, nullptr);
  }
  if (WordOf(fTop, kHoldWord)) {
    fHoverTick = now;
    return;
  }
  if (fFade >= kPaletteFadeLevels || now - fHoverTick < kPaletteFadeDelayTicks ||
      now - fFadeTick < kPaletteFadeStepTicks)
    return;
  SetOpacityOf(fControls[need::kPlopRenderMode], 0.0f, false);
  if (fFade == 0) HideTools();
  fFade = NextFadeLevel(fFade);
  ShowFadeLevel(fBackground, fFade);
  fFadeTick = now;
}

void CDisplayPalette::HideTools() {
  for (CElement* part : {fToolsBottom, fToolsBackground, fTop, fBottom}) {
    if (part) part->Hide(false);
  }
  for (need::EDisplayControl toggle : {need::kNanoEditMode, need::kPlopRenderMode, need::kWireframeShadows,
                                       need::kHideUndergroundShadows}) {
    if (fControls[toggle]) fControls[toggle]->Hide(false);
  }
  SetSelectionWord(kRestartWord, 1);
}

void CDisplayPalette::SetSelectionWord(uint32_t word, uint32_t value) {
  for (CElement* arrow : {fSelectionLeft, fSelectionRight}) {
    if (arrow) arrow->SetUserWord(word, value);
  }
}
