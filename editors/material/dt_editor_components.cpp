// The 3D texture editor's whole-component buttons (copy, paste, shuffle and the resets, with the
// module-wide clipboard and snapshot), the filter curve, the pop-up menus and colour swatches with
// the one store of their choices into the texture, the showing and hiding of panels B and C, and the
// typed element look-ups.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "editors/material/dt_editor.h"
#include "editors/material/strip_menu.h"
#include "framework/core/ordax.h"
#include "framework/core/holder.h"
#include "framework/image/image.h"
#include "framework/ui/im_element.h"
#include "framework/ui/menu.h"
#include "framework/ui/tx_element.h"
#include "framework/ui/ui_message.h"
#include "scene/surface/texture.h"
#include "scene/texture/texture_engine.h"
#include "scene/texture/texture_filter.h"
#include "scene/texture/texture_randomize.h"

namespace {

using namespace need;

// What copy put aside, and the texture's components and global filter as its editing began. A
// button that finds nothing there beeps and writes nothing.
struct SClipboard {
  STextureComponent component{};
  bool filled = false;
};
struct SSnapshot {
  STextureComponent components[CDTEditor::kPanelCount]{};
  STextureFilter filter{};
  bool filled = false;
};
SClipboard gClipboard;
SSnapshot gSnapshot;

// The filter curve: 75 samples across the picture, drawn from its right edge.
constexpr int32_t kCurveSide = 75;
constexpr double kCurveStep = 0.013333333333333334;
constexpr uint32_t kCurveGround = 0xC0C0C0;
constexpr uint32_t kCurveInk = 0;

bool Same(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

int32_t Post(CElement* element, SPointHV point) {
  CElement* handled = nullptr;
  return UIHostPostElementMessage(element, &handled, point, nullptr);
}

// The component of a panel's element under the working texture's lock; none for another group.
template <typename Work>
bool WithComponent(CDTEditor* editor, CElement* element, bool changed, Work work) {
  const int group = CDTEditor::GroupOf(element);
  C3dTexture* texture = editor ? editor->GetWorkingTexture() : nullptr;
  if (!texture || group < CDTEditor::kPanelA || group >= CDTEditor::kPanelCount) return false;
  CHolder held(texture, changed, false);
  if (!held.IsLocked()) return false;
  STextureData& data = texture->GetTextureData();
  work(data.component[group]);
  if (changed) texture->PrepareEvaluation(true);
  return true;
}

}  // namespace

void CDTEditor::TakeSnapshot(const STextureData& data) {
  std::copy(std::begin(data.component), std::end(data.component), std::begin(gSnapshot.components));
  gSnapshot.filter = data.filter;
  gSnapshot.filled = true;
}

void CDTEditor::ForgetClipboardAndSnapshot() {
  gClipboard = SClipboard{};
  gSnapshot = SSnapshot{};
}

// ---- the component buttons

int32_t CDTEditor::CopyComponent(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  WithComponent(EditorOf(element), element, false, [](STextureComponent& component) {
    gClipboard.component = component;
    gClipboard.filled = true;
  });
  return Post(element, point);
}

int32_t CDTEditor::PasteComponent(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  CDTEditor* self = EditorOf(element);
  if (!gClipboard.filled) Beep();
  else if (WithComponent(self, element, true, [](STextureComponent& component) { component = gClipboard.component; }))
    self->fRefreshPending = true;
  return Post(element, point);
}

int32_t CDTEditor::ShuffleComponent(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  CDTEditor* self = EditorOf(element);
  WithComponent(self, element, true, [](STextureComponent& component) { RandomizeTextureComponent(component); });
  if (self) self->fRefreshPending = true;
  return Post(element, point);
}

// "reset" brings the panel's whole component back, "resetFilter" its filter, "compGResetFilter" the
// global filter.
int32_t CDTEditor::ResetComponent(CElement* element, CElement** handled, SPointHV point, SWinEvent*) {
  *handled = element;
  CDTEditor* self = EditorOf(element);
  const int group = GroupOf(element);
  if (!gSnapshot.filled) {
    Beep();
  } else if (group == kGlobal && Same(element->GetName(), kDTGlobals[kDTGResetFilter].name)) {
    C3dTexture* texture = self ? self->fWorking : nullptr;
    CHolder held(texture, true, false);
    if (texture && held.IsLocked()) {
      texture->GetTextureData().filter = gSnapshot.filter;
      texture->PrepareEvaluation(true);
    }
  } else {
    const bool filterOnly = Same(element->GetName(), kDTPanelChildren[kDTResetFilter].name);
    WithComponent(self, element, true, [group, filterOnly](STextureComponent& component) {
      const STextureComponent& saved = gSnapshot.components[group];
      if (filterOnly) component.filter = saved.filter;
      else component = saved;
    });
  }
  if (self) self->fRefreshPending = true;
  return Post(element, point);
}

// ---- the filter curve

// The curve runs from column 74 (the first sample) to column 0, one pixel wide and without gaps,
// each sample's row 75 times the filter's answer, held to the picture.
void CDTEditor::DrawFilterCurve(CImElement* element, const STextureFilter& filter) {
  CImage* picture = element ? element->GetImage() : nullptr;
  if (!picture || !picture->Fill(kCurveGround)) return;
  {
    CImNavigator pixels(picture, nullptr, true, false);
    if (!pixels.IsUsable() || int32_t(pixels.GetRows()) < kCurveSide || int32_t(pixels.GetColumns()) < kCurveSide)
      return;
    STextureEngine& engine = GetTextureEngine();
    int32_t previous = 0;
    for (int32_t x = 0; x < kCurveSide; ++x) {
      const double t = x * kCurveStep;
      engine.altitude = engine.slope = engine.facing = t;
      const double s = 1 + -0.5 * std::sin(12.48 * t);
      const double v = std::trunc(kCurveSide * ApplyTextureFilter(s, filter));
      const int32_t y = v > 0 ? int32_t(std::min(v, double(kCurveSide - 1))) : 0;
      if (x == 0) previous = y;
      for (int32_t row = std::min(previous, y); row <= std::max(previous, y); ++row)
        pixels.Cells(uint32_t(row))[kCurveSide - 1 - x].value = kCurveInk;
      previous = y;
    }
  }
  element->Redraw(false);
}

// ---- the pop-up menus

namespace {

int GroupNamed(const char* name) {
  for (int group = CDTEditor::kPanelA; group <= CDTEditor::kGlobal; ++group) {
    if (Same(name, CDTEditor::GroupName(group))) return group;
  }
  return CDTEditor::kNoGroup;
}

}  // namespace

int32_t CDTEditor::ChooseFromPopupMenu(SPointHV point, int kind, const char* groupName) {
  const int group = GroupNamed(groupName);
  if (kind == kOperationChoice && group == kPanelC) return kNoErr;
  CMenu* menu = kind >= 0 && kind < kChoiceCount ? fMenus[kind].get() : nullptr;
  ChooseStripRow(menu, ChoiceElement(kind, group), point, GetWindow());
  return kNoErr;
}

// The element of a choice kind in a group: the preview kind is the combiner's alone, the operations
// are panel A's and B's.
CImElement* CDTEditor::ChoiceElement(int kind, int group) const {
  if (kind == kPreviewChoice) return fGlobals[kDTPreviewType];
  static constexpr uint32_t kChild[kChoiceCount] = {0, kDTOutputType, kDTOperation, kDTFilterType, kDTColorMap};
  static constexpr uint32_t kGlobalElement[kChoiceCount] = {0, kDTGOutputType, kDTGlobalCount, kDTGFilterType,
                                                            kDTGColorMap};
  if (kind < 0 || kind >= kChoiceCount) return nullptr;
  if (group == kGlobal) return kGlobalElement[kind] < kDTGlobalCount ? fGlobals[kGlobalElement[kind]] : nullptr;
  if (group < kPanelA || group >= kPanelCount) return nullptr;
  if (kind == kOperationChoice && group == kPanelC) return nullptr;
  return fChildren[group][kChild[kind]];
}

// ---- the swatches and the store

int32_t CDTEditor::SetColorSwatch(const char* name, uint32_t colour, int index) {
  const int group = index - 1;
  for (uint32_t i = 0; i < 3; ++i) {
    CImElement* swatch = nullptr;
    if (group == kGlobal) swatch = Same(name, kDTGlobals[kDTGColor1 + i].name) ? fGlobals[kDTGColor1 + i] : nullptr;
    else if (group >= kPanelA && group < kPanelCount && Same(name, kDTPanelChildren[kDTColor1 + i].name))
      swatch = fChildren[group][kDTColor1 + i];
    if (!swatch) continue;
    ShowSwatch(swatch, colour);
    return 0;
  }
  return 1;
}

void CDTEditor::StoreControlsInTexture() {
  if (!fWorking) return;
  CHolder held(fWorking, true, false);
  if (!held.IsLocked()) return;
  STextureData& data = fWorking->GetTextureData();
  const auto store = [](CImElement* element, int32_t& field) {
    if (element) field = int32_t(element->GetUserWord(0));
  };
  for (int p = kPanelA; p < kPanelCount; ++p) {
    for (uint32_t i = 0; i < 3; ++i) {
      if (CImElement* swatch = fChildren[p][kDTColor1 + i]) data.component[p].colour.colour[i] = swatch->GetUserWord(0);
    }
  }
  for (uint32_t i = 0; i < 3; ++i) {
    if (CImElement* swatch = fGlobals[kDTGColor1 + i]) data.colour.colour[i] = swatch->GetUserWord(0);
  }
  for (int p = kPanelA; p < kPanelCount; ++p) {
    STextureComponent& component = data.component[p];
    if (p < kPanelC) store(fChildren[p][kDTOperation], data.operation[p]);
    store(fChildren[p][kDTFilterType], component.filter.kind);
    store(fChildren[p][kDTOutputType], component.kinds);
    store(fChildren[p][kDTColorMap], component.colour.mapKind);
  }
  store(fGlobals[kDTGFilterType], data.filter.kind);
  store(fGlobals[kDTGOutputType], data.outputFlags);
  store(fGlobals[kDTGColorMap], data.colour.mapKind);
  fWorking->PrepareEvaluation(true);
}

// ---- the panels B and C

void CDTEditor::ShowComponentB() { ShowPanelElements(kPanelB, true); }
void CDTEditor::HideComponentB() { ShowPanelElements(kPanelB, false); }
void CDTEditor::ShowComponentC() { ShowPanelElements(kPanelC, true); }
void CDTEditor::HideComponentC() { ShowPanelElements(kPanelC, false); }

// Panel B's elements go with the global marker of its operation; panel C's one-component switch
// stays shown.
void CDTEditor::ShowPanelElements(int panel, bool show) {
  const auto apply = [show](CElement* element) {
    if (!element) return;
    if (show) element->Show(true);
    else element->Hide(true);
  };
  for (uint32_t c = 0; c < kDTPanelChildCount; ++c) {
    if (panel == kPanelC && c == kDTOperation && !show) continue;
    apply(fChildren[panel][c]);
  }
  if (panel == kPanelB) apply(fGlobals[kDTBOperationMenuButton]);
  for (CImElement* marker : fMarkers[panel]) apply(marker);
}

// ---- typed look-ups

int32_t CDTEditor::FindImElement(CElement* container, const char* name, CImElement** out) {
  *out = nullptr;
  CElement* found = nullptr;
  if (const int32_t err = CElSystem::FindByName(container, name, &found)) return err;
  // A text element is a picture element too, but not the plain one the caller relies on.
  if (dynamic_cast<CTxElement*>(found)) return kErrUnexpectedType;
  *out = dynamic_cast<CImElement*>(found);
  return *out ? kNoErr : kErrUnexpectedType;
}

int32_t CDTEditor::FindTxElement(CElement* container, const char* name, CTxElement** out) {
  *out = nullptr;
  CElement* found = nullptr;
  if (const int32_t err = CElSystem::FindByName(container, name, &found)) return err;
  *out = dynamic_cast<CTxElement*>(found);
  return *out ? kNoErr : kErrUnexpectedType;
}
