// The control palette's elements under the pointer: hover highlight and glow, the camera controls'
// drags, the view control, the view dots, the toggles, the render buttons and the menu buttons.
// The palette measures the pointer and constrains the axes; the document window moves the camera.
#include <initializer_list>
#include <utility>

#include "app/control_palette.h"
#include "app/control_palette_shared.h"
#include "app/doc_window.h"
#include "app/layout_needs.h"
#include "framework/core/appl.h"
#include "framework/core/cm_function.h"
#include "framework/core/handle_table.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/image/ix_image.h"
#include "framework/ui/canvas.h"
#include "framework/ui/element.h"
#include "framework/ui/im_element.h"
#include "framework/ui/ui_host_canvas.h"
#include "framework/ui/ui_message.h"
#include "platform/clock.h"
#include "platform/system.h"

namespace {

using control_palette::AsImage;
using control_palette::kEditCameraMessage;
using control_palette::kNamedKind;
using control_palette::kPollMs;
using control_palette::kViewDotMessage;
using control_palette::Now;
using control_palette::WaitForRelease;

// UI message kinds of a tracked control.
constexpr uint32_t kPressKind = 1;
constexpr uint32_t kStepKind = 2;
constexpr uint32_t kReleaseKind = 3;

constexpr const char* kResetCameraMessage = "reset camera";
constexpr const char* kDocSetupMessage = "doc setup";
constexpr const char* kMenuBarCanvas = "menu bar";

// The glow: the flash on entering starts here and fades; after a second of hovering it pulses.
constexpr int32_t kEnterLevel = 160;
constexpr int32_t kLevelStep = 20;
constexpr uint32_t kHighlightImage = 1;

// Zones 1 to 4 of a translation control's picture.
constexpr uint32_t kZoneCursors[] = {CControlPalette::kCursorZone1, CControlPalette::kCursorZone2,
                                     CControlPalette::kCursorTrackball, CControlPalette::kCursorZone4};
constexpr uint8_t kLastZoneAlpha = 4;
constexpr uint8_t kOpaque = 255;
constexpr uint32_t kDefaultCursor = 0;

// The view control steps a view each time the pointer moves this far from its anchor.
constexpr int32_t kViewStepPixels = 4;
constexpr int64_t kRestMs = 100;  // the pointer rests during a drag

bool IsInside(const CElement* element, SPointHV point) {
  const SRect& rect = element->GetRect();
  return point.h >= 0 && point.v >= 0 && point.h < RectWidth(rect) && point.v < RectHeight(rect);
}

uint32_t ImageCount(const CImElement* element) {
  CIxImage* list = element ? element->GetImageList() : nullptr;
  return list ? list->Count() : 0;
}

// A pressed button shows state 1 when it has only one or two pictures, else its state 2.
uint32_t PressedState(const CImElement* element) {
  const uint32_t count = ImageCount(element);
  return count == 1 || count == 2 ? 1 : 2;
}

int32_t SendFromElement(CElement* element, CUIMessage& message) { return element->SendMessageUp(&message, element); }

}  // namespace

// A camera control's drag: the axes it allows, where it started, and who takes its steps.
struct CControlPalette::SDrag {
  CImElement* control = nullptr;
  uint32_t zone = 0;
  bool horizontal = true;
  bool vertical = true;
  SPointHV start;
  // The document window that answered the press with its handle takes the steps directly.
  CDocWindow* receiver = nullptr;
  // The document window feeds its live preview window during the drag.
  CDocWindow* liveWindow = nullptr;
  bool liveShown = false;
  bool moved = false;
  bool cursorHidden = false;
};

// ---- hover

void CControlPalette::StartGlow(int32_t level, int32_t step) {
  fGlow.SetPulse(level, step);
  fGlow.RestartTimers();
}

void CControlPalette::SetHoverCursor(const CElement* element) {
  SetAppCursor(element ? element->GetUserWord(kCursorWord) : kDefaultCursor, false);
}

int32_t CControlPalette::OnHover(CElement* element, SPointHV point) {
  CControlPalette* palette = GetCurrentControlPalette();
  if (!palette || !element) return kNoErr;
  if (IsInside(element, point)) {
    if (palette->fGlow.GetHotButton() != element) {
      palette->fGlow.MakeHot(element);
      palette->SetHoverCursor(element);
    }
    return kHandled;
  }
  if (palette->fGlow.GetHotButton() == element) {
    palette->fGlow.DropHot();
    if (element->GetUserWord(kCursorWord)) SetAppCursor(kDefaultCursor, false);
  }
  return kNoErr;
}

int32_t CControlPalette::OnGlowHover(CElement* element, SPointHV point) {
  CControlPalette* palette = GetCurrentControlPalette();
  if (!palette || !element || !palette->IsEnabled(element)) return kNoErr;
  if (!IsInside(element, point)) return OnHover(element, point);
  CGlowTracker& glow = palette->fGlow;
  if (glow.GetHotButton() != element) {
    glow.MakeHot(element);
    glow.SetPulse(kEnterLevel, -kLevelStep);
    glow.Track(AsImage(element), kHighlightImage);
    element->SetUserWord(kZoneWord, 0);
    palette->SetHoverCursor(element);
    return kHandled;
  }
  if (glow.IsPulseDue()) glow.Track(AsImage(element), kHighlightImage);
  return kHandled;
}

int32_t CControlPalette::OnZoneHover(CElement* element, SPointHV point) {
  CControlPalette* palette = GetCurrentControlPalette();
  CImElement* control = AsImage(element);
  if (!palette || !control || !palette->IsEnabled(element)) return kNoErr;
  CGlowTracker& glow = palette->fGlow;
  if (!IsInside(element, point)) {
    if (glow.GetHotButton() == element) {
      element->SetUserWord(kZoneWord, 0);
      ShowState(control, 0);
      glow.DropHot();
      SetAppCursor(kDefaultCursor, false);
    }
    return kNoErr;
  }
  const uint32_t zone = ZoneAt(control, point);
  if (glow.GetHotButton() != element) {
    glow.MakeHot(element);
    glow.SetPulse(0, kLevelStep);
    element->SetUserWord(kZoneWord, 0);
    SetAppCursor(kDefaultCursor, false);
  }
  if (zone == kNoZone) {
    SetAppCursor(kDefaultCursor, false);
    return kNoErr;
  }
  if (zone != 0) SetAppCursor(kZoneCursors[zone - 1], false);
  if (zone != element->GetUserWord(kZoneWord)) {
    palette->StartGlow(0, kLevelStep);
    ShowState(control, 0);
    if (zone == 0) {
      SetAppCursor(kDefaultCursor, false);
      glow.DropHot();
    }
  } else if (zone != 0 && glow.IsPulseDue()) {
    glow.Track(control, kHighlightImage, true);
  }
  element->SetUserWord(kZoneWord, zone);
  return kHandled;
}

uint32_t CControlPalette::ZoneAt(CImElement* element, SPointHV point) {
  const int32_t alpha = element ? ZoneMapAlpha(*element, point) : -1;
  if (alpha <= 0 || alpha == kOpaque) return 0;
  return uint32_t(alpha) <= kLastZoneAlpha ? uint32_t(alpha) : kNoZone;
}

// ---- enabling

bool CControlPalette::IsEnabled(const CElement* element) const {
  for (uint32_t i = 0; i < kCameraControlCount; ++i) {
    if (element && fCameraControls[i] == element) return !(fDisabledControls & (1u << i));
  }
  return true;
}

void CControlPalette::DimCameraControls(bool dim) {
  for (uint32_t i = 0; i < kCameraControlCount; ++i) {
    CImElement* control = fCameraControls[i];
    const uint32_t bit = 1u << i;
    if (!control || dim == ((fDisabledControls & bit) != 0)) continue;
    if (dim) fDisabledControls |= bit;
    else fDisabledControls &= ~bit;
    ShowState(control, dim ? 1 : 0);
  }
}

// ---- presses

int32_t CControlPalette::OnButtonPress(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  CControlPalette* palette = GetCurrentControlPalette();
  if (!palette || !element) return kNoErr;
  *handled = element;
  CImElement* button = AsImage(element);
  ShowState(button, PressedState(button));
  WaitForRelease(GetApplication());
  palette->StartGlow(0, kLevelStep);
  ShowState(button, 0);
  CUIMessage message;
  message.InitFromElement(kNamedKind, element, CUIMessage::kBroadcast);
  return SendFromElement(element, message);
}

int32_t CControlPalette::OnMenuButtonPress(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  CControlPalette* palette = GetCurrentControlPalette();
  if (!palette || !element) return kNoErr;
  *handled = element;
  // A host canvas's root lies at the window's place on the screen.
  SPointHV screen;
  element->LocalToRootPoint(&screen, point);
  CUIMessage message;
  message.InitWithPoints(kNamedKind, element, screen, screen, 0);
  return SendFromElement(element, message);
}

int32_t CControlPalette::OnCameraControlPress(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  CControlPalette* palette = GetCurrentControlPalette();
  CImElement* control = AsImage(element);
  if (!palette || !control || !palette->IsEnabled(element)) return kNoErr;
  const uint32_t zone = ZoneAt(control, point);
  if (zone == kNoZone) return kNoErr;
  *handled = element;
  ShowState(control, 1);
  if (IsDoubleClick(element)) {
    ShowState(control, 0);
    palette->StartGlow(0, kLevelStep);
    CUIMessage message;
    message.InitFromElement(kNamedKind, element, CUIMessage::kBroadcast);
    message.elementName = kEditCameraMessage;
    return SendFromElement(element, message);
  }
  return palette->TrackCameraDrag(control, zone);
}

int32_t CControlPalette::TrackCameraDrag(CImElement* control, uint32_t zone) {
  CAppl* app = GetApplication();
  if (!app) return kNoErr;
  SDrag drag;
  drag.control = control;
  drag.zone = zone;
  drag.horizontal = zone != 2 && zone != 4;
  drag.vertical = zone != 1;
  if (control == fCameraControls[kBanking]) {
    drag.horizontal = true;
    drag.vertical = false;
  }
  const platform::SPoint cursor = app->GetCursorPos();
  drag.start = {cursor.x, cursor.y};
  CDocWindow* window = GetCurrentDocWindow();
  if (window && (window->GetFlags() & CDocWindow::kLivePreview) && window->GetNanoEditor()) drag.liveWindow = window;

  CUIMessage begin;
  begin.InitWithPoints(kPressKind, control, drag.start, {0, 0}, CUIMessage::kBroadcast);
  SendFromElement(control, begin);
  if (!drag.vertical) SetAppCursor(kCursorHorizontal, false);
  else if (!drag.horizontal) SetAppCursor(kCursorVertical, false);
  // A stale handle finds no window: the steps then go up through the element.
  drag.receiver = LookupHandleAs<CDocWindow>(Handle32(begin.GetPayloadWord(0)), CDocWindow::kHandleTag);

  while (app->IsStillDown()) {
    const platform::SPoint now = app->GetCursorPos();
    const SPointHV delta{now.x - drag.start.h, now.y - drag.start.v};
    SetCursorPosition(drag.start.h, drag.start.v);
    if (delta.h == 0 && delta.v == 0) {
      if (drag.receiver) drag.receiver->Heartbeat(SHeartbeatRecord{});
      platform::SleepMs(kRestMs);
      continue;
    }
    DragStep(drag, delta);
  }

  // The live flag was set before the drag: it stays.
  if (drag.liveShown) drag.liveWindow->StopLivePreview(true);
  CUIMessage end;
  end.InitWithPoints(kReleaseKind, control, drag.start, {0, 0}, CUIMessage::kBroadcast);
  const int32_t result = SendFromElement(control, end);
  if (drag.cursorHidden) app->ShowCursor();
  StartGlow(0, kLevelStep);
  ShowState(control, 0);
  return result;
}

void CControlPalette::DragStep(SDrag& drag, SPointHV delta) {
  CAppl* app = GetApplication();
  const bool first = !drag.moved;
  drag.moved = true;
  if (fCurrentDot) {
    ShowState(fCurrentDot, 1);
    fCurrentDot = nullptr;
  }
  // The step's redraw and the heartbeat after it draw the first frame into the shown window.
  if (first && drag.liveWindow) drag.liveShown = drag.liveWindow->StartLivePreview();
  const bool alt = app->IsAltDown();
  if (drag.control == fCameraControls[kTrackball]) {
    const bool ctrl = app->IsControlDown();
    drag.horizontal = !(alt && ctrl);
    drag.vertical = !alt || ctrl;
  }
  if (!drag.cursorHidden) {
    app->HideCursor();
    drag.cursorHidden = true;
  }
  if (!drag.horizontal) delta.h = 0;
  if (!drag.vertical) delta.v = 0;
  if (drag.control == fCameraControls[kCameraYZ] && drag.zone == 2) delta = {-delta.v, -delta.h};
  CUIMessage step;
  step.InitWithPoints(kStepKind, drag.control, drag.start, delta, CUIMessage::kBroadcast);
  const bool angle = drag.control == fCameraControls[kFieldOfView] || drag.control == fCameraControls[kBanking];
  step.SetPayloadWord(0, angle && alt ? 1 : 0);
  if (drag.receiver) drag.receiver->HandleEvent(&step);
  else SendFromElement(drag.control, step);
  if (drag.receiver) drag.receiver->Heartbeat(SHeartbeatRecord{});
}

int32_t CControlPalette::OnViewControlPress(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  CControlPalette* palette = GetCurrentControlPalette();
  CImElement* control = AsImage(element);
  CAppl* app = GetApplication();
  if (!palette || !control || !app) return kNoErr;
  *handled = element;
  if (palette->fFlyThrough && IsPointInRect(point, palette->fFlyThrough->GetRect())) {
    ShowState(control, kFlyThroughState);
    app->FlushInput();
    CUIMessage message;
    message.Init(kNamedKind, need::kFlyThroughControl.name, nullptr, need::kControlPalette.name,
                 CUIMessage::kBroadcast);
    const int32_t result = SendFromElement(element, message);
    // The fly-around has ended: the control shows its view again, not the pressed knob.
    ShowState(control, palette->fCurrentView);
    return result;
  }
  const uint32_t shown = CurrentState(control);
  if (app->IsAltDown()) {
    CUIMessage message;
    message.Init(kNamedKind, kResetCameraMessage, nullptr, need::kDocWindow.name, CUIMessage::kBroadcast);
    message.SetPayloadWord(0, int32_t(shown));
    return SendFromElement(element, message);
  }
  const uint32_t last = kViewCount - 1;
  uint32_t view = shown < kViewCount ? shown : 0;
  int32_t anchor = app->GetCursorPos().x;
  bool stepped = false;
  while (app->IsStillDown()) {
    const int32_t x = app->GetCursorPos().x;
    if (x - anchor > kViewStepPixels || anchor - x > kViewStepPixels) {
      const uint32_t next = x > anchor ? (view < last ? view + 1 : last) : (view > 0 ? view - 1 : 0);
      anchor = x;
      stepped = true;
      if (next != view) ShowState(control, view = next);
    }
    platform::SleepMs(kPollMs);
  }
  if (!stepped) {
    const bool left = point.h < RectWidth(element->GetRect()) / 2;
    view = left ? (view == 0 ? last : view - 1) : (view == last ? 0 : view + 1);
  }
  palette->StartGlow(0, kLevelStep);
  CUIMessage message;
  message.InitFromElement(kStepKind, element, 0);
  message.SetPayloadWord(0, int32_t(view));
  return SendFromElement(element, message);
}

int32_t CControlPalette::OnViewDotPress(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  CControlPalette* palette = GetCurrentControlPalette();
  CImElement* dot = AsImage(element);
  CAppl* app = GetApplication();
  if (!palette || !dot) return kNoErr;
  *handled = element;
  const int32_t number = int32_t(element->GetUserWord(kDotNumberWord));
  const int32_t before = int32_t(CurrentState(dot));
  uint32_t state = 2;
  if (app && app->IsAltDown()) {
    if (element->GetUserWord(kKeepWord)) {
      platform::Beep();
      return kNoErr;
    }
    if (palette->fCurrentDot == dot) palette->fCurrentDot = nullptr;
    state = 0;
    ShowState(dot, state);
  } else {
    ShowState(dot, state);
    if (palette->fCurrentDot && palette->fCurrentDot != dot) ShowState(palette->fCurrentDot, 1);
    palette->fCurrentDot = dot;
  }
  CUIMessage message;
  for (const auto& [canvas, flags] : {std::pair{need::kDocWindow.name, CUIMessage::kBroadcast},
                                      std::pair{need::kControlPalette.name, 0u}}) {
    message.Init(kNamedKind, kViewDotMessage, nullptr, canvas, flags);
    message.SetPayloadWord(0, number);
    message.SetPayloadWord(1, before);
    message.SetPayloadWord(2, int32_t(state));
    SendFromElement(element, message);
  }
  return kNoErr;
}

int32_t CControlPalette::PressViewDot(uint32_t dot) {
  CImElement* element = dot < kViewDotCount ? fViewDots[dot] : nullptr;
  CAppl* app = GetApplication();
  if (!element || !app) return kNoErr;
  const platform::SPoint cursor = app->GetCursorPos();
  SWinEvent event;
  event.time = Now();
  event.x = cursor.x;
  event.y = cursor.y;
  CElement* handled = nullptr;
  const SPointHV local = ScreenToCanvas({cursor.x, cursor.y});
  return OnViewDotPress(element, &handled, local, &event);
}

int32_t CControlPalette::OnTogglePress(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  CImElement* button = AsImage(element);
  if (!button) return kNoErr;
  *handled = element;
  const uint32_t state = CurrentState(button) != 0 ? 0 : 2;
  ShowState(button, state);
  CUIMessage message;
  message.InitFromElement(kNamedKind, element, CUIMessage::kBroadcast);
  message.canvasName = need::kDocWindow.name;
  message.SetPayloadWord(0, int32_t(state));
  return SendFromElement(element, message);
}

int32_t CControlPalette::OnRenderButtonPress(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  CControlPalette* palette = GetCurrentControlPalette();
  CImElement* button = AsImage(element);
  if (!palette || !button) return kNoErr;
  *handled = element;
  CUIMessage message;
  if (IsDoubleClick(element)) {
    message.Init(kNamedKind, kDocSetupMessage, nullptr, kMenuBarCanvas, CUIMessage::kBroadcast);
    return SendFromElement(element, message);
  }
  ShowState(button, PressedState(button));
  palette->StartGlow(0, kLevelStep);
  palette->fRenderButtonsLit = 1;
  message.InitFromElement(kNamedKind, element, CUIMessage::kBroadcast);
  return SendFromElement(element, message);
}
