#include "panels/color_picker.h"

#include <algorithm>
#include <cstring>

#include "framework/core/appl.h"
#include "framework/core/colour.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/image/ix_image.h"
#include "framework/image/sp_gradient.h"
#include "framework/ui/canvas.h"
#include "framework/ui/element.h"
#include "framework/ui/geometry.h"
#include "framework/ui/im_canvas.h"
#include "framework/ui/im_element.h"
#include "framework/ui/ui_host_canvas.h"
#include "framework/ui/ui_message.h"
#include "panels/layout_needs.h"
#include "panels/scene_edit.h"
#include "platform/clock.h"
#include "platform/window.h"

namespace {

constexpr uint32_t kEyedropperCursor = 119;
// A layout element the picker cannot do without is missing.
constexpr int32_t kMissingElement = kErrUnexpectedType;
constexpr uint32_t kArrowCursor = 0;
constexpr int32_t kPopUpGap = 2;
constexpr uint32_t kOpaque = 0xFF000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kAllBars = 7;
// The swatch messages: a live pick begins, a colour, the pick ends or the picker chose.
constexpr uint32_t kPickBegins = 1;
constexpr uint32_t kPickColour = 2;
constexpr uint32_t kPickEnds = 3;

CColorPicker* gPicker = nullptr;
// The eyedropper's pop-up picture, which every swatch shares; the picker makes it at its build.
CImCanvas* gPopUp = nullptr;
SNumericFields gFields{nullptr, 0, nullptr, SNumericFields::kIntegerValue, CUIMessage::kBroadcast};
using FieldCallbacks = TNumericFieldCallbacks<gFields>;

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

int32_t ToLevel(float channel) { return std::clamp(int32_t(channel * 255.0f), 0, 255); }

uint32_t Pack(int32_t r, int32_t g, int32_t b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

uint32_t PackFloat(float r, float g, float b) { return Pack(ToLevel(r), ToLevel(g), ToLevel(b)); }

uint32_t HsvColour(float hue, float saturation, float value) {
  float r = 0, g = 0, b = 0;
  HSVToRGB(hue, saturation, value, r, g, b);
  return PackFloat(r, g, b);
}

uint32_t HlsColour(float hue, float lightness, float saturation) {
  float r = 0, g = 0, b = 0;
  HLSToRGB(hue, lightness, saturation, r, g, b);
  return PackFloat(r, g, b);
}

std::unique_ptr<CSpGradient> NewGradient() {
  CAppl* app = GetApplication();
  if (!app || !app->GetDataEnv()) return nullptr;
  STableLayout layout;
  SSpoolTableSpec spec;
  MakeGradientSpec(layout, spec, app->GetDataEnv());
  std::unique_ptr<CSpGradient> gradient(new CSpGradient(layout, spec));
  return gradient->IsValid() ? std::move(gradient) : nullptr;
}

// A straight ramp from one colour to another over the range.
bool Ramp(CSpGradient* gradient, int32_t first, int32_t last, uint32_t from, uint32_t to) {
  return gradient->SetRange(first, last) && gradient->SetColorAt(from, first) && gradient->SetColorAt(to, last);
}

CImage* SwatchImage(CElement* swatch) {
  auto* image = dynamic_cast<CImElement*>(swatch);
  return image ? image->GetImage() : nullptr;
}

SPointHV CursorPoint(CAppl* app) {
  const platform::SPoint p = app->GetCursorPos();
  return {p.x, p.y};
}

void SendSwatchMessage(CElement* swatch, uint32_t kind, uint32_t colour, SPointHV point, uint32_t flags) {
  CUIMessage message;
  message.InitWithPoints(kind, swatch, point, {}, flags);
  message.SetPayloadWord(0, int32_t(colour));
  swatch->SendMessageUp(&message, swatch);
}

// The pop-up beside the swatch, shown on the first pass of the pick and hidden at its end.
class CPopUpShown {
 public:
  explicit CPopUpShown(CElement* swatch) {
    CAppl* app = GetApplication();
    if (!gPopUp || !app) return;
    SRect local, screen;
    swatch->GetLocalRect(&local);
    swatch->LocalToRootRect(&screen, local);
    const SRect& frame = gPopUp->GetFrame();
    const SRect place = PopUpPlace(screen, {RectWidth(frame), RectHeight(frame)}, app->GetScreenRect());
    gPopUp->MoveTo({place.left, place.top});
  }
  // Shown without taking the activation, which its hiding would hand to the main window, in front of
  // the dialogs.
  void Show() {
    if (!gPopUp || fShown) return;
    platform::SetWindowPos(gPopUp->GetWindow(), 0, 0, 0, 0, CCanvas::kShowFlags | platform::kSwpNoActivate);
    gPopUp->Redraw(nullptr);
    fShown = true;
  }
  ~CPopUpShown() {
    if (fShown) gPopUp->Hide();
  }

 private:
  bool fShown = false;
};

}  // namespace

// ---- swatches

uint32_t ScreenColourAt(SPointHV point) {
  int32_t err = kNoErr;
  std::unique_ptr<CImage> pixel(NewDataImage(1, 1, &err));
  if (!pixel || !pixel->Fill(0)) return 0;
  GrabScreenIntoImage(pixel.get(), point);
  CImNavigator cells(pixel.get(), nullptr, false, false);
  return cells.IsUsable() ? cells.Cells(0)[0].value & 0xFFFFFF : 0;
}

SRect PopUpPlace(const SRect& swatch, SPointHV size, const SRect& screen) {
  SRect place{swatch.bottom + kPopUpGap, swatch.left, swatch.bottom + kPopUpGap + size.v, swatch.left + size.h};
  if (place.bottom > screen.bottom) {
    place.bottom = swatch.top - kPopUpGap;
    place.top = place.bottom - size.v;
  }
  if (place.right > screen.right) {
    place.right = screen.right;
    place.left = place.right - size.h;
  }
  return place;
}

void FillSwatchImage(CImage* picture, uint32_t colour, int32_t fromColumn) {
  if (!picture) return;
  SRect area = picture->GetBounds();
  area.left = std::min(fromColumn, area.right);
  picture->SetClip(area);
  picture->Fill(kOpaque | (colour & 0xFFFFFF));
  picture->ClipToBounds();
}

int32_t OpenColorPickerForSwatch(CElement* swatch, SPointHV point) {
  CColorPicker* picker = gPicker;
  if (!picker || !swatch || picker->IsShown()) return kNoErr;
  uint32_t colour = swatch->GetUserWord(0);
  if (!colour) {
    SPointHV screen;
    swatch->LocalToRootPoint(&screen, point);
    colour = ScreenColourAt(screen);
  }
  if (const int32_t err = picker->BuildOnce()) return err;
  picker->OpenFor(colour, swatch, point);
  picker->Refresh(false);
  return kNoErr;
}

namespace {

struct SPick {
  uint32_t colour = 0;
  SPointHV at;  // on the screen
};

// The pick both eyedroppers make: the colour under the press, then under each new place of the pointer
// while the button is held (moved(pick) each time), with the eyedropper cursor and the pop-up shown
// meanwhile (started(pick) once it is up). The last colour and place.
template <typename Started, typename Moved>
SPick TrackPick(CAppl* app, CElement* swatch, SPointHV point, Started started, Moved moved) {
  SetAppCursor(kEyedropperCursor, true);
  SPick pick;
  swatch->LocalToRootPoint(&pick.at, point);
  pick.colour = ScreenColourAt(pick.at);
  {
    CPopUpShown popUp(swatch);
    started(pick);
    while (app->IsStillDown()) {
      popUp.Show();
      const SPointHV now = CursorPoint(app);
      if (now != pick.at) {
        pick = {ScreenColourAt(now), now};
        moved(pick);
      }
      platform::SleepMs(kPollMs);
    }
  }
  SetAppCursor(kArrowCursor, true);
  return pick;
}

}  // namespace

int32_t ColorSwatchEyedropperEx(CElement* swatch, CElement** handled, SPointHV point, SWinEvent*) {
  if (handled) *handled = swatch;
  CAppl* app = GetApplication();
  if (!swatch || !app) return kNoErr;
  if (app->IsAltDown()) return OpenColorPickerForSwatch(swatch, point);
  CImage* picture = SwatchImage(swatch);
  const int32_t half = picture ? int32_t(picture->GetWidth() / 2) : 0;
  const SPick pick = TrackPick(app, swatch, point, [](const SPick&) {}, [&](const SPick& now) {
    FillSwatchImage(picture, now.colour, half);
    swatch->Redraw();
  });
  FillSwatchImage(picture, pick.colour, 0);
  swatch->Redraw();
  SendSwatchMessage(swatch, kPickColour, pick.colour, {}, CUIMessage::kBroadcast);
  return kNoErr;
}

int32_t ColorSwatchEyedropper(CElement* swatch, CElement** handled, SPointHV point, SWinEvent*) {
  if (handled) *handled = swatch;
  CAppl* app = GetApplication();
  if (!swatch || !app) return kNoErr;
  if (app->IsAltDown()) return OpenColorPickerForSwatch(swatch, point);
  const auto send = [swatch](uint32_t kind, uint32_t flags) {
    return [swatch, kind, flags](const SPick& pick) { SendSwatchMessage(swatch, kind, pick.colour, pick.at, flags); };
  };
  const SPick pick = TrackPick(app, swatch, point, send(kPickBegins, 0), send(kPickColour, 0));
  send(kPickEnds, CUIMessage::kBroadcast)(pick);
  return kNoErr;
}

// ---- the picker

CColorPicker::CColorPicker(CUICmFunction* owner, CResourceEnv* environment)
    : CLayoutHostCanvas(owner, environment, kDialogStyle, need::kColorPicker) {
  gPicker = this;
  BuildIndicatorImage();
}

CColorPicker::~CColorPicker() {
  FreeBuilt();
  if (gPicker == this) gPicker = nullptr;
}

CColorPicker* CColorPicker::GetCurrent() { return gPicker; }

SNumericFields& CColorPicker::Fields() { return gFields; }

CTextEdit* CColorPicker::GetField(int32_t index) const {
  return index >= 0 && index < kBarCount ? GetElementWindow(fFieldElements[index]) : nullptr;
}

void CColorPicker::FreeBuilt() {
  for (int32_t i = 0; i < kBarCount; ++i) {
    if (fBars[i]) fBars[i]->SetImage(nullptr, false, false, true, false);
    fBars[i] = nullptr;
    fBarImages[i].reset();
    DetachField(fFieldElements[i]);
    fFieldElements[i] = nullptr;
  }
  if (fBox) fBox->SetImage(nullptr, false, false, true, false);
  fBox = nullptr;
  fBoxImage.reset();
  fFields.DeleteAll();
  gFields.current = nullptr;
  fCaller = nullptr;
  delete gPopUp;
  gPopUp = nullptr;
}

int32_t CColorPicker::MakeElementImage(CImElement** element, std::unique_ptr<CImage>& image, const char* name,
                                       ElPressCallback press) {
  CElement* found = nullptr;
  BindElementRef(name, &found, press, nullptr, nullptr);
  *element = dynamic_cast<CImElement*>(found);
  if (!*element) return kMissingElement;
  const SRect& rect = found->GetRect();
  int32_t err = kNoErr;
  image.reset(NewDataImage(uint32_t(RectWidth(rect)), uint32_t(RectHeight(rect)), &err));
  if (!image || !image->Fill(kOpaque | kWhite)) return kErrOutOfMemory;
  return (*element)->SetImage(image.get(), false, true, true, true);
}

int32_t CColorPicker::LoadPickerImage() {
  delete gPopUp;
  const CImVector colour{0};
  gPopUp = new CImCanvas(SRect{0, 0, 1, 1}, false, kDialogStyle, &colour, kPriority);
  if (!gPopUp->IsRegistered()) {
    delete gPopUp;
    gPopUp = nullptr;
    return kErrFailedCreation;
  }
  if (const int32_t err = gPopUp->SetImageByName(GetResourceEnvironment(), need::kPickerImage.name, false, false, true,
                                                 false))
    return err;
  CImage* picture = gPopUp->GetImage();
  if (picture) gPopUp->Resize({int32_t(picture->GetWidth()), int32_t(picture->GetHeight())}, false);
  return kNoErr;
}

int32_t CColorPicker::BuildControls(CResourceEnv* environment) {
  FreeBuilt();
  if (const int32_t err = CLayoutHostCanvas::BuildControls(environment)) return err;
  // Without its pop-up picture the eyedropper still picks from the screen.
  LoadPickerImage();
  CElement* info = nullptr;
  BindElementRef(need::kPickerBarInfo.name, &info, nullptr, nullptr, nullptr);
  fBarInfo = dynamic_cast<CImElement*>(info);
  if (const int32_t err = MakeElementImage(&fBox, fBoxImage, need::kPickerColorBox.name, &ColorSwatchEyedropperEx))
    return err;
  for (const SLayoutNeed& button : need::kPickerModelButtons) BindElement(button.name, &UIHostTrackButton, nullptr, nullptr);
  for (int32_t i = 0; i < kBarCount; ++i) {
    BindElementRef(need::kPickerBarTexts[i].name, &fFieldElements[i], &FieldCallbacks::Press, &FieldCallbacks::Hover,
                   &FieldCallbacks::Key);
    if (!fFieldElements[i]) return kMissingElement;
    if (const int32_t err =
            AddNumericField(fFields, GetWindow(), fFieldElements[i], kFieldCharacters, &FieldCallbacks::Key))
      return err;
    if (const int32_t err = MakeElementImage(&fBars[i], fBarImages[i], need::kPickerBarImages[i].name, &OnBarPress))
      return err;
  }
  gFields.current = fFieldElements[0];
  return kNoErr;
}

// ---- a choice

int32_t CColorPicker::OpenFor(uint32_t colour, CElement* caller, SPointHV pressPoint) {
  fStartingColour = colour & 0xFFFFFF;
  fCaller = caller;
  fPressPoint = pressPoint;
  fColour[0] = int32_t(fStartingColour >> 16);
  fColour[1] = int32_t(fStartingColour >> 8 & 0xFF);
  fColour[2] = int32_t(fStartingColour & 0xFF);
  // The box's left half keeps the starting colour for the whole choice.
  FillSwatchImage(fBoxImage.get(), fStartingColour, 0);
  if (fBox) fBox->Redraw();
  SetModel(fModel, true);
  gFields.current = fFieldElements[0];
  FocusField(GetElementWindow(gFields.current));
  return kNoErr;
}

uint32_t CColorPicker::GetColour() const { return Pack(fColour[0], fColour[1], fColour[2]); }

void CColorPicker::ComponentsOf(int32_t model, uint32_t colour, int32_t out[kBarCount]) {
  const int32_t rgb[3] = {int32_t(colour >> 16 & 0xFF), int32_t(colour >> 8 & 0xFF), int32_t(colour & 0xFF)};
  const float r = float(rgb[0]) * (1.0f / 255), g = float(rgb[1]) * (1.0f / 255), b = float(rgb[2]) * (1.0f / 255);
  float hue = 0, a = 0, c = 0;
  switch (model) {
    case kHSV:
      RGBToHSV(r, g, b, hue, c, a);
      // A red hue may come out as a whole turn; the bar starts at 0.
      out[0] = hue >= 360 ? 0 : int32_t(hue * 255 / 360);
      out[1] = ToLevel(a);
      out[2] = ToLevel(c);
      break;
    case kHLS:
      RGBToHLS(r, g, b, hue, a, c);
      out[0] = hue >= 1 ? 0 : int32_t(hue * 255);
      out[1] = ToLevel(a);
      out[2] = ToLevel(c);
      break;
    case kCMY:
      for (int i = 0; i < 3; ++i) out[i] = 255 - rgb[i];
      break;
    default:
      for (int i = 0; i < 3; ++i) out[i] = rgb[i];
      break;
  }
}

uint32_t CColorPicker::ColourOf(int32_t model, const int32_t c[kBarCount]) {
  switch (model) {
    case kHSV:
      // A grey keeps its hue 0, so that the hue bar of a grey leaves it grey.
      return HsvColour(c[2] ? float(c[0]) * 360 / 255 : 0, float(c[2]) / 255, float(c[1]) / 255);
    case kHLS: return HlsColour(float(c[0]) / 255, float(c[1]) / 255, float(c[2]) / 255);
    case kCMY: return Pack(255 - c[0], 255 - c[1], 255 - c[2]);
    default: return Pack(c[0], c[1], c[2]);
  }
}

void CColorPicker::SetModel(int32_t model, bool redraw) {
  ComponentsOf(model, GetColour(), fComponents);
  if (!redraw) return;
  DrawBars(kAllBars);
  ShowComponents(kAllBars);
}

void CColorPicker::ApplyComponents(int32_t model, bool redraw) {
  const uint32_t colour = ColourOf(model, fComponents);
  fColour[0] = int32_t(colour >> 16);
  fColour[1] = int32_t(colour >> 8 & 0xFF);
  fColour[2] = int32_t(colour & 0xFF);
  if (!redraw || !fBoxImage) return;
  FillSwatchImage(fBoxImage.get(), colour, int32_t(fBoxImage->GetWidth() / 2));
  if (fBox) fBox->Redraw();
}

void CColorPicker::ShowComponents(uint32_t mask) {
  for (int32_t i = 0; i < kBarCount; ++i) {
    if (!(mask & (1u << i))) continue;
    CTextEdit* field = GetField(i);
    WriteFieldValue(field, fComponents[i]);
    if (field) field->Redraw();
  }
}

bool CColorPicker::PaintHueGradient(CSpGradient* gradient) {
  struct SKey {
    int32_t at;
    uint32_t colour;
  };
  static constexpr SKey kKeys[] = {{0, 0xFF0000},   {85, 0xFFFF00},  {170, 0x00FF00}, {256, 0x00FFFF},
                                   {341, 0x0000FF}, {426, 0xFF00FF}, {512, 0xFF0000}};
  for (size_t i = 0; i + 1 < std::size(kKeys); ++i) {
    if (!Ramp(gradient, kKeys[i].at, kKeys[i + 1].at, kOpaque | kKeys[i].colour, kOpaque | kKeys[i + 1].colour))
      return false;
  }
  return gradient->SetRange(0, CSpGradient::kLastEntry);
}

bool CColorPicker::PaintBarGradient(CSpGradient* gradient, int32_t bar) {
  const int32_t r = fColour[0], g = fColour[1], b = fColour[2];
  const int32_t* c = fComponents;
  const float hue = float(c[0]) * 360 / 255;
  uint32_t from = 0, to = 0;
  switch (fModel) {
    case kHSV:
    case kHLS:
      if (bar == 0) return PaintHueGradient(gradient);
      if (fModel == kHSV) {
        from = bar == 1 ? 0 : Pack(c[1], c[1], c[1]);
        to = bar == 1 ? HsvColour(hue, float(c[2]) / 255, 1) : HsvColour(hue, 1, float(c[1]) / 255);
      } else {
        from = bar == 1 ? 0 : Pack(c[1], c[1], c[1]);
        to = bar == 1 ? kWhite : HlsColour(float(c[0]) / 255, float(c[1]) / 255, 1);
      }
      break;
    case kCMY:
      from = Pack(bar == 0 ? 255 : r, bar == 1 ? 255 : g, bar == 2 ? 255 : b);
      to = Pack(bar == 0 ? 0 : r, bar == 1 ? 0 : g, bar == 2 ? 0 : b);
      break;
    default:
      from = Pack(bar == 0 ? 0 : r, bar == 1 ? 0 : g, bar == 2 ? 0 : b);
      to = Pack(bar == 0 ? 255 : r, bar == 1 ? 255 : g, bar == 2 ? 255 : b);
      break;
  }
  return Ramp(gradient, 0, CSpGradient::kLastEntry, kOpaque | from, kOpaque | to);
}

void CColorPicker::DrawBars(uint32_t mask) {
  std::unique_ptr<CSpGradient> gradient = NewGradient();
  if (!gradient) return;
  for (int32_t i = 0; i < kBarCount; ++i) {
    if (!(mask & (1u << i)) || !fBarImages[i]) continue;
    if (PaintBarGradient(gradient.get(), i)) gradient->DrawIntoImage(fBarImages[i].get());
  }
  DrawIndicators();
}

int32_t CColorPicker::BuildIndicatorImage() {
  std::unique_ptr<CSpGradient> gradient = NewGradient();
  int32_t err = kNoErr;
  std::unique_ptr<CImage> image(NewDataImage(kIndicatorWidth, kIndicatorHeight, &err));
  if (!gradient || !image) return kErrOutOfMemory;
  // A white mark with dark edges, its alpha in the top byte.
  const bool painted = Ramp(gradient.get(), 0, CSpGradient::kLastEntry, 0xFFFFFFFF, 0xFFFFFFFF) &&
                       Ramp(gradient.get(), 0, 51, 0x00000000, 0xFF000000) &&
                       Ramp(gradient.get(), 256, 307, 0xFF000000, 0x7F000000) &&
                       Ramp(gradient.get(), 307, 512, 0x7F000000, 0x00000000) && gradient->DrawIntoImage(image.get());
  if (!painted) return kErrOutOfMemory;
  image->SetOrigin(-2, 0);
  fIndicator = std::move(image);
  return kNoErr;
}

void CColorPicker::DrawIndicators() {
  if (!fIndicator && BuildIndicatorImage()) return;
  for (int32_t i = 0; i < kBarCount; ++i) {
    CImage* bar = fBarImages[i].get();
    if (!bar) continue;
    bar->SetOrigin(-fComponents[i], 0);
    bar->CompositeFrom(fIndicator.get());
    bar->SetOrigin(0, 0);
    if (fBars[i]) fBars[i]->Redraw();
  }
}

// ---- messages

int32_t CColorPicker::OnBarPress(CElement* bar, CElement** handled, SPointHV point, SWinEvent*) {
  if (handled) *handled = bar;
  CAppl* app = GetApplication();
  int32_t last = point.h;
  while (app && app->IsStillDown()) {
    SPointHV local;
    bar->RootToLocalPoint(&local, CursorPoint(app));
    if (local.h != last) {
      last = local.h;
      CUIMessage message;
      message.InitFromElement(kPickColour, bar, 0);
      message.SetPayloadWord(0, std::clamp(local.h, 0, 255));
      bar->SendMessageUp(&message, bar);
    }
    platform::SleepMs(kPollMs);
  }
  return kNoErr;
}

void CColorPicker::OnFieldValue(int32_t index, int32_t value) {
  const int32_t clamped = std::clamp(value, 0, 255);
  fComponents[index] = clamped;
  if (clamped != value) ShowComponents(1u << index);
  DrawBars(kAllBars);
  ApplyComponents(fModel, true);
}

void CColorPicker::ReturnColour() {
  if (!fCaller) return;
  SendSwatchMessage(fCaller, kPickEnds, GetColour(), fPressPoint, 0);
}

bool CColorPicker::Activate() {
  CLayoutHostCanvas::Activate();
  FocusCurrentField(gFields);
  return true;
}

int32_t CColorPicker::HandleEvent(CUIMessage* message) {
  if (!message) return kNoErr;
  const char* element = message->elementName;
  const bool own = Same(message->canvasName, need::kColorPicker.canvas.name);
  if (message->kind == 0 && !own && Same(element, need::kColorPicker.canvas.name)) {
    if (IsShown()) BringForward();
    else Refresh(false);
    return kHandled;
  }
  if (!own || !IsShown()) return CLayoutHostCanvas::HandleEvent(message);
  const int32_t value = message->GetPayloadWord(0);
  if (message->kind == 0) {
    for (int32_t model = 0; model < kModelCount; ++model) {
      if (!Same(element, need::kPickerModelButtons[model].name)) continue;
      fModel = model;
      SetModel(model, true);
      if (fBarInfo) fBarInfo->SelectEntry(uint32_t(model), false, false, true);
      return kHandled;
    }
    if (Same(message->windowName, kFieldWindowName)) {
      for (int32_t i = 0; i < kBarCount; ++i) {
        if (!Same(element, need::kPickerBarTexts[i].name)) continue;
        OnFieldValue(i, value);
        return kHandled;
      }
    }
    if (Same(element, need::kColorPicker.cancel.name)) {
      Close();
      return kHandled;
    }
    if (Same(element, need::kColorPicker.ok.name)) {
      Close();
      ReturnColour();
      return kHandled;
    }
  } else if (message->kind == kPickColour) {
    if (Same(element, need::kPickerColorBox.name)) {
      FillSwatchImage(fBoxImage.get(), fStartingColour, 0);
      if (fBoxImage) FillSwatchImage(fBoxImage.get(), uint32_t(value), int32_t(fBoxImage->GetWidth() / 2));
      if (fBox) fBox->Redraw();
      fColour[0] = value >> 16 & 0xFF;
      fColour[1] = value >> 8 & 0xFF;
      fColour[2] = value & 0xFF;
      SetModel(fModel, true);
    }
    for (int32_t i = 0; i < kBarCount; ++i) {
      if (!Same(element, need::kPickerBarImages[i].name)) continue;
      fComponents[i] = std::clamp(value, 0, 255);
      ShowComponents(1u << i);
      DrawBars(kAllBars);
      ApplyComponents(fModel, true);
    }
  }
  return CLayoutHostCanvas::HandleEvent(message);
}
