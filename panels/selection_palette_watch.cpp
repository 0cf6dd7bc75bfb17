// The selection palette's buttons, which are highlights over its pictures, and its pointer watch:
// the hover and tips over the palette, and the fade of its tools while the pointer is away.
#include <initializer_list>

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

namespace {

constexpr int64_t kPressedTicks = 2;
constexpr float kLit = 1.0f;
constexpr float kHalfLit = 0.5f;
// The user words of "sel left" and "sel right" (0: a restart is asked for; "sel left" 1: the fade
// waits) and of "display top" and "display bottom" (0: the tools are hidden; "display top" 1: the
// pointer is over the selection palette).
constexpr uint32_t kRestartWord = 0;
constexpr uint32_t kHoldWord = 1;
constexpr uint32_t kHiddenWord = 0;
constexpr uint32_t kInsideWord = 1;

bool IsShownElement(const CElement* element) { return element && element->IsShown(); }

uint32_t WordOf(const CElement* element, uint32_t word) { return element ? element->GetUserWord(word) : 0; }

// Whether a point of the root's coordinates lies on a child of the root.
bool IsOn(const CElement* element, SPointHV point) { return element && IsPointInRect(point, element->GetRect()); }

int32_t Answer(int32_t answer) { return answer == kHandled ? kNoErr : answer; }

// A message to the palette itself, its first point the press point in the palette's canvas: where a
// pop-up opens.
int32_t SendFromPressPoint(CElement* element, SPointHV point) {
  SPointHV screen;
  element->LocalToRootPoint(&screen, point);
  CSelectionPalette* palette = CSelectionPalette::GetCurrent();
  CUIMessage message;
  message.InitWithPoints(0, element, palette ? palette->ScreenToCanvas(screen) : screen, point, 0);
  return Answer(element->SendMessageUp(&message, element));
}

}  // namespace

// ---- the buttons

int32_t CSelectionPalette::TrackButtonPress(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  return Answer(PressLit(element, handled));
}

int32_t CSelectionPalette::TrackButtonHover(CElement* element, SPointHV point) { return Hover(element, point, true); }

int32_t CSelectionPalette::TrackPlainHover(CElement* element, SPointHV point) { return Hover(element, point, false); }

int32_t CSelectionPalette::Hover(CElement* element, SPointHV point, bool lit) {
  CSelectionPalette* palette = GetCurrent();
  if (!palette) return kNoErr;
  if (IsInsideElement(element, point)) {
    if (palette->fHot != element) palette->SetHot(element, lit);
    return kHandled;
  }
  if (palette->fHot == element) palette->SetHot(nullptr, false);
  return kNoErr;
}

// The hot element before goes back to its own look; a lit one is drawn half lit over its own
// opacity, which it keeps.
void CSelectionPalette::SetHot(CElement* element, bool lit) {
  if (fHot) fHot->Redraw();
  fHot = element;
  CImElement* image = lit ? AsImage(element) : nullptr;
  if (!image) return;
  const float own = image->GetOpacity();
  image->SetOpacity(kHalfLit, true);
  image->SetOpacity(own, false);
}

int32_t CSelectionPalette::PressOptionsButton(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  const float own = OpacityOf(element);
  SetOpacityOf(element, kLit);
  SetOpacityOf(element, own);
  return SendFromPressPoint(element, point);
}

int32_t CSelectionPalette::PressFamiliesButton(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  return SendFromPressPoint(element, point);
}

int32_t CSelectionPalette::CycleImageMode(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  const float own = OpacityOf(element);
  CSelectionPalette* palette = GetCurrent();
  if (CImElement* image = AsImage(element); image && palette) palette->StepImageMode(image);
  CTimer().WaitTicks(kPressedTicks);
  WaitForMouseUp();
  SetOpacityOf(element, own);
  *handled = element;
  return Answer(SendElementMessage(element));
}

// ---- the pointer watch

int32_t CSelectionPalette::WatchPointer(void* palette, void* record, void*) {
  if (palette) static_cast<CSelectionPalette*>(palette)->WatchPointer(record);
  return kNoErr;
}

void CSelectionPalette::WatchPointer(const void* record) {
  if (!IsPaletteWatchDue(*this, record, &fLastWatch, 0)) return;
  CAppl* app = GetApplication();
  const platform::SPoint cursor = app->GetCursorPos();
  const bool inside = IsPointerOverPalette(*this, cursor);
  const int64_t now = platform::NowTicks();
  if (fDisplayTop) fDisplayTop->SetUserWord(kInsideWord, inside ? 1 : 0);
  if (!inside) {
    WatchAway(now);
    return;
  }
  SPointHV local;
  GetRoot()->ParentToLocalPoint(&local, ScreenToCanvas({cursor.x, cursor.y}));
  WatchInside(now, local);
  if (app->IsKeyDown(kPaletteSpaceKey)) {
    SetAppCursor(kPaletteSpaceCursor, true);
    return;
  }
  SetAppCursor(0, true);
  CElement* before = fHot;
  HoverPaletteAt(*this, cursor);
  if (fHot != before) PostPaletteTip(*this, fHot ? fHot->GetName() : nullptr);
}

void CSelectionPalette::WatchAway(int64_t now) {
  const bool restart = WordOf(fLeft, kRestartWord) || WordOf(fRight, kRestartWord);
  if (fFade == kFadeLevels && (IsShownElement(fLeft) || IsShownElement(fRight)) && restart) {
    fInsideTick = fFadeTick = 0;
    fFade = 0;
    for (CElement* arrow : {fLeft, fRight}) arrow->SetUserWord(kRestartWord, 0);
  }
  if (fHot) {
    SetHot(nullptr, false);
    PostPaletteTip(*this, nullptr);
  }
  if (WordOf(fLeft, kHoldWord)) {
    fInsideTick = now;
    return;
  }
  if (fFade >= kFadeLevels || now - fInsideTick < kFadeDelayTicks || now - fFadeTick < kFadeStepTicks) return;
  if (fFade == 0) {
    for (CElement* tool : {fTools, fObjectsBackground, static_cast<CElement*>(fImageMode), fLeft, fRight,
                           static_cast<CElement*>(fSoloButton)})
      tool->Hide(false);
    SetDisplayWord(kHiddenWord, 1);
  }
  fFade = NextFadeLevel(fFade);
  FadeBackground(fFade);
  fFadeTick = now;
}

void CSelectionPalette::WatchInside(int64_t now, SPointHV local) {
  fInsideTick = now;
  fFadeTick = 0;
  if (fFade > 0 && fFade < kFadeLevels && fDisplayPalette) fDisplayPalette->Redraw(nullptr);
  SetDisplayWord(kHiddenWord, 0);
  if (fFade != 0) FadeBackground(0);
  fFade = 0;
  ShowToolsUnder(local);
}

// Each part of the palette comes back as the pointer comes over it.
void CSelectionPalette::ShowToolsUnder(SPointHV local) {
  bool shown = false;
  const auto show = [&shown](std::initializer_list<CElement*> elements) {
    for (CElement* element : elements) {
      if (!element || element->IsShown()) continue;
      element->Show(false);
      shown = true;
    }
  };
  const auto showDisplay = [](std::initializer_list<CElement*> elements) {
    for (CElement* element : elements) {
      if (element) element->Show(true);
    }
  };
  const bool onTools = !IsShownElement(fTools) && IsOn(fTools, local);
  if ((!IsShownElement(fObjectsBackground) && local.h < fTools->GetRect().left) || onTools) {
    show({fLeft, fObjectsBackground});
    showDisplay({fDisplayTop});
  }
  const SRect& right = fRight->GetRect();
  if (!IsShownElement(fImageMode) && local.h > (right.left + right.right) / 2) {
    show({fRight, fImageMode});
    showDisplay({fDisplayTop, fDisplayBottom});
  }
  for (CElement* arrow : {fLeft, fRight}) {
    if (!arrow->IsShown() && IsOn(arrow, local)) show({arrow});
  }
  if (onTools) {
    show({fTools, fSoloButton, fRight, fLeft});
    showDisplay({fDisplayTop, fDisplayBottom});
  }
  if (shown) GetRoot()->Redraw();
}

void CSelectionPalette::SetDisplayWord(uint32_t word, uint32_t value) {
  for (CElement* element : {fDisplayTop, fDisplayBottom}) {
    if (element) element->SetUserWord(word, value);
  }
}

int32_t CSelectionPalette::FadeBackground(int32_t level) { return ShowFadeLevel(fBackground, level); }
