// The 3D texture editor's controls set from the working texture's record, each panel element
// prepared when it is bound, and the value fields' texts.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "editors/material/centred_text.h"
#include "editors/material/dt_editor.h"
#include "editors/material/strip_menu.h"
#include "framework/core/holder.h"
#include "framework/image/image.h"
#include "framework/image/ix_image.h"
#include "framework/ui/im_element.h"
#include "framework/ui/tx_element.h"
#include "scene/surface/texture.h"

namespace {

using namespace need;

constexpr double kFilterUnit = CDTEditor::kFilterUnit;
constexpr double kFilterUnits = 1 / kFilterUnit;
constexpr uint32_t kOff = 0;
constexpr uint32_t kOn = 1;

void Select(CImElement* element, uint32_t set) {
  if (element) element->SelectEntry(set, false, false, true);
}

// A record's parameter in the field's units; one out of the word's reach is held to it.
int32_t FilterUnits(float parameter) {
  const double units = std::trunc(double(parameter) * kFilterUnits);
  return units == units ? int32_t(std::clamp(units, double(INT32_MIN), double(INT32_MAX))) : 0;
}

// The name is a panel's child's or the combiner's element of that role.
bool Is(const char* name, uint32_t child, uint32_t global) {
  return std::strcmp(name, kDTPanelChildren[child].name) == 0 || std::strcmp(name, kDTGlobals[global].name) == 0;
}

bool IsFilterField(const char* name) {
  return Is(name, kDTAVal, kDTGAVal) || Is(name, kDTBVal, kDTGBVal) || Is(name, kDTCVal, kDTGCVal);
}

}  // namespace

int32_t CDTEditor::RefreshComponentControls(bool snapshot) {
  if (!fWorking) return kNoErr;
  CHolder held(fWorking, false, false);
  if (!held.IsLocked()) return kNoErr;
  const STextureData& data = fWorking->GetTextureData();
  ShowCount(data.count);
  RefreshGlobal(data);
  for (int p = kPanelA; p < kPanelCount; ++p) RefreshPanel(p, data.component[p]);
  if (snapshot) TakeSnapshot(data);
  if (fGlobals[kDTGFilterImage]) DrawFilterCurve(fGlobals[kDTGFilterImage], data.filter);
  for (int p = kPanelA; p < kPanelCount; ++p) {
    if (fChildren[p][kDTFilterImage]) DrawFilterCurve(fChildren[p][kDTFilterImage], data.component[p].filter);
  }
  return kNoErr;
}

// The switch of the count shows on with value 1, the other two off; another count changes nothing.
void CDTEditor::ShowCount(int32_t count) {
  if (count < 1 || count > 3) return;
  CImElement* switches[3] = {fChildren[kPanelC][kDTOperation], fGlobals[kDTCompCount2], fGlobals[kDTCompCount3]};
  for (int32_t i = 0; i < 3; ++i) {
    if (!switches[i]) continue;
    const uint32_t state = i + 1 == count ? kOn : kOff;
    Select(switches[i], state);
    switches[i]->SetUserWord(0, state);
  }
  fComponentCount = uint8_t(count);
}

void CDTEditor::RefreshGlobal(const STextureData& data) {
  ShowChoice(fGlobals[kDTGOutputType], data.outputFlags);
  ShowChoice(fChildren[kPanelA][kDTOperation], data.operation[0]);
  ShowChoice(fChildren[kPanelB][kDTOperation], data.operation[1]);
  ShowFilter(kGlobal, fGlobals[kDTGFilterType], data.filter);
  ShowColours(kGlobal, fGlobals[kDTGColorMap], data.colour);
  // The global phase is written by its bar, its steppers and its field; the field shows it again.
  ShowNumber(GetField(kGlobal, kDTPhaseSliderVal), data.globalPhase.amount);
  MoveThumb(kGlobal, true);
}

void CDTEditor::RefreshPanel(int panel, const STextureComponent& component) {
  CImElement* const* children = fChildren[panel];
  ShowChoice(children[kDTOutputType], component.kinds);
  ShowNumber(GetField(panel, kDTNoiseSliderVal), component.frequency[0]);
  MoveThumb(panel, false);
  ShowNumber(GetField(panel, kDTPhaseSliderVal), component.phase.amount);
  MoveThumb(panel, true);
  ShowFilter(panel, children[kDTFilterType], component.filter);
  ShowColours(panel, children[kDTColorMap], component.colour);
}

// A filter's kind on its button, its c, a and b in the group's fields.
void CDTEditor::ShowFilter(int group, CImElement* kind, const STextureFilter& filter) {
  ShowChoice(kind, filter.kind);
  const int32_t values[3] = {filter.count, FilterUnits(filter.a), FilterUnits(filter.b)};
  const uint32_t fields[3] = {kDTCVal, kDTAVal, kDTBVal};
  for (int i = 0; i < 3; ++i) {
    if (CTxElement* field = GetField(group, fields[i])) {
      field->SetUserWord(0, uint32_t(values[i]));
      ShowValueText(field);
    }
  }
}

// A colour output's map on its button, its colours in the group's swatches and its format.
void CDTEditor::ShowColours(int group, CImElement* map, const SColorOutput& colour) {
  ShowChoice(map, colour.mapKind);
  for (uint32_t i = 0; i < 3; ++i) ShowSwatch(group == kGlobal ? fGlobals[kDTGColor1 + i] : fChildren[group][kDTColor1 + i], colour.colour[i]);
  ShowFormat(group, colour.format);
}

// A choice button holds its index and shows that cell of its strip.
void CDTEditor::ShowChoice(CImElement* element, int32_t index) { ShowStripCell(element, index); }

void CDTEditor::ShowSwatch(CImElement* swatch, uint32_t colour) {
  if (!swatch) return;
  swatch->SetUserWord(0, colour);
  if (CImage* picture = swatch->GetImage()) picture->Fill(0xFF000000 | colour);
  swatch->Redraw(false);
}

// HLS lights its switch, any other format RGB.
void CDTEditor::ShowFormat(int group, int32_t format) {
  CImElement* rgb = group == kGlobal ? fGlobals[kDTGRGBFormat] : fChildren[group][kDTRGBFormat];
  CImElement* hls = group == kGlobal ? fGlobals[kDTGHLSFormat] : fChildren[group][kDTHLSFormat];
  const bool isHLS = format == kColourFormatHLS;
  Select(rgb, isHLS ? kOff : kOn);
  Select(hls, isHLS ? kOn : kOff);
}

// The binding lights every RGB switch; the texture's formats show again after it.
void CDTEditor::ShowFormatsFromTexture() {
  if (!fWorking) return;
  CHolder held(fWorking, false, false);
  if (!held.IsLocked()) return;
  const STextureData& data = fWorking->GetTextureData();
  ShowFormat(kGlobal, data.colour.format);
  for (int p = kPanelA; p < kPanelCount; ++p) ShowFormat(p, data.component[p].colour.format);
}

void CDTEditor::ShowNumber(CTxElement* field, int32_t value) {
  if (!field) return;
  field->SetUserWord(0, uint32_t(value));
  char text[16];
  std::snprintf(text, sizeof text, "%ld", long(value));
  SetElementText(field, text);
}

// ---- binding a panel's element

void CDTEditor::SetUpPanelElement(int panel, uint32_t child) {
  CImElement* element = fChildren[panel][child];
  if (!element) return;
  element->SetCanvasName(GroupName(panel));
  switch (child) {
    case kDTOperation:
      if (panel != kPanelC) Select(element, 2);
      else if (CIxImage* list = element->GetImageList()) Select(element, list->Selected());
      break;
    case kDTNoiseSliderVal:
    case kDTAVal:
    case kDTBVal:
    case kDTCVal:
    case kDTPhaseSliderVal: ShowValueText(static_cast<CTxElement*>(element)); break;
    case kDTNoiseTypeMenu:
    case kDTResetFilter:
    case kDTPhaseType:
    case kDTCopy:
    case kDTPasteTo:
    case kDTShuffle:
    case kDTReset:
    case kDTFilterText:
      if (panel != kPanelA) Select(element, uint32_t(panel));
      break;
    case kDTRGBFormat: Select(element, kOn); break;
    default: break;
  }
}

// ---- texts

// Every field shows its own value (a and b in units of 1/10000); those with a slider place its thumb.
void CDTEditor::ShowValueText(CTxElement* field) {
  if (!field) return;
  WriteValueText(field);
  if (!IsFilterField(field->GetName())) PlaceSliderThumb(field, field->GetName());
}

void CDTEditor::WriteValueText(CTxElement* field) {
  if (!field) return;
  const int32_t v = int32_t(field->GetUserWord(0));
  const char* name = field->GetName();
  char text[48];
  if (Is(name, kDTAVal, kDTGAVal)) std::snprintf(text, sizeof text, "a = %g", double(v) * kFilterUnit);
  else if (Is(name, kDTBVal, kDTGBVal)) std::snprintf(text, sizeof text, "b = %g", double(v) * kFilterUnit);
  else if (Is(name, kDTCVal, kDTGCVal)) std::snprintf(text, sizeof text, "c = %ld", long(v));
  else std::snprintf(text, sizeof text, "%ld", long(v));
  SetElementText(field, text);
}

void CDTEditor::SetElementText(CTxElement* element, const char* text) { ShowCentredText(element, text, true); }
