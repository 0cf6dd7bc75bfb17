// The composer's own controls as the pointer drives them: the material grid, the value and frequency
// sliders, the frequency ball, the numbers dragged sideways; how the colour swatches and the preview
// paint; and the one place where the controls are stored into the working material and the one
// where they are read back from it.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "editing/material_action.h"
#include "editors/material/layout_needs.h"
#include "editors/material/material_composer.h"
#include "framework/core/appl.h"
#include "framework/core/handle_table.h"
#include "framework/core/holder.h"
#include "framework/core/result_codes.h"
#include "framework/image/image.h"
#include "framework/image/ix_image.h"
#include "framework/ui/canvas.h"
#include "framework/ui/im_element.h"
#include "framework/ui/tx_element.h"
#include "framework/ui/ui_message.h"
#include "panels/text_edit_popup.h"
#include "platform/clock.h"
#include "render/preview_scene.h"
#include "scene/surface/base_texture.h"
#include "scene/surface/material.h"

namespace {

constexpr int64_t kPollMs = 5;
constexpr int32_t kFrequencyMax = CMaterialComposer::kFrequencyLevels;
constexpr int32_t kNumberMax = CMaterialComposer::kValueLevels;
constexpr int32_t kBallStep = 8;
// The bump slider goes on past its width through a zone of 0 down to −255.
constexpr int32_t kBumpZeroZone = 30;
constexpr uint32_t kOpaque = 0xFF000000;
constexpr uint32_t kSpecFrame = 0x1E1E1E;
constexpr uint32_t kImageTag = CMaterialComposer::kImageHandleTag;
constexpr double kMetallicityFactor = 0.8;
constexpr double kRefractionScale = 0.01;
constexpr uint32_t kMirrored = 0x1;
// A stored value a refresh reads back as the level the store wrote: k/255, k/99 or k × 0.01 can come
// back a hair under k.
constexpr double kLevelSlack = 1e-4;

CAppl* App() { return GetApplication(); }

CMaterialComposer* Composer() { return CMaterialComposer::GetCurrent(); }

int32_t Word(const CElement* element) { return element ? int32_t(element->GetUserWord(0)) : 0; }

SPointHV Pointer() {
  CAppl* app = App();
  const platform::SPoint p = app ? app->GetCursorPos() : platform::SPoint{};
  return {p.x, p.y};
}

SPointHV ToLocal(CElement* element, SPointHV screen) {
  SPointHV local;
  element->RootToLocalPoint(&local, screen);
  return local;
}

SPointHV ToScreen(CElement* element, SPointHV local) {
  SPointHV screen;
  element->LocalToRootPoint(&screen, local);
  return screen;
}

bool Contains(const SRect& rect, SPointHV p) {
  return p.h >= rect.left && p.h < rect.right && p.v >= rect.top && p.v < rect.bottom;
}

bool IsPopupOpen() {
  CTextEditPopup* popup = CTextEditPopup::GetCurrent();
  return popup && popup->IsShown();
}

// A value message of the element: the value in both words of the first point, unless both points
// are given.
int32_t SendValue(CElement* element, uint32_t kind, int32_t value) {
  CUIMessage message;
  message.InitWithPoints(kind, element, {value, value}, {0, 0}, 0);
  return element->SendMessageUp(&message, element);
}

// Calls step with each new pointer position (on the screen) while the button is held.
template <typename Step>
void WhileHeld(SPointHV from, Step step) {
  CAppl* app = App();
  SPointHV last = from;
  while (app && app->IsStillDown()) {
    const SPointHV now = Pointer();
    if (now == last) {
      platform::SleepMs(kPollMs);
      continue;
    }
    step(now, last);
    last = now;
  }
}

// A change of the sample object's material, recorded before it is made; none when it cannot be.
std::unique_ptr<CMaterialAction> StartRecord() {
  CMaterialComposer* self = Composer();
  C3dObject* sample = self && self->GetPreview() ? self->GetPreview()->GetSample() : nullptr;
  if (!sample) return nullptr;
  auto action = std::make_unique<CMaterialAction>();
  if (!action->IsValid() || action->AddObject(sample, true)) return nullptr;
  return action;
}

void PushRecord(std::unique_ptr<CMaterialAction> action) {
  CMaterialComposer* self = Composer();
  if (self && action) self->GetUndo().Push(action.release());
}

void RedrawNow(CElement* element) {
  element->Redraw();
  if (CMaterialComposer* self = Composer()) self->UpdateNow();
}

// The level a stored fraction reads back as.
int32_t Level(double value) { return int32_t(std::trunc(value + (value < 0 ? -kLevelSlack : kLevelSlack))); }

uint32_t Byte(double value) { return uint32_t(std::clamp(Level(value), 0, 255)); }

uint32_t ColourOf(const vector3<float>& colour) {
  return Byte(double(colour.x) * 255) << 16 | Byte(double(colour.y) * 255) << 8 | Byte(double(colour.z) * 255);
}

// The sample is packed: its doubles are set as members, never through their addresses.
void SetChannelValue(SMaterialSample& s, int channel, double value) {
  switch (channel) {
    case 0: s.diffusion = value; break;
    case 1: s.ambience = value; break;
    case 2: s.specularity = value; break;
    case 3: s.transparency = value; break;
    case 4: s.reflection = value; break;
    default: s.bump = value; break;
  }
}

void SetColourChannel(SMaterialSample& s, int index, const vector3<float>& colour) {
  switch (index) {
    case 0: s.diffuseColour = colour; break;
    case 1: s.ambientColour = colour; break;
    case 2: s.specularColour = colour; break;
    default: s.transparentColour = colour; break;
  }
}

vector3<float> FloatsOf(uint32_t colour) {
  return {float((colour >> 16) & 0xFF) * kByteScale, float((colour >> 8) & 0xFF) * kByteScale,
          float(colour & 0xFF) * kByteScale};
}

}  // namespace

// ---- presses

int32_t CMaterialComposer::SendPress(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  const SPointHV screen = ToScreen(element, point);
  CUIMessage message;
  message.InitWithPoints(0, element, screen, screen, 0);
  return element->SendMessageUp(&message, element);
}

// ---- the material grid

void CMaterialComposer::SelectGridCells(int cell, bool mix, bool redraw) {
  const int row = cell / kGridColumns, column = cell % kGridColumns;
  for (int col = 0; col < kGridColumns; ++col) {
    bool on = col == column;
    if (mix && column == 3) on = col >= 1 && col <= 3;
    else if (mix && (column == 1 || column == 2)) on = col == 1 || col == 2;
    SwitchCell(GridCell(row * kGridColumns + col), on, redraw);
  }
}

int32_t CMaterialComposer::TrackGrid(CElement* grid, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = grid;
  CMaterialComposer* self = Composer();
  if (!self) return kNoErr;
  CAppl* app = App();
  int last = -1;
  bool entered = false;
  const auto enter = [&](SPointHV local) {
    for (int i = 0; i < kChannelCount * kGridColumns; ++i) {
      CElement* cell = self->GridCell(i);
      if (!cell || !Contains(cell->GetRect(), local)) continue;
      if (i != last) {
        self->SelectGridCells(i, app && app->IsControlDown(), true);
        self->UpdateNow();
        last = i;
        entered = true;
      }
      return;
    }
  };
  enter(point);
  WhileHeld(ToScreen(grid, point), [&](SPointHV now, SPointHV) { enter(ToLocal(grid, now)); });
  if (entered) self->RecordUndoStep();
  CUIMessage message;
  message.InitFromElement(0, grid, 0);
  return grid->SendMessageUp(&message, grid);
}

// ---- the frequency controls

int32_t CMaterialComposer::TrackFrequencyBall(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  auto* ball = dynamic_cast<CImElement*>(element);
  CIxImage* states = ball ? ball->GetImageList() : nullptr;
  const uint32_t count = states ? states->Count() : 0;
  SendValue(element, 1, 0);
  std::unique_ptr<CMaterialAction> action = StartRecord();
  int32_t travel = 0;
  bool stepped = false;
  WhileHeld(ToScreen(element, point), [&](SPointHV now, SPointHV last) {
    const int32_t dx = now.h - last.h;
    if (dx == 0) return;
    CUIMessage message;
    message.InitWithPoints(2, element, {dx, dx}, {dx, dx}, 0);
    element->SendMessageUp(&message, element);
    travel += dx;
    if (travel <= kBallStep && travel >= -kBallStep) return;
    const int32_t state = int32_t(states ? states->Selected() : 0) + (travel > 0 ? 1 : -1);
    travel = 0;
    stepped = true;
    if (ball && state >= 0 && state < int32_t(count)) {
      ball->SelectEntry(uint32_t(state), false, false, true);
      if (CMaterialComposer* self = Composer()) self->UpdateNow();
    }
  });
  if (stepped) PushRecord(std::move(action));
  SendValue(element, 3, 0);
  if (ball && count) ball->SelectEntry(count / 2, false, false, true);
  return kNoErr;
}

int32_t CMaterialComposer::TrackFrequencySlider(CElement* slider, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = slider;
  CAppl* app = App();
  if (app) app->HideCursor();
  const SPointHV start = ToScreen(slider, point);
  std::unique_ptr<CMaterialAction> action = StartRecord();
  int32_t value = std::clamp(Word(slider), 0, kFrequencyMax);
  SendValue(slider, 1, value);
  bool changed = false;
  WhileHeld(start, [&](SPointHV now, SPointHV last) {
    const int32_t next = std::clamp(value - (now.v - last.v), 0, kFrequencyMax);
    if (next == value) return;
    value = next;
    changed = true;
    slider->SetUserWord(0, uint32_t(value));
    RedrawNow(slider);
    SendValue(slider, 2, value);
  });
  if (changed) PushRecord(action ? std::move(action) : StartRecord());
  SetCursorPosition(start.h, start.v);
  SendValue(slider, 3, value);
  if (app) app->ShowCursor();
  return kNoErr;
}

int32_t CMaterialComposer::PressFrequencyValues(CElement*, CElement** handled, SPointHV point, SWinEvent* event) {
  CMaterialComposer* self = Composer();
  if (!self || IsPopupOpen()) return kNoErr;
  for (int k = 0; k < kComponentCount; ++k) {
    CTxElement* text = self->fFrequencyTexts[k];
    if (!text) continue;
    const SRect& r = text->GetRect();
    if (point.h <= r.left || point.h >= r.right || point.v <= r.top || point.v >= r.bottom) continue;
    SPointHV local;
    text->ParentToLocalPoint(&local, point);
    return text->RunPressCallback(handled, local, event);
  }
  return kNoErr;
}

// ---- the value sliders

int32_t CMaterialComposer::ValueSliderValue(int32_t x, int32_t width, bool bump) {
  if (width <= 0) return 0;
  // x × 255 / w is exact for whole pixels, where x × (255 / w) can fall a hair short of a level.
  const auto value = [width](int32_t along) { return int32_t(std::trunc(255 - double(along) * 255 / width)); };
  x = std::clamp(x, 0, bump ? 2 * width + kBumpZeroZone : width);
  if (x <= width) return value(x);
  if (x < width + kBumpZeroZone) return 0;
  return value(x - kBumpZeroZone);
}

// Tracks while the pointer stays within the slider's height; the first pass runs whenever the press
// lies inside.
int32_t CMaterialComposer::TrackValueSlider(CElement* slider, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = slider;
  CMaterialComposer* self = Composer();
  const SRect& rect = slider->GetRect();
  const int32_t width = RectWidth(rect), height = RectHeight(rect);
  if (width <= 0) return kNoErr;
  const bool bump = self && slider == self->fValueSliders[kValueChannelCount - 1];
  CAppl* app = App();
  SPointHV at = point;
  SPointHV screen = ToScreen(slider, point);
  for (bool first = true; at.v >= 0 && at.v <= height; first = false) {
    if (!first && !(app && app->IsStillDown())) break;
    const int32_t value = ValueSliderValue(at.h, width, bump);
    if (value != Word(slider)) {
      slider->SetUserWord(0, uint32_t(value));
      RedrawNow(slider);
      SendValue(slider, 2, value);
    }
    SPointHV now = Pointer();
    while (now == screen && app && app->IsStillDown()) {
      platform::SleepMs(kPollMs);
      now = Pointer();
    }
    screen = now;
    at = ToLocal(slider, now);
  }
  return kNoErr;
}

// A stroke across the six sliders sets each switched-on one under the pointer, as one undo step.
int32_t CMaterialComposer::TrackChannelValues(CElement* group, CElement** handled, SPointHV point, SWinEvent* event) {
  CMaterialComposer* self = Composer();
  if (!self || IsPopupOpen()) return kNoErr;
  *handled = group;
  CAppl* app = App();
  std::unique_ptr<CMaterialAction> action = StartRecord();
  SPointHV screen = ToScreen(group, point);
  for (bool first = true; first || (app && app->IsStillDown()); first = false) {
    for (CImElement* slider : self->fValueSliders) {
      if (!slider || !IsSwitchedOn(slider)) continue;
      CElement* taken = nullptr;
      TrackValueSlider(slider, &taken, ToLocal(slider, screen), event);
    }
    SPointHV now = Pointer();
    while (now == screen && app && app->IsStillDown()) {
      platform::SleepMs(kPollMs);
      now = Pointer();
    }
    screen = now;
  }
  PushRecord(std::move(action));
  return kNoErr;
}

// A number dragged sideways, 0 to 255; these drags leave no undo step.
int32_t CMaterialComposer::TrackNumberText(CElement* text, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = text;
  CAppl* app = App();
  if (app) app->HideCursor();
  const SPointHV start = ToScreen(text, point);
  int32_t value = std::clamp(Word(text), 0, kNumberMax);
  WhileHeld(start, [&](SPointHV now, SPointHV last) {
    const int32_t next = std::clamp(value + (now.h - last.h), 0, kNumberMax);
    if (next == value) return;
    value = next;
    text->SetUserWord(0, uint32_t(value));
    SendValue(text, 2, value);
  });
  SetCursorPosition(start.h, start.v);
  if (app) app->ShowCursor();
  return kNoErr;
}

// ---- painting

int32_t CMaterialComposer::PaintColorMarker(CElement* element, uint32_t pass, CImage*) {
  auto* marker = dynamic_cast<CImElement*>(element);
  CImage* picture = marker ? marker->GetImage() : nullptr;
  if (!picture || pass != marker->GetImageLayer()) return kNoErr;
  const uint32_t colour = element->GetUserWord(0) & 0xFFFFFF;
  CImNavigator pixels(picture, nullptr, true, false);
  if (!pixels.IsUsable()) return kNoErr;
  for (uint32_t y = 0; y < picture->GetHeight(); ++y) {
    CImVector* row = pixels.Cells(y);
    for (uint32_t x = 0; x < picture->GetWidth(); ++x) {
      if (row[x].Alpha() == 0xFF) row[x].value = kOpaque | colour;
    }
  }
  return kNoErr;
}

int32_t CMaterialComposer::PaintSpecColor(CElement* element, uint32_t pass, CImage*) {
  auto* swatch = dynamic_cast<CImElement*>(element);
  CImage* picture = swatch ? swatch->GetImage() : nullptr;
  if (!picture || pass != swatch->GetImageLayer()) return kNoErr;
  const uint32_t colour = element->GetUserWord(0) & 0xFFFFFF;
  const uint32_t w = picture->GetWidth(), h = picture->GetHeight();
  CImNavigator pixels(picture, nullptr, true, false);
  if (!pixels.IsUsable()) return kNoErr;
  for (uint32_t y = 0; y < h; ++y) {
    CImVector* row = pixels.Cells(y);
    for (uint32_t x = 0; x < w; ++x) {
      const bool frame = x == 0 || y == 0 || x + 1 == w || y + 1 == h;
      row[x].value = kOpaque | (frame ? kSpecFrame : colour);
    }
  }
  return kNoErr;
}

int32_t CMaterialComposer::PaintPreview(CElement* element, uint32_t pass, CImage* port) {
  return DrawHeldImage(element, pass, port, kImageTag);
}

// ---- the store and the refresh

int CMaterialComposer::SourceOfRow(int row) {
  static constexpr int kSources[kChannelCount] = {
      C3dMaterial::kDiffusionSource,     C3dMaterial::kAmbienceSource,     C3dMaterial::kSpecularitySource,
      C3dMaterial::kTransparencySource,  C3dMaterial::kReflectionSource,   C3dMaterial::kBumpSource,
      C3dMaterial::kDiffuseColourSource, C3dMaterial::kAmbientColourSource, C3dMaterial::kSpecularColourSource,
      C3dMaterial::kTransparentColourSource};
  return kSources[row];
}

int32_t CMaterialComposer::StoreControls() {
  if (!fMaterial) return kErrObjectNotFound;
  CHolder held(fMaterial, true, false);
  if (!held.IsLocked()) return NonZeroError(fMaterial->GetError());
  if (fPreview) fPreview->ResetView();
  SMaterialRecord& record = fMaterial->GetRecord();
  SMaterialSample& s = record.sample;
  if (fShadingMode)
    s.flags = (fShadingMode->GetUserWord(0) & ~C3dMaterial::kTexturedFlag) | (s.flags & C3dMaterial::kTexturedFlag);
  for (int k = 0; k < kComponentCount; ++k) {
    if (fFrequencySliders[k])
      record.component[k].scale = std::clamp(Word(fFrequencySliders[k]), 0, kFrequencyMax) * (1.0 / kFrequencyMax);
    if (fComponentMappings[k])
      record.component[k].flags = (record.component[k].flags & ~kMirrored) | (Word(fComponentMappings[k]) ? kMirrored : 0);
  }
  for (int channel = 0; channel < kValueChannelCount; ++channel) {
    if (fValueSliders[channel]) SetChannelValue(s, channel, Word(fValueSliders[channel]) * (1.0 / 255));
  }
  if (fMetallicityText) {
    s.metallicity = Word(fMetallicityText) * (1.0 / 255);
    s.metallicityExponent = kMetallicityFactor;
  }
  if (fRefractionIndex) s.refractionIndex = Word(fRefractionIndex) * kRefractionScale;
  for (int i = 0; i < 4; ++i) {
    if (CElement* marker = fFlatMarkers[kValueChannelCount + i]) SetColourChannel(s, i, FloatsOf(marker->GetUserWord(0)));
  }
  if (fSpecColor) {
    const uint32_t c = fSpecColor->GetUserWord(0);
    s.specCoefficients = {float(255 - ((c >> 16) & 0xFF)), float(255 - ((c >> 8) & 0xFF)), float(255 - (c & 0xFF))};
  }
  for (int row = 0; fMaterialGrid && row < kChannelCount; ++row) {
    int32_t code = 0;
    int last = -1;
    bool mixed = false;
    for (int col = 0; col < kGridColumns; ++col) {
      if (!IsSwitchedOn(GridCell(row * kGridColumns + col))) continue;
      if (last >= 1) mixed = true;
      last = col;
    }
    if (last >= 0) code = mixed ? (last == 2 ? C3dMaterial::kMixByHeight : C3dMaterial::kMixByThird) : last;
    record.sources[SourceOfRow(row)] = code;
  }
  C3dMaterial::UpdateRefraction(s);
  return kNoErr;
}

int32_t CMaterialComposer::RefreshControls(bool full) {
  if (!fMaterial) return kErrObjectNotFound;
  CHolder held(fMaterial, false, false);
  if (!held.IsLocked()) return NonZeroError(fMaterial->GetError());
  if (fPreview) fPreview->ResetView();
  const SMaterialRecord& record = fMaterial->GetRecord();
  const SMaterialSample& s = record.sample;
  for (int k = 0; k < kComponentCount; ++k) {
    const int32_t value = std::clamp(Level(record.component[k].scale * kFrequencyMax), 0, kFrequencyMax);
    if (fFrequencySliders[k]) fFrequencySliders[k]->SetUserWord(0, uint32_t(value));
    SetValueText(fFrequencyTexts[k], value, false);
    if (fComponentMappings[k]) fComponentMappings[k]->SetUserWord(0, record.component[k].flags & kMirrored);
  }
  const double values[kValueChannelCount] = {s.diffusion, s.ambience, s.specularity, s.transparency, s.reflection, s.bump};
  for (int channel = 0; channel < kValueChannelCount; ++channel) {
    const int32_t low = channel == kValueChannelCount - 1 ? -255 : 0;
    const int32_t value = std::clamp(Level(values[channel] * 255), low, 255);
    if (fValueSliders[channel]) fValueSliders[channel]->SetUserWord(0, uint32_t(value));
    SetValueText(fValueTexts[channel], value, false);
    if (channel < 3) {
      const bool flat = record.sources[SourceOfRow(channel)] == C3dMaterial::kFlat;
      SwitchOn(fValueSliders[channel], flat, false);
      SwitchOn(fValueTexts[channel], flat, false);
    }
  }
  SetValueText(fRefractionIndex, Level(s.refractionIndex * 100), false);
  const vector3<float> colours[4] = {s.diffuseColour, s.ambientColour, s.specularColour, s.transparentColour};
  for (int i = 0; i < 4; ++i) {
    if (fFlatMarkers[kValueChannelCount + i]) fFlatMarkers[kValueChannelCount + i]->SetUserWord(0, ColourOf(colours[i]));
  }
  const float coefficients[3] = {s.specCoefficients.x, s.specCoefficients.y, s.specCoefficients.z};
  uint32_t spec = 0;
  for (int i = 0; i < 3; ++i) {
    spec = spec << 8 | uint32_t(std::clamp(std::trunc(255 - double(coefficients[i]) + 0.5), 0.0, 255.0));
    SetValueText(fSpecTexts[i], int32_t(std::clamp(std::trunc(255 - double(coefficients[i])), 0.0, 255.0)), false);
  }
  if (fSpecColor) {
    fSpecColor->SetUserWord(0, spec);
    fSpecColor->Redraw();
  }
  SetMetallicityText(fMetallicityText, std::clamp(Level(s.metallicity * 255), 0, 255), false);
  for (int row = 0; fMaterialGrid && row < kChannelCount; ++row) {
    const int32_t code = record.sources[SourceOfRow(row)];
    if (code == C3dMaterial::kMixByHeight) SelectGridCells(row * kGridColumns + 2, true, false);
    else if (code == C3dMaterial::kMixByThird) SelectGridCells(row * kGridColumns + 3, true, false);
    else SelectGridCells(row * kGridColumns + (code >= 0 && code < kGridColumns ? code : 0), false, false);
  }
  RefreshComponents(full);
  if (fShadingMode) {
    fShadingMode->SetUserWord(0, s.flags & ~C3dMaterial::kTexturedFlag);
    DrawShadingMode();
  }
  if (IsShown()) {
    for (CElement* group : {fFrequencyValues, fChannelValues, fMaterialGrid, fMaterialComponents}) {
      if (group) group->Redraw();
    }
  }
  return kNoErr;
}
