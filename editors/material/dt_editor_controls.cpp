// The 3D texture editor's number controls and switches: the slider bars and their thumbs, the
// one-step buttons, the value fields dragged up and down, the filter pad that shapes a and b, the
// format and count switches, and the menu buttons that only forward their press.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "editors/material/dt_editor.h"
#include "editors/material/pointer_drag.h"
#include "framework/core/holder.h"
#include "framework/image/ix_image.h"
#include "framework/ui/im_element.h"
#include "framework/ui/tx_element.h"
#include "framework/ui/ui_message.h"
#include "scene/surface/texture.h"

namespace {

using namespace need;

// The track of a slider is its bar less this many pixels; a thumb is as wide.
constexpr int32_t kTrackMargin = 5;
constexpr int32_t kLimit = 1000;
// The filter pad: a and b in units of 1/10000, moved 77.9 units a pixel.
constexpr double kPadLimit = 1000000;
constexpr double kPadStep = 77.9;
constexpr double kFilterUnit = CDTEditor::kFilterUnit;

// The number controls, each shown in its group's field of that panel child.
enum EControl { kFrequency, kPhase, kFilterC, kFilterA, kFilterB, kNoControl };
enum ERole { kBar, kThumb, kField, kDec, kInc };

struct SControlName {
  uint32_t child;
  uint32_t global;
  EControl control;
  ERole role;
};

constexpr SControlName kControlNames[] = {
    {kDTNoiseSliderBar, kDTGFreqSliderBar, kFrequency, kBar},
    {kDTNoiseSlider, kDTGFreqSlider, kFrequency, kThumb},
    {kDTNoiseSliderVal, kDTGFreqSliderVal, kFrequency, kField},
    {kDTNoiseSliderDec, kDTGFreqSliderDec, kFrequency, kDec},
    {kDTNoiseSliderInc, kDTGFreqSliderInc, kFrequency, kInc},
    {kDTPhaseSliderBar, kDTGPhaseSliderBar, kPhase, kBar},
    {kDTPhaseSlider, kDTGPhaseSlider, kPhase, kThumb},
    {kDTPhaseSliderVal, kDTGPhaseSliderVal, kPhase, kField},
    {kDTPhaseSliderDec, kDTGPhaseSliderDec, kPhase, kDec},
    {kDTPhaseSliderInc, kDTGPhaseSliderInc, kPhase, kInc},
    {kDTCVal, kDTGCVal, kFilterC, kField},
    {kDTCValDec, kDTGCValDec, kFilterC, kDec},
    {kDTCValInc, kDTGCValInc, kFilterC, kInc},
    {kDTAVal, kDTGAVal, kFilterA, kField},
    {kDTBVal, kDTGBVal, kFilterB, kField},
};

constexpr uint32_t kFieldOf[] = {kDTNoiseSliderVal, kDTPhaseSliderVal, kDTCVal, kDTAVal, kDTBVal};

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

// The control an element of the group stands for, and its part.
EControl ControlOf(const CElement* element, int group, ERole* role = nullptr) {
  if (!element || group == CDTEditor::kNoGroup) return kNoControl;
  for (const SControlName& name : kControlNames) {
    const char* expected = group == CDTEditor::kGlobal ? kDTGlobals[name.global].name : kDTPanelChildren[name.child].name;
    if (!Same(element->GetName(), expected)) continue;
    if (role) *role = name.role;
    return name.control;
  }
  return kNoControl;
}

int32_t LowerLimit(EControl control) { return control == kPhase ? 0 : -kLimit; }

int32_t Word(const CElement* element) { return element ? int32_t(element->GetUserWord(0)) : 0; }

int32_t TrackLength(const CElement* bar) { return bar ? RectWidth(bar->GetRect()) - kTrackMargin : 0; }

int32_t OffsetOf(int32_t value, bool phase, int32_t length) {
  if (phase) return int32_t(std::trunc(double(value) / kLimit * length));
  return int32_t(std::trunc(double(value + kLimit) / (2 * kLimit) * length));
}

int32_t ValueAt(int32_t offset, bool phase, int32_t length) {
  if (length <= 0) return phase ? 0 : -kLimit;
  if (phase) return int32_t(std::trunc(double(offset) / length * kLimit));
  return int32_t(std::trunc(double(offset) / length * (2 * kLimit) - kLimit));
}

// The element's message: kind 0, the press point on the screen first and in the element second.
int32_t Post(CElement* element, SPointHV point) {
  CElement* handled = nullptr;
  return UIHostPostElementMessage(element, &handled, point, nullptr);
}

// The record's word that a group's control writes: none for the global frequency, which moves the
// components' own, and for a and b, which are floats.
int32_t* RecordWord(STextureData& data, int group, EControl control) {
  if (group == CDTEditor::kGlobal) {
    if (control == kPhase) return &data.globalPhase.amount;
    if (control == kFilterC) return &data.filter.count;
    return nullptr;
  }
  if (group < 0 || group >= CDTEditor::kPanelCount) return nullptr;
  STextureComponent& component = data.component[group];
  if (control == kFrequency) return &component.frequency[0];
  if (control == kPhase) return &component.phase.amount;
  if (control == kFilterC) return &component.filter.count;
  return nullptr;
}

// Writes into the working texture under its lock and prepares it again; nothing without one or
// when it cannot be locked.
template <typename Write>
void WriteTexture(C3dTexture* texture, Write write) {
  if (!texture) return;
  CHolder held(texture, true, false);
  if (!held.IsLocked()) return;
  write(texture->GetTextureData());
  texture->PrepareEvaluation(true);
}

}  // namespace

// ---- thumbs

void CDTEditor::MoveThumb(int group, bool phase) {
  CImElement* bar = nullptr;
  CImElement* thumb = nullptr;
  if (group == kGlobal) {
    bar = fGlobals[phase ? kDTGPhaseSliderBar : kDTGFreqSliderBar];
    thumb = fGlobals[phase ? kDTGPhaseSlider : kDTGFreqSlider];
  } else if (group >= 0 && group < kPanelCount) {
    bar = fChildren[group][phase ? kDTPhaseSliderBar : kDTNoiseSliderBar];
    thumb = fChildren[group][phase ? kDTPhaseSlider : kDTNoiseSlider];
  }
  CTxElement* field = GetField(group, phase ? kDTPhaseSliderVal : kDTNoiseSliderVal);
  if (!bar || !thumb || !field) return;
  const int32_t value = std::clamp(Word(field), -kLimit, kLimit);
  SetThumb(bar, thumb, OffsetOf(value, phase, TrackLength(bar)));
}

void CDTEditor::SetThumb(CImElement* bar, CImElement* thumb, int32_t offset) {
  thumb->SetUserWord(0, uint32_t(offset));
  const SRect& along = bar->GetRect();
  SRect rect = thumb->GetRect();
  const int32_t width = RectWidth(rect);
  rect.left = along.left + offset;
  rect.right = rect.left + width;
  thumb->SetRect(rect, true);
}

void CDTEditor::PlaceSliderThumb(CElement* element, const char* name) {
  const int group = GroupOf(element);
  const bool phase = Same(name, kDTPanelChildren[kDTPhaseSliderBar].name) ||
                     Same(name, kDTPanelChildren[kDTPhaseSliderVal].name) ||
                     Same(name, kDTGlobals[kDTGPhaseSliderBar].name) || Same(name, kDTGlobals[kDTGPhaseSliderVal].name);
  MoveThumb(group, phase);
  CUIMessage message;
  message.InitWithPoints(0, element, {0, 0}, {0, 0}, 0);
  element->SendMessageUp(&message, element);
}

// ---- the bars

int32_t CDTEditor::DragSliderBar(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  CDTEditor* self = EditorOf(element);
  const int group = GroupOf(element);
  const EControl control = ControlOf(element, group);
  if (!self || (control != kFrequency && control != kPhase)) return Post(element, point);
  const bool phase = control == kPhase;
  CImElement* bar = static_cast<CImElement*>(element);
  CImElement* thumb = group == kGlobal ? self->fGlobals[phase ? kDTGPhaseSlider : kDTGFreqSlider]
                                       : self->fChildren[group][phase ? kDTPhaseSlider : kDTNoiseSlider];
  CTxElement* field = self->GetField(group, kFieldOf[control]);
  const int32_t length = TrackLength(bar);
  WhileButtonHeld([&](SPointHV now, SPointHV) {
    SPointHV local;
    bar->RootToLocalPoint(&local, now);
    const int32_t x = std::clamp(local.h, 0, std::max(length, 0));
    if (thumb) self->SetThumb(bar, thumb, x);
    const int32_t value = ValueAt(x, phase, length);
    const int32_t old = Word(field);
    if (field) self->ShowNumber(field, value);
    if (group == kGlobal && !phase) {
      if (value != old) self->MoveComponentFrequencies(value - old);
      return;
    }
    WriteTexture(self->fWorking, [&](STextureData& data) {
      if (int32_t* word = RecordWord(data, group, control)) *word = value;
    });
  });
  return Post(element, point);
}

// Each component's frequency moved by the difference, each held to its range on its own.
void CDTEditor::MoveComponentFrequencies(int32_t difference) {
  int32_t values[kPanelCount] = {};
  for (int p = kPanelA; p < kPanelCount; ++p)
    values[p] = std::clamp(Word(GetField(p, kDTNoiseSliderVal)) + difference, -kLimit, kLimit);
  ShowComponentFrequencies(values);
}

// The texture takes the frequencies before their fields post their messages: the handler's refresh
// then reads them back, not the ones they replace.
void CDTEditor::ShowComponentFrequencies(const int32_t* values) {
  WriteTexture(fWorking, [&](STextureData& data) {
    for (int p = kPanelA; p < kPanelCount; ++p) data.component[p].frequency[0] = values[p];
  });
  fRefreshPending = true;
  for (int p = kPanelA; p < kPanelCount; ++p) {
    CTxElement* field = GetField(p, kDTNoiseSliderVal);
    if (!field) continue;
    ShowNumber(field, values[p]);
    PlaceSliderThumb(field, kDTPanelChildren[kDTNoiseSliderVal].name);
  }
}

// ---- the steppers

int32_t CDTEditor::StepDown(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  if (CDTEditor* self = EditorOf(element)) self->Step(element, -1);
  return Post(element, point);
}

int32_t CDTEditor::StepUp(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  if (CDTEditor* self = EditorOf(element)) self->Step(element, 1);
  return Post(element, point);
}

// One unit up or down, taken only from inside the range and short of the end it goes toward.
void CDTEditor::Step(CElement* button, int32_t direction) {
  const int group = GroupOf(button);
  const EControl control = ControlOf(button, group);
  if (control != kFrequency && control != kPhase && control != kFilterC) return;
  CTxElement* field = GetField(group, kFieldOf[control]);
  if (!field) return;
  const int32_t lower = LowerLimit(control);
  int32_t value = Word(field);
  const bool taken = direction > 0 ? value >= lower && value < kLimit : value > lower && value <= kLimit;
  if (taken) {
    value = std::clamp(value + direction, lower, kLimit);
    field->SetUserWord(0, uint32_t(value));
    WriteValueText(field);
  }
  if (group == kGlobal && control == kFrequency) {
    if (taken) MoveComponentFrequencies(direction);
  } else {
    WriteTexture(fWorking, [&](STextureData& data) {
      if (int32_t* word = RecordWord(data, group, control)) *word = value;
    });
  }
  if (control != kFilterC) PlaceSliderThumb(button, field->GetName());
  fRefreshPending = true;
}

// ---- the switches and the forwarded presses

int32_t CDTEditor::SelectFormatOrCount(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  auto* pressed = dynamic_cast<CImElement*>(element);
  CDTEditor* self = EditorOf(element);
  if (pressed && pressed->GetImageList() && pressed->GetImageList()->Selected() == 0)
    pressed->SelectEntry(1, false, false, true);
  if (self && pressed) self->SwitchTo(pressed);
  if (self) self->fRefreshPending = true;
  return Post(element, point);
}

// The partners of the switch go off; with a working texture the record takes the switch's format or
// count, and a count restarts the previews it shows.
void CDTEditor::SwitchTo(CImElement* pressed) {
  const int group = GroupOf(pressed);
  int32_t count = 0;
  CImElement* partners[2] = {};
  const bool globalGroup = group == kGlobal;
  if (pressed == fChildren[kPanelC][kDTOperation]) count = 1;
  else if (pressed == fGlobals[kDTCompCount2]) count = 2;
  else if (pressed == fGlobals[kDTCompCount3]) count = 3;
  CImElement* countSwitches[3] = {fChildren[kPanelC][kDTOperation], fGlobals[kDTCompCount2], fGlobals[kDTCompCount3]};
  int32_t format = -1;
  if (count) {
    for (int i = 0, n = 0; i < 3; ++i) {
      if (i + 1 != count) partners[n++] = countSwitches[i];
    }
  } else if (group != kNoGroup) {
    CImElement* rgb = globalGroup ? fGlobals[kDTGRGBFormat] : fChildren[group][kDTRGBFormat];
    CImElement* hls = globalGroup ? fGlobals[kDTGHLSFormat] : fChildren[group][kDTHLSFormat];
    if (pressed == rgb) format = 0;
    else if (pressed == hls) format = kColourFormatHLS;
    else return;
    partners[0] = format ? rgb : hls;
  } else {
    return;
  }
  for (CImElement* partner : partners) {
    if (!partner) continue;
    partner->SelectEntry(0, false, false, true);
    if (count) partner->SetUserWord(0, 0);
  }
  if (count) pressed->SetUserWord(0, 1);
  if (!fWorking) return;
  CHolder held(fWorking, true, false);
  if (!held.IsLocked()) return;
  STextureData& data = fWorking->GetTextureData();
  if (count) {
    data.count = count;
    fComponentCount = uint8_t(count);
    for (int p = kPanelA; p < count; ++p) RestartPreview(p);
  } else {
    (globalGroup ? data.colour : data.component[group].colour).format = format;
  }
  fWorking->PrepareEvaluation(true);
}

int32_t CDTEditor::ForwardAndRefresh(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  if (CDTEditor* self = EditorOf(element)) self->fRefreshPending = true;
  return Post(element, point);
}

int32_t CDTEditor::ForwardPress(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  return Post(element, point);
}

// ---- the filter pad

int32_t CDTEditor::DragFilterImage(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  CDTEditor* self = EditorOf(element);
  const int group = GroupOf(element);
  if (!self || group == kNoGroup) return Post(element, point);
  CTxElement* a = self->GetField(group, kDTAVal);
  CTxElement* b = self->GetField(group, kDTBVal);
  WhileButtonHeld([&](SPointHV now, SPointHV last) {
    self->MovePad(a, last.h - now.h, "a = %g");
    self->MovePad(b, last.v - now.v, "b = %g");
    self->WriteFilterParameters();
  });
  return Post(element, point);
}

// A field of the pad moved by the pixels; one beyond the range stays as it is.
void CDTEditor::MovePad(CTxElement* field, int32_t pixels, const char* format) {
  if (!field) return;
  const double value = Word(field);
  if (value < -kPadLimit || value > kPadLimit) return;
  const double moved = std::clamp(value + pixels * kPadStep, -kPadLimit, kPadLimit);
  field->SetUserWord(0, uint32_t(int32_t(std::trunc(moved))));
  char text[48];
  std::snprintf(text, sizeof text, format, moved * kFilterUnit);
  SetElementText(field, text);
}

// The a and b of the four filters from their eight fields, and the four curves drawn again.
void CDTEditor::WriteFilterParameters() {
  if (!fWorking) return;
  STextureFilter filters[kPanelCount + 1] = {};
  {
    CHolder held(fWorking, true, false);
    if (!held.IsLocked()) return;
    STextureData& data = fWorking->GetTextureData();
    for (int group = kPanelA; group <= kGlobal; ++group) {
      STextureFilter& filter = group == kGlobal ? data.filter : data.component[group].filter;
      filter.a = float(Word(GetField(group, kDTAVal)) * kFilterUnit);
      filter.b = float(Word(GetField(group, kDTBVal)) * kFilterUnit);
      filters[group] = filter;
    }
    fWorking->PrepareEvaluation(true);
  }
  if (fGlobals[kDTGFilterImage]) DrawFilterCurve(fGlobals[kDTGFilterImage], filters[kGlobal]);
  for (int p = kPanelA; p < kPanelCount; ++p) {
    if (fChildren[p][kDTFilterImage]) DrawFilterCurve(fChildren[p][kDTFilterImage], filters[p]);
  }
}

// ---- the value fields

int32_t CDTEditor::DragValueField(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  CDTEditor* self = EditorOf(element);
  auto* field = dynamic_cast<CTxElement*>(element);
  const int group = GroupOf(element);
  const EControl control = ControlOf(element, group);
  if (!self || !field || control == kNoControl || control == kFilterA || control == kFilterB)
    return Post(element, point);
  const int32_t lower = LowerLimit(control);
  int32_t running[kPanelCount] = {};
  for (int p = kPanelA; p < kPanelCount; ++p) running[p] = Word(self->GetField(p, kDTNoiseSliderVal));
  WhileButtonHeld([&](SPointHV now, SPointHV last) {
    const int32_t step = last.v - now.v;
    const int32_t value = Word(field);
    if (value >= lower && value <= kLimit) {
      field->SetUserWord(0, uint32_t(std::clamp(value + step, lower, kLimit)));
      if (group == kGlobal && control == kFrequency) self->DragComponentFrequencies(running, step);
      self->WriteValueText(field);
    }
    if (control != kFilterC) self->PlaceSliderThumb(field, field->GetName());
  });
  WriteTexture(self->fWorking, [&](STextureData& data) {
    if (int32_t* word = RecordWord(data, group, control)) *word = Word(field);
  });
  return Post(element, point);
}

// The global frequency's drag moves running values that are not held to the range; the components
// show them held.
void CDTEditor::DragComponentFrequencies(int32_t* running, int32_t step) {
  int32_t values[kPanelCount] = {};
  for (int p = kPanelA; p < kPanelCount; ++p) {
    running[p] += step;
    values[p] = std::clamp(running[p], -kLimit, kLimit);
  }
  ShowComponentFrequencies(values);
}
