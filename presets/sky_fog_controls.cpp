#include "presets/sky_fog_controls.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "framework/core/appl.h"
#include "framework/core/ordax.h"
#include "framework/core/result_codes.h"
#include "framework/core/spool_grid.h"
#include "framework/core/timer.h"
#include "framework/image/image.h"
#include "framework/image/ix_image.h"
#include "framework/ui/canvas.h"
#include "framework/ui/floating_palette.h"
#include "framework/ui/glow_step.h"
#include "framework/ui/im_element.h"
#include "framework/ui/pointer_steps.h"
#include "framework/ui/ui_host_canvas.h"
#include "framework/ui/ui_message.h"
#include "platform/clock.h"
#include "presets/layout_needs.h"
#include "presets/sky_edit_state.h"
#include "presets/sky_fog_palette.h"

namespace sky_fog_controls {

const SValueStrip kValueStrips[4] = {
    {&need::kShadowStrip, &CSkyParams::shadowIntensity},
    {&need::kHazeStrip, &CSkyParams::hazeIntensity},
    {&need::kCloudHeightStrip, &CSkyParams::cloudHeight},
    {&need::kCloudCoverStrip, &CSkyParams::cloudCover},
};

namespace {

constexpr int64_t kPollMs = 5;
constexpr uint32_t kCursorWord = 1;
constexpr uint32_t kGlowEntry = 1;
// The sky mode strip's foot takes no press.
constexpr int32_t kSkyModeFoot = 8;
constexpr int64_t kSunMoonWaitTicks = 2;
constexpr int32_t kSunPointLimit = 99;
// The readouts' second line: small and empty.
constexpr const char* kEmptyLine = "02 ";

CSkyFogPalette* Palette() { return GetCurrentSkyFogPalette(); }

// The pointer in the element's coordinates.
SPointHV PointerIn(CElement* element) {
  CAppl* app = GetApplication();
  const platform::SPoint at = app ? app->GetCursorPos() : platform::SPoint{};
  SPointHV local;
  element->RootToLocalPoint(&local, {at.x, at.y});
  return local;
}

bool IsStillDown() {
  CAppl* app = GetApplication();
  return app && app->IsStillDown();
}

void Poll() { platform::SleepMs(kPollMs); }

uint32_t EntryCount(CElement* element) {
  CImElement* image = AsImage(element);
  CIxImage* list = image ? image->GetImageList() : nullptr;
  return list ? list->Count() : 0;
}

uint32_t SelectedEntry(CElement* element) {
  CImElement* image = AsImage(element);
  CIxImage* list = image ? image->GetImageList() : nullptr;
  return list && list->Selected() != CIxImage::kNone ? list->Selected() : 0;
}

void ShowEntry(CElement* element, uint32_t entry) {
  if (CImElement* image = AsImage(element)) image->SelectEntry(entry, false, false, true);
}

// After a gesture the glow of the hovered control starts over from full.
void ResetPulse() {
  if (CSkyFogPalette* palette = Palette()) palette->GetTracker().SetPulse(kPressedGlowLevel, kFallingGlowStep);
}

// The element's own message to the palette (not broadcast), with the press point as second point.
int32_t Post(CElement* element, uint32_t kind, SPointHV second = {}) {
  CUIMessage message;
  message.InitWithPoints(kind, element, {}, second, 0);
  return element->SendMessageUp(&message, element);
}

void ShowReadout(int32_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "22%d", value);
  if (CSkyFogPalette* palette = Palette()) palette->SendHelpLine(text, kEmptyLine);
}

void ShowReadout(int32_t first, int32_t second) {
  char text[32];
  std::snprintf(text, sizeof text, "22%d  %d", first, second);
  if (CSkyFogPalette* palette = Palette()) palette->SendHelpLine(text, kEmptyLine);
}

void SetHoverCursor(const CElement* element) { SetAppCursor(element->GetUserWord(kCursorWord), false); }

// The control under the pointer when `inside`: the palette's one hovered element, its cursor shown.
int32_t Hover(CElement* element, bool inside) {
  CSkyFogPalette* palette = Palette();
  if (!palette || !element) return kNoErr;
  CGlowTracker& tracker = palette->GetTracker();
  if (inside) {
    if (tracker.GetHotButton() != element) {
      tracker.MakeHot(element);
      SetHoverCursor(element);
    }
    return kHandled;
  }
  if (tracker.GetHotButton() == element) {
    tracker.DropHot();
    if (element->GetUserWord(kCursorWord)) SetAppCursor(0, false);
  }
  return kNoErr;
}

// The ball of the sun control: within half the element's width of its centre.
bool IsInBall(const CElement* element, SPointHV point) {
  const SRect& rect = element->GetRect();
  const int32_t cx = RectWidth(rect) / 2;
  const int32_t cy = RectHeight(rect) / 2;
  const int64_t dx = point.h - cx;
  const int64_t dy = point.v - cy;
  // The whole square root no more than the radius.
  return dx * dx + dy * dy < int64_t(cx + 1) * (cx + 1);
}

// Strictly inside the element, as the toggle and the sky mode strip test it.
bool IsWithin(const CElement* element, SPointHV point, int32_t foot = 0) {
  const SRect& rect = element->GetRect();
  return point.h > 0 && point.h < RectWidth(rect) && point.v > 0 && point.v < RectHeight(rect) - foot;
}

}  // namespace

// ---- hover

int32_t OnControlHover(CElement* element, SPointHV point) { return Hover(element, IsInsideElement(element, point)); }

int32_t OnSunControlHover(CElement* element, SPointHV point) {
  return Hover(element, IsInsideElement(element, point) && IsInBall(element, point));
}

int32_t OnPulseButtonHover(CElement* element, SPointHV point) {
  CSkyFogPalette* palette = Palette();
  if (!palette || !element) return kNoErr;
  CGlowTracker& tracker = palette->GetTracker();
  const bool entering = IsInsideElement(element, point) && tracker.GetHotButton() != element;
  const bool hot = tracker.GetHotButton() == element;
  const int32_t answer = HoverGlowButton(tracker, element, point, kGlowEntry);
  if (entering) SetHoverCursor(element);
  else if (hot && answer != kHandled && element->GetUserWord(kCursorWord)) SetAppCursor(0, false);
  return answer;
}

int32_t OnPlopupHover(CElement* element, SPointHV point) {
  CSkyFogPalette* palette = Palette();
  return palette && HoverTab(palette->GetTracker(), element, point) ? kHandled : kNoErr;
}

int32_t OnTabTextHover(CElement* element, SPointHV point) {
  if (CSkyFogPalette* palette = Palette()) HoverTab(palette->GetTracker(), element, point);
  return kNoErr;
}

// ---- presses

int32_t OnPlopupPress(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  return PressHighlighted(element, handled);
}

int32_t OnTabTextPress(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  return PressOnRelease(element, handled);
}

int32_t OnMenuPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event) {
  return UIHostPostElementMessage(element, handled, point, event);
}

int32_t OnValueDrag(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  int32_t CSkyParams::*field = nullptr;
  for (const SValueStrip& strip : kValueStrips) {
    if (element->GetName() && std::strcmp(element->GetName(), strip.need->name) == 0) field = strip.field;
  }
  if (!field) return kErrGeneric;
  *handled = element;
  CSkyParams params = GetSkyEditState();
  int32_t value = params.*field;
  const int32_t count = int32_t(EntryCount(element));
  int32_t lastX = point.h;
  while (IsStillDown()) {
    const SPointHV now = PointerIn(element);
    if (now.h != lastX) {
      value = std::clamp(value + now.h - lastX, 0, 100);
      lastX = now.h;
      ShowEntry(element, uint32_t(StripPicture(value, count)));
    }
    ShowReadout(value);
    Poll();
  }
  params = GetSkyEditState();
  params.*field = value;
  StoreSkyEditState(params);
  ResetPulse();
  return Post(element, kChanging);
}

int32_t OnFogDrag(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  const int32_t count = int32_t(EntryCount(element));
  SPointHV last = point;
  while (IsStillDown()) {
    const SPointHV now = PointerIn(element);
    CSkyParams params = GetSkyEditState();
    if (now != last) {
      params.fogIntensity = std::clamp(params.fogIntensity + now.h - last.h, 0, 100);
      params.fogHeight = std::clamp(params.fogHeight - (now.v - last.v), 0, 100);
      StoreSkyEditState(params);
      last = now;
      ShowEntry(element, uint32_t(FogPicture(params.fogIntensity, params.fogHeight, count)));
    }
    ShowReadout(params.fogIntensity, params.fogHeight);
    Poll();
  }
  ResetPulse();
  return Post(element, kChanging);
}

int32_t OnSkyModePress(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  const int32_t count = int32_t(EntryCount(element));
  const int32_t last = count - 1;
  if (!IsWithin(element, point, kSkyModeFoot) || last <= 0) return kNoErr;
  *handled = element;
  const int32_t current = int32_t(SkyModeIndex(GetSkyEditState().skyMode));
  int32_t position = current * (100 / last);
  int32_t state = current;
  int32_t lastX = point.h;
  bool dragged = false;
  while (IsStillDown()) {
    SetAppCursor(CSkyFogPalette::kSideCursor, false);
    const SPointHV now = PointerIn(element);
    if (now.h != lastX) {
      position = std::clamp(position + now.h - lastX, 0, 100);
      lastX = now.h;
      state = StripPicture(position, count);
      ShowEntry(element, uint32_t(state));
      dragged = true;
    }
    Poll();
  }
  SetAppCursor(0, false);
  if (!dragged) {
    state = (current + 1) % count;
    ShowEntry(element, uint32_t(state));
  }
  if (state < 4) {
    CSkyParams params = GetSkyEditState();
    params.skyMode = kSkyModes[state];
    StoreSkyEditState(params);
  }
  ResetPulse();
  return Post(element, kChanging);
}

int32_t OnProfilePress(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  if (IsDoubleClick(element)) {
    CUIMessage message;
    message.Init(0, kEditSkyFogMessage, element->GetWindowName(), element->GetCanvasName(), CUIMessage::kBroadcast);
    return element->SendMessageUp(&message, element);
  }
  ResetPulse();
  return Post(element, kChanging, point);
}

int32_t OnSunMoonPress(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  const uint32_t before = SelectedEntry(element);
  const uint32_t other = before ? 0 : 1;
  ShowEntry(element, other);
  CTimer().WaitTicks(kSunMoonWaitTicks);
  uint32_t shown = other;
  while (IsStillDown()) {
    SetAppCursor(0, false);
    const uint32_t wanted = IsWithin(element, PointerIn(element)) ? other : before;
    if (wanted != shown) ShowEntry(element, shown = wanted);
    Poll();
  }
  *handled = element;
  return shown == other ? Post(element, 0) : kNoErr;
}

int32_t OnSkyDotPress(CElement* element, CElement** handled, SPointHV, SWinEvent*) {
  CSkyFogPalette* palette = Palette();
  CAppl* app = GetApplication();
  if (!palette || !app) return kNoErr;
  const uint32_t number = element->GetUserWord(kDotNumberWord);
  CImElement* dot = AsImage(element);
  const bool alt = app->IsAltDown();
  if (alt) {
    if (number == 0) {
      Beep();
      return kNoErr;
    }
    ShowEntry(element, kDotEmpty);
    if (palette->GetSelectedDot() == dot) palette->SetSelectedDot(nullptr);
  } else {
    ShowEntry(element, kDotSelected);
    if (CImElement* previous = palette->GetSelectedDot()) ShowEntry(previous, kDotHolds);
    palette->SetSelectedDot(dot);
  }
  *handled = element;
  CUIMessage message;
  message.InitFromElement(0, element, 0);
  message.SetPayloadWord(0, int32_t(number));
  message.SetPayloadWord(1, alt ? 1 : 0);
  return element->SendMessageUp(&message, element);
}

int32_t OnSkyModeSwatchPress(CElement* element, CElement** handled, SPointHV point, SWinEvent* event) {
  const SSkyFogSwatchPresses* presses = GetSkyFogSwatchPresses();
  CSkyFogPalette* palette = Palette();
  if (!palette || !presses || !presses->eyedropper) return kNoErr;
  palette->SetSkyModeSwatchPress(point);
  return presses->eyedropper(element, handled, point, event);
}

int32_t OnSunControlDraw(CElement* element, uint32_t pass, CImage* port) {
  CSkyFogPalette* palette = Palette();
  CImElement* control = AsImage(element);
  CImage* picture = control ? control->GetImage() : nullptr;
  if (!palette || palette->IsDrawingSun() || pass != 0 || !picture || !port || picture->GetWidth() < 2) return kNoErr;
  SRect local;
  element->GetLocalRect(&local);
  {
    // The palette's background under the ball, which the pixels outside it keep.
    CSgStSaver placed(picture, local.left, local.top, true);
    picture->CopyFrom(port);
  }
  palette->DrawSunControl(false);
  return kNoErr;
}

}  // namespace sky_fog_controls

// ---- the palette's drags and hover watch

int32_t CSkyFogPalette::DragCloudProfile(SPointHV point) {
  CImElement* element = GetCloudProfile();
  if (!element) return kNoErr;
  SPointHV last = point;
  while (sky_fog_controls::IsStillDown()) {
    const SPointHV now = sky_fog_controls::PointerIn(element);
    CSkyParams params = GetSkyEditState();
    if (now != last) {
      params.cloudScale = std::clamp(params.cloudScale + now.h - last.h, 0, 200);
      params.cloudAmplitude = std::clamp(params.cloudAmplitude - 2 * (now.v - last.v), -500, 500);
      StoreSkyEditState(params);
      last = now;
      DrawCloudProfile(params.cloudScale, params.cloudAmplitude);
    }
    sky_fog_controls::ShowReadout(params.cloudScale, params.cloudAmplitude);
    sky_fog_controls::Poll();
  }
  sky_fog_controls::ResetPulse();
  ApplySky(false, true, true);
  return kNoErr;
}

// Relative and unbounded by the screen: the pointer is hidden and taken back to the press point.
int32_t CSkyFogPalette::DragSunControl(SPointHV point) {
  CImElement* element = GetSunControl();
  CAppl* app = GetApplication();
  if (!element || !app) return kNoErr;
  if (!sky_fog_controls::IsInBall(element, sky_fog_controls::PointerIn(element))) return kErrGeneric;
  SPointHV press;
  element->LocalToRootPoint(&press, point);
  CSkyParams params = GetSkyEditState();
  MapSunControlPoint(&params.sunPointX, &params.sunPointY, &params.sunDirection, true);
  StoreSkyEditState(params);
  int32_t x = params.sunPointX;
  int32_t y = params.sunPointY;
  CPointerSteps steps({press.h, press.v});
  app->HideCursor();
  while (app->IsStillDown()) {
    const platform::SPoint step = steps.Next();
    if (step.x != 0 || step.y != 0) {
      x = std::clamp(x + step.x, -sky_fog_controls::kSunPointLimit, sky_fog_controls::kSunPointLimit);
      y = std::clamp(y - step.y, -sky_fog_controls::kSunPointLimit, sky_fog_controls::kSunPointLimit);
      params = GetSkyEditState();
      MapSunControlPoint(&x, &y, &params.sunDirection, false);
      params.sunPointX = x;
      params.sunPointY = y;
      StoreSkyEditState(params);
      DrawSunBallAt(x, y, true);
    }
    sky_fog_controls::Poll();
  }
  steps.Home();
  app->ShowCursor();
  sky_fog_controls::ResetPulse();
  ApplySky(false, true, true);
  return kNoErr;
}

int32_t CSkyFogPalette::SendHelpLine(const char* first, const char* second) {
  CUICmFunction* owner = GetOwner();
  if (!owner) return kNoErr;
  std::snprintf(fHelpFirst, sizeof fHelpFirst, "%s", first ? first : "");
  std::snprintf(fHelpSecond, sizeof fHelpSecond, "%s", second ? second : "");
  CUIMessage message;
  message.Init(kTipMessageKind, fHelpFirst, fHelpSecond, nullptr, CUIMessage::kBroadcast);
  return owner->Dispatch(&message);
}

void CSkyFogPalette::SkyModeSwatchHelp(SPointHV point, uint32_t* first, uint32_t* second) const {
  const uint32_t mode = GetSkyEditState().skyMode;
  *first = 0;
  *second = 1;
  CImElement* swatch = GetSwatch(0);
  if (mode == FourCC("aoff")) {
    *first = 4;
    *second = 5;
  } else if (mode == FourCC("cust") && swatch) {
    const SRect& rect = swatch->GetRect();
    const int32_t t1 = RectWidth(rect) / 3;
    const int32_t t2 = 2 * RectWidth(rect) / 3;
    const bool down = point.v > 0 && point.v < RectHeight(rect);
    *second = down && point.h > 0 && point.h < t1 ? 1 : down && point.h > t1 && point.h < t2 ? 2 : 3;
  }
}

int32_t CSkyFogPalette::HoverTick(void* palette, void* record, void*) {
  if (palette) static_cast<CSkyFogPalette*>(palette)->HoverTick(record);
  return kNoErr;
}

void CSkyFogPalette::HoverTick(const void* record) {
  CAppl* app = GetApplication();
  if (!app || !IsPaletteWatchDue(*this, record, &fLastHover, 0)) return;
  const platform::SPoint cursor = app->GetCursorPos();
  CElement* before = fTracker.GetHotButton();
  if (!IsPointerOverPalette(*this, cursor)) {
    if (!before) return;
    fTracker.DropHot();
    SetAppCursor(0, true);
    PostPaletteTip(*this, nullptr);
    return;
  }
  if (app->IsKeyDown(kPaletteSpaceKey)) {
    fTracker.DropHot();
    SetAppCursor(kPaletteSpaceCursor, true);
    return;
  }
  if (!before) SetAppCursor(0, true);
  HoverPaletteAt(*this, cursor);
  CElement* hot = fTracker.GetHotButton();
  CImElement* swatch = GetSwatch(0);
  if (hot == before && (!hot || hot != swatch)) return;
  if (!hot) {
    PostPaletteTip(*this, nullptr);
    return;
  }
  uint32_t first = 0;
  uint32_t second = 1;
  if (hot == swatch) {
    SPointHV local;
    swatch->RootToLocalPoint(&local, {cursor.x, cursor.y});
    SkyModeSwatchHelp(local, &first, &second);
    // Over the swatch the lines follow the pointer, and go again only when they change.
    const uint32_t help = first << 8 | second;
    if (hot == before && help == fSwatchHelp) return;
    fSwatchHelp = help;
  }
  PostPaletteTip(*this, hot->GetName(), first, second);
}
